// The board maker's driver library lumo31a.dll: its entries and its resource record. Shared by
// the plug-in's binding and the simulated driver.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

// Calling convention of the driver's entries, as the plug-in declares them. The plug-in calls
// them through host/ForeignCall.h, which works with either convention; the simulated driver's
// second build defines this as __cdecl to show that.
#ifndef LUMO_CALL
#define LUMO_CALL WINAPI
#endif

#pragma pack(push, 1)
// Filled by Lumo31aGetResource; the plug-in reads two words of it.
struct DriverResourceRecord {
    uint8_t reserved0[116];
    uint32_t ioPortAddress; // I/O port base address
    uint8_t reserved120[76];
    uint32_t ioPortLength; // length of the I/O port range
    uint8_t reserved200[208];
};
#pragma pack(pop)
static_assert(offsetof(DriverResourceRecord, ioPortAddress) == 116, "");
static_assert(offsetof(DriverResourceRecord, ioPortLength) == 196, "");
static_assert(sizeof(DriverResourceRecord) == 408, "");

// The slots the driver answers for (0..15) and the ports of each board (0..3): the plug-in's
// board table, the simulated driver and the stand-in host's board views are all this size.
enum : int { BOARD_SLOTS = 16, BOARD_PORTS = 4 };

// Every argument travels as a 32-bit value: slots and data bytes zero-extended.
typedef int32_t(LUMO_CALL* Lumo31aGetVersionFn)(void);
typedef int32_t(LUMO_CALL* Lumo31aCreateFn)(uint32_t* slot);
typedef int32_t(LUMO_CALL* Lumo31aCloseFn)(uint32_t slot);
typedef int32_t(LUMO_CALL* Lumo31aGetResourceFn)(uint32_t slot, DriverResourceRecord* record);
typedef int32_t(LUMO_CALL* Lumo31aInPortFn)(uint32_t slot, uint32_t port, uint8_t* data);
typedef int32_t(LUMO_CALL* Lumo31aOutPortFn)(uint32_t slot, uint32_t port, uint32_t data);
typedef int32_t(LUMO_CALL* Lumo31aGetLastErrorFn)(uint32_t slot);
typedef int32_t(LUMO_CALL* Lumo31aGetSwitchValueFn)(uint32_t slot, uint32_t* value);

// The eight entries, in the order in which the plug-in resolves them. The plug-in's binding,
// the simulated driver's enumeration of its entries and its builds that each lack one entry
// (sim/CMakeLists.txt reads the names from these lines) all take them from here.
// X(entry name, stem of its enumerator, function type)
#define LUMO_DRIVER_ENTRIES(X)                                                                     \
    X(Lumo31aGetVersion, GET_VERSION, Lumo31aGetVersionFn)                                         \
    X(Lumo31aCreate, CREATE, Lumo31aCreateFn)                                                      \
    X(Lumo31aClose, CLOSE, Lumo31aCloseFn)                                                         \
    X(Lumo31aGetResource, GET_RESOURCE, Lumo31aGetResourceFn)                                      \
    X(Lumo31aInPort, IN_PORT, Lumo31aInPortFn)                                                     \
    X(Lumo31aOutPort, OUT_PORT, Lumo31aOutPortFn)                                                  \
    X(Lumo31aGetLastError, GET_LAST_ERROR, Lumo31aGetLastErrorFn)                                  \
    X(Lumo31aGetSwitchValue, GET_SWITCH_VALUE, Lumo31aGetSwitchValueFn)

#define LUMO_DRIVER_FILE_NAME "lumo31a.dll"
