#include "tests/dialogs/DialogsTestSupport.h"

#include "host/HostBinding.h"
#include "host/PluginEntry.h"
#include "sim/host/StandInHost.h"

#include <cstring>

namespace dialogstest {

void PluginOnHost::SetUp() {
    SetPluginInstance(GetModuleHandleA(nullptr));
    ASSERT_TRUE(standin::HostStart());
    standin::AttachPluginEntries(SetupPemoDLL, FinishPemoDLL, WEP);
    ASSERT_EQ(standin::CallSetup(), 1);
    std::memcpy(boardsAtSetup, BoardTable, sizeof BoardTable);
    std::memset(BoardTable, 0, sizeof BoardTable);
}

void PluginOnHost::TearDown() {
    std::memcpy(BoardTable, boardsAtSetup, sizeof BoardTable);
    standin::CallFinish();
    standin::HostStop();
}

void PlaceBoard(int slot, uint32_t address, int32_t length, uint32_t switchValue) {
    BoardTable[slot] = BoardEntry{1, address, length, switchValue, {}, {}};
}

void ClaimAll(PortKind kind, int slot) {
    for (uint16_t port = 0; port < BOARD_PORTS; port++)
        ClaimPort(kind, static_cast<uint16_t>(slot), port);
}

} // namespace dialogstest
