// Claims of modules on board ports. Slot and port may come from a stored flow chart, so they
// are checked before they index the table.
#include "device/BoardTable.h"

#include "device/DriverLibrary.h"
#include "host/HostBinding.h"

namespace {

// The claim flag of that kind, slot and port; null when slot or port lies outside the table.
int32_t* ClaimFlag(PortKind kind, uint16_t slot, uint16_t port) {
    if (slot >= BOARD_SLOTS || port >= BOARD_PORTS)
        return nullptr;
    BoardEntry& entry = BoardTable[slot];
    return kind == PortKind::Input ? &entry.inputClaimed[port] : &entry.outputClaimed[port];
}

void WarnDeviceMissing() {
    hostBinding.services.ShowWarning("エラー", "デバイスが存在しません");
}

} // namespace

void ClaimPort(PortKind kind, uint16_t slot, uint16_t port) {
    if (int32_t* flag = ClaimFlag(kind, slot, port))
        *flag = 1;
}

int ReclaimPort(PortKind kind, uint16_t slot, uint16_t port) {
    int32_t* flag = ClaimFlag(kind, slot, port);
    if (!flag) {
        WarnDeviceMissing();
        return 0;
    }
    DriverResourceRecord record;
    if (DriverGetResource(slot, &record) == 0) {
        WarnDeviceMissing();
        return 0;
    }
    *flag = 1;
    return 1;
}

void ReleasePort(PortKind kind, uint16_t slot, uint16_t port) {
    if (int32_t* flag = ClaimFlag(kind, slot, port))
        *flag = 0;
}

bool IsPortFree(PortKind kind, uint16_t slot, uint16_t port) {
    const int32_t* flag = ClaimFlag(kind, slot, port);
    return flag && *flag == 0;
}
