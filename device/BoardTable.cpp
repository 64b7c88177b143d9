// The board table: filled once at device set-up from the driver's answers for every slot.
#include "device/BoardTable.h"

#include "device/DriverLibrary.h"
#include "device/PortAccess.h"

BoardEntry BoardTable[BOARD_SLOTS];

namespace {

void ClearClaims(BoardEntry& entry) {
    for (int port = 0; port < BOARD_PORTS; ++port) {
        entry.inputClaimed[port] = 0;
        entry.outputClaimed[port] = 0;
    }
}

// Asks the driver about one logical slot. The driver may leave another slot in the variable
// for the two queries after Lumo31aCreate; the table keeps the loop index.
void ProbeBoard(int index, BoardEntry& entry) {
    uint32_t slot = static_cast<uint32_t>(index);
    if (DriverCreate(&slot) != 1) {
        entry.present = 0;
        entry.ioPortAddress = 0;
        entry.ioPortLength = 0;
        return;
    }
    entry.present = 1;
    DriverResourceRecord record;
    if (DriverGetResource(static_cast<int>(slot), &record) == 1) {
        entry.ioPortAddress = record.ioPortAddress;
        entry.ioPortLength = static_cast<int32_t>(record.ioPortLength);
    } else {
        entry.ioPortAddress = 0;
        entry.ioPortLength = 0;
    }
    if (DriverGetSwitchValue(static_cast<int>(slot), &entry.switchValue) == 0) {
        entry.present = 0;
        entry.switchValue = 0;
    }
}

} // namespace

int OpenBoards() {
    if (!LoadDriverLibrary())
        return 0;
    CreatePortLock();
    for (int index = 0; index < BOARD_SLOTS; ++index) {
        ProbeBoard(index, BoardTable[index]);
        ClearClaims(BoardTable[index]);
    }
    return 1;
}

int CloseBoards() {
    for (int index = 0; index < BOARD_SLOTS; ++index) {
        if (BoardTable[index].present == 1)
            DriverClose(index);
    }
    FreeDriverLibrary();
    DeletePortLock();
    return 1;
}
