// The one way the processing reads or writes a port: one driver call under PortLock.
#pragma once

#include <windows.h>

#include <cstdint>

enum PortDirection : uint16_t { PORT_WRITE = 0, PORT_READ = 1 };

// Serializes every port read and write of every module across all boards.
extern CRITICAL_SECTION PortLock;
void CreatePortLock();
void DeletePortLock();
// True while the lock exists (after a successful device set-up, until shut-down).
bool IsPortLockCreated();

// Reads the port into *data (direction non-zero) or writes *data to it (direction 0).
// Returns the driver's result: non-zero on success, 0 on failure, with no library loaded or
// without the lock.
int AccessPort(int slot, int port, uint16_t direction, uint8_t* data);
