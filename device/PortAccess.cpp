// Port reads and writes of the processing, one driver call at a time across all boards.
#include "device/PortAccess.h"

#include "device/DriverLibrary.h"

#include <atomic>

CRITICAL_SECTION PortLock;

namespace {
// True between CreatePortLock and DeletePortLock: a lock that was never made, or is already
// gone, is never entered.
std::atomic<bool> portLockCreated{false};
} // namespace

void CreatePortLock() {
    if (portLockCreated.load())
        return;
    InitializeCriticalSection(&PortLock);
    portLockCreated.store(true);
}

void DeletePortLock() {
    if (!portLockCreated.exchange(false))
        return;
    DeleteCriticalSection(&PortLock);
}

bool IsPortLockCreated() {
    return portLockCreated.load();
}

int AccessPort(int slot, int port, uint16_t direction, uint8_t* data) {
    if (!portLockCreated.load(std::memory_order_acquire) || !IsDriverLibraryLoaded())
        return 0;
    int result;
    EnterCriticalSection(&PortLock);
    if (direction)
        result = DriverInPort(slot, port, data);
    else
        result = DriverOutPort(slot, port, *data);
    LeaveCriticalSection(&PortLock);
    return result;
}
