// The board maker's driver library, loaded at run time by its bare file name, and one thin
// call-through per entry that does nothing while the library is absent.
#include "device/DriverLibrary.h"

namespace {

// The eight entries, in the order in which they are resolved.
enum DriverEntry {
    ENTRY_GET_VERSION,
    ENTRY_CREATE,
    ENTRY_CLOSE,
    ENTRY_GET_RESOURCE,
    ENTRY_IN_PORT,
    ENTRY_OUT_PORT,
    ENTRY_GET_LAST_ERROR,
    ENTRY_GET_SWITCH_VALUE,
    DRIVER_ENTRY_COUNT
};

const char* const driverEntryNames[DRIVER_ENTRY_COUNT] = {
    "Lumo31aGetVersion", "Lumo31aCreate",  "Lumo31aClose",        "Lumo31aGetResource",
    "Lumo31aInPort",     "Lumo31aOutPort", "Lumo31aGetLastError", "Lumo31aGetSwitchValue",
};

HMODULE driverLibrary;                     // null while no library is loaded
FARPROC driverEntries[DRIVER_ENTRY_COUNT]; // used only while driverLibrary is set

template <typename Fn> Fn Entry(DriverEntry entry) {
    return reinterpret_cast<Fn>(driverEntries[entry]);
}

// The driver takes the slot as an unsigned 16-bit value, zero-extended.
uint32_t DriverSlot(int slot) {
    return static_cast<uint16_t>(slot);
}

// True when every entry was found; stops at the first missing name.
bool ResolveDriverEntries() {
    for (int entry = 0; entry < DRIVER_ENTRY_COUNT; ++entry) {
        const FARPROC address = GetProcAddress(driverLibrary, driverEntryNames[entry]);
        if (!address)
            return false;
        driverEntries[entry] = address;
    }
    return true;
}

} // namespace

int LoadDriverLibrary() {
    if (driverLibrary)
        return 0;
    driverLibrary = LoadLibraryA(LUMO_DRIVER_FILE_NAME);
    if (!driverLibrary)
        return 0;
    if (!ResolveDriverEntries()) {
        FreeDriverLibrary();
        return 0;
    }
    return 1;
}

int FreeDriverLibrary() {
    if (!driverLibrary)
        return 0;
    const int result = FreeLibrary(driverLibrary);
    if (result == 1)
        driverLibrary = nullptr;
    return result;
}

bool IsDriverLibraryLoaded() {
    return driverLibrary != nullptr;
}

int DriverCreate(uint32_t* slot) {
    if (!driverLibrary)
        return 0;
    return Entry<Lumo31aCreateFn>(ENTRY_CREATE)(slot);
}

int DriverClose(int slot) {
    if (!driverLibrary)
        return 0;
    return Entry<Lumo31aCloseFn>(ENTRY_CLOSE)(DriverSlot(slot));
}

int DriverGetResource(int slot, DriverResourceRecord* record) {
    if (!driverLibrary)
        return 0;
    return Entry<Lumo31aGetResourceFn>(ENTRY_GET_RESOURCE)(DriverSlot(slot), record);
}

int DriverInPort(int slot, int port, uint8_t* data) {
    if (!driverLibrary)
        return 0;
    return Entry<Lumo31aInPortFn>(ENTRY_IN_PORT)(DriverSlot(slot), static_cast<uint32_t>(port),
                                                 data);
}

int DriverOutPort(int slot, int port, int data) {
    if (!driverLibrary)
        return 0;
    return Entry<Lumo31aOutPortFn>(ENTRY_OUT_PORT)(DriverSlot(slot), static_cast<uint32_t>(port),
                                                   static_cast<uint8_t>(data));
}

int DriverGetLastError(int slot) {
    if (!driverLibrary)
        return -1;
    return Entry<Lumo31aGetLastErrorFn>(ENTRY_GET_LAST_ERROR)(DriverSlot(slot));
}

int DriverGetSwitchValue(int slot, uint32_t* value) {
    if (!driverLibrary)
        return 0;
    return Entry<Lumo31aGetSwitchValueFn>(ENTRY_GET_SWITCH_VALUE)(DriverSlot(slot), value);
}
