#include "tests/dialogs/DialogsTestSupport.h"

#include <cstring>

namespace dialogstest {

void BoardsOnHost::SetUp() {
    PluginOnHost::SetUp();
    std::memcpy(boardsAtSetup, BoardTable, sizeof BoardTable);
    std::memset(BoardTable, 0, sizeof BoardTable);
}

void BoardsOnHost::TearDown() {
    std::memcpy(BoardTable, boardsAtSetup, sizeof BoardTable);
    PluginOnHost::TearDown();
}

void PlaceBoard(int slot, uint32_t address, int32_t length, uint32_t switchValue) {
    BoardTable[slot] = BoardEntry{1, address, length, switchValue, {}, {}};
}

void ClaimAll(PortKind kind, int slot) {
    for (uint16_t port = 0; port < BOARD_PORTS; port++)
        ClaimPort(kind, static_cast<uint16_t>(slot), port);
}

} // namespace dialogstest
