// Port reads and writes of the processing, one driver call at a time across all boards.
#include "device/PortAccess.h"

#include "device/DriverLibrary.h"

CRITICAL_SECTION PortLock;
ReadyPortEntries readyPortEntries;

namespace {
// True between CreatePortLock and DeletePortLock: a lock that was never made, or is already
// gone, is never entered.
std::atomic<bool> portLockCreated{false};
} // namespace

void RefreshReadyPortEntries() {
    const DriverPortEntries entries =
        portLockCreated.load() ? LoadedPortEntries() : DriverPortEntries{nullptr, nullptr};
    readyPortEntries.inPort.store(entries.inPort, std::memory_order_release);
    readyPortEntries.outPort.store(entries.outPort, std::memory_order_release);
}

void CreatePortLock() {
    if (portLockCreated.load())
        return;
    InitializeCriticalSectionAndSpinCount(&PortLock, PORT_LOCK_SPIN_COUNT);
    portLockCreated.store(true);
    RefreshReadyPortEntries();
}

void DeletePortLock() {
    if (!portLockCreated.exchange(false))
        return;
    RefreshReadyPortEntries();
    DeleteCriticalSection(&PortLock);
}

bool IsPortLockCreated() {
    return portLockCreated.load();
}

void WaitForPortLock() {
    // Pauses between attempts, doubling from 16 to 1024 (a pause takes some 20 ns on the
    // machines measured); after a dozen attempts the critical section's own spinning and
    // sleeping take over, so that a waiter does not burn the core of a holder that was
    // preempted.
    enum : unsigned { FIRST_PAUSES = 16, MOST_PAUSES = 1024, ATTEMPTS = 12 };
    unsigned pauses = FIRST_PAUSES;
    for (unsigned attempt = 0; attempt < ATTEMPTS; ++attempt) {
        for (unsigned i = 0; i < pauses; ++i)
            YieldProcessor();
        if (TryEnterCriticalSection(&PortLock))
            return;
        if (pauses < MOST_PAUSES)
            pauses *= 2;
    }
    EnterCriticalSection(&PortLock);
}

int AccessPort(int slot, int port, uint16_t direction, uint8_t* data) {
    const HeldPort held = HoldPort(slot, port);
    return direction ? ReadHeldPort(held, data) : WriteHeldPort(held, *data);
}
