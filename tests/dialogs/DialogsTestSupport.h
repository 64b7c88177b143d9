// The setting of the dialog tests: the plug-in on the stand-in host (tests/common/TestSupport.h), so that the
// templates, the custom controls, the shared font and the host services are the real ones, and
// a board table the tests fill themselves. The test acts as the user through
// sim/host/ModalDriver.
#pragma once

#include "device/BoardTable.h"
#include "tests/common/TestSupport.h"

#include <cstdint>

namespace dialogstest {

// The plug-in on the host with its board table emptied; the table found at set-up is put back
// before the plug-in finishes.
class BoardsOnHost : public testsupport::PluginOnHost {
protected:
    void SetUp() override;
    void TearDown() override;

private:
    BoardEntry boardsAtSetup[BOARD_SLOTS];
};

// A present board in the slot, no port claimed.
void PlaceBoard(int slot, uint32_t address = 0xD000, int32_t length = 16,
                uint32_t switchValue = 0x1F);
void ClaimAll(PortKind kind, int slot);

} // namespace dialogstest
