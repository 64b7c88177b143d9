// The one way the processing reads or writes a port: one driver call under PortLock.
#pragma once

#include "device/DriverInterface.h"
#include "host/ForeignCall.h"

#include <windows.h>

#include <atomic>
#include <cstdint>

enum PortDirection : uint16_t { PORT_WRITE = 0, PORT_READ = 1 };

// Serializes every port read and write of every module across all boards.
extern CRITICAL_SECTION PortLock;
// Spins a waiter does before it sleeps: a port call holds the lock for a few nanoseconds, far
// less than putting a thread to sleep and waking it costs.
enum : DWORD { PORT_LOCK_SPIN_COUNT = 4000 };
void CreatePortLock();
void DeletePortLock();
// True while the lock exists (after a successful device set-up, until shut-down).
bool IsPortLockCreated();

// The driver's two port entries, set only while the lock exists and the library is loaded,
// so that one test tells whether a port access may go ahead.
struct ReadyPortEntries {
    std::atomic<Lumo31aInPortFn> inPort;
    std::atomic<Lumo31aOutPortFn> outPort;
};
extern ReadyPortEntries readyPortEntries;
// Sets or clears the entries after the lock or the library came or went.
void RefreshReadyPortEntries();

// Takes PortLock. When another thread holds it, the waiter backs off between attempts instead
// of polling the lock, so that the holder keeps the lock's memory in its cache and goes on
// with its next call: handing the lock from core to core costs many port calls.
void WaitForPortLock();
inline void EnterPortLock() {
    if (!TryEnterCriticalSection(&PortLock))
        WaitForPortLock();
}

// A port as a processing loop holds it: the driver's slot argument (the low 16 bits of the
// logical slot) and port argument, converted once for the loop.
struct HeldPort {
    uint32_t slot;
    uint32_t port;
};

inline HeldPort HoldPort(int slot, int port) {
    return HeldPort{static_cast<uint16_t>(slot), static_cast<uint32_t>(port)};
}

// One driver call under the lock: the entry's result, 0 (nothing called) when not ready.
template <typename Entry, typename Data>
inline int CallHeldPort(const std::atomic<Entry>& ready, HeldPort port, Data data) {
    const Entry entry = ready.load(std::memory_order_acquire);
    if (!entry)
        return 0;
    EnterPortLock();
    const int result = foreign::CallThrough(entry, port.slot, port.port, data);
    LeaveCriticalSection(&PortLock);
    return result;
}

inline int ReadHeldPort(HeldPort port, uint8_t* data) {
    return CallHeldPort(readyPortEntries.inPort, port, data);
}

inline int WriteHeldPort(HeldPort port, uint8_t data) {
    return CallHeldPort(readyPortEntries.outPort, port, static_cast<uint32_t>(data));
}

// Reads the port into *data (direction non-zero) or writes *data to it (direction 0).
// Returns the driver's result: non-zero on success, 0 on failure, with no library loaded or
// without the lock.
int AccessPort(int slot, int port, uint16_t direction, uint8_t* data);
