// Loading lumo31a.dll at run time and calling through its entries. Every call-through does
// nothing and returns 0 (DriverGetLastError: -1) while no library is loaded.
#pragma once

#include "device/DriverInterface.h"

// 1 when the library is loaded and all eight entries resolved; 0 otherwise (also when a
// library is already loaded, which stays as it is).
int LoadDriverLibrary();
// 0 when no library is loaded, else the result of FreeLibrary.
int FreeDriverLibrary();
bool IsDriverLibraryLoaded();

// The two port entries of the loaded library, both null while none is loaded. The per-sample
// path reaches them through device/PortAccess.h.
struct DriverPortEntries {
    Lumo31aInPortFn inPort;
    Lumo31aOutPortFn outPort;
};
DriverPortEntries LoadedPortEntries();

int DriverCreate(uint32_t* slot);
int DriverClose(int slot);
int DriverGetResource(int slot, DriverResourceRecord* record);
int DriverInPort(int slot, int port, uint8_t* data);
int DriverOutPort(int slot, int port, int data);
int DriverGetLastError(int slot);
int DriverGetSwitchValue(int slot, uint32_t* value);
