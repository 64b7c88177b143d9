// The setting of the dialog tests: the stand-in host with the plug-in's parts linked in and set
// up, so that the templates, the custom controls, the shared font and the host services are
// the real ones. The test acts as the user through tests/common/ModalDriver.
#pragma once

#include "device/BoardTable.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>

namespace dialogstest {

// Each test: host started, plug-in set up, board table emptied (tests place their boards);
// the board table found at set-up is put back before the plug-in finishes.
class PluginOnHost : public ::testing::Test {
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
