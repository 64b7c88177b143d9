// The board maker's driver library, loaded at run time by its bare file name, and one thin
// call-through per entry that does nothing while the library is absent.
#include "device/DriverLibrary.h"

#include "device/PortAccess.h"
#include "host/ForeignCall.h"

namespace {

// The entries of the loaded library, one field per entry of the list, called only through
// host/ForeignCall.h.
struct DriverEntries {
#define LUMO_ENTRY_FIELD(name, stem, type) foreign::Entry<type> name;
    LUMO_DRIVER_ENTRIES(LUMO_ENTRY_FIELD)
#undef LUMO_ENTRY_FIELD
};

HMODULE driverLibrary; // null while no library is loaded
DriverEntries driver;  // used only while driverLibrary is set

// The driver takes the slot as an unsigned 16-bit value, zero-extended.
uint32_t DriverSlot(int slot) {
    return static_cast<uint16_t>(slot);
}

// True when every entry was found; stops at the first missing name, in the list's order.
bool ResolveDriverEntries() {
#define LUMO_RESOLVE_ENTRY(name, stem, type)                                                       \
    driver.name = reinterpret_cast<type>(GetProcAddress(driverLibrary, #name));                    \
    if (!driver.name)                                                                              \
        return false;
    LUMO_DRIVER_ENTRIES(LUMO_RESOLVE_ENTRY)
#undef LUMO_RESOLVE_ENTRY
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
    RefreshReadyPortEntries();
    return 1;
}

int FreeDriverLibrary() {
    if (!driverLibrary)
        return 0;
    const int result = FreeLibrary(driverLibrary);
    if (result == 1) {
        driverLibrary = nullptr;
        RefreshReadyPortEntries();
    }
    return result;
}

bool IsDriverLibraryLoaded() {
    return driverLibrary != nullptr;
}

DriverPortEntries LoadedPortEntries() {
    if (!driverLibrary)
        return DriverPortEntries{nullptr, nullptr};
    return DriverPortEntries{driver.Lumo31aInPort.Pointer(), driver.Lumo31aOutPort.Pointer()};
}

int DriverCreate(uint32_t* slot) {
    if (!driverLibrary)
        return 0;
    return driver.Lumo31aCreate(slot);
}

int DriverClose(int slot) {
    if (!driverLibrary)
        return 0;
    return driver.Lumo31aClose(DriverSlot(slot));
}

int DriverGetResource(int slot, DriverResourceRecord* record) {
    if (!driverLibrary)
        return 0;
    return driver.Lumo31aGetResource(DriverSlot(slot), record);
}

int DriverInPort(int slot, int port, uint8_t* data) {
    if (!driverLibrary)
        return 0;
    return driver.Lumo31aInPort(DriverSlot(slot), static_cast<uint32_t>(port), data);
}

int DriverOutPort(int slot, int port, int data) {
    if (!driverLibrary)
        return 0;
    return driver.Lumo31aOutPort(DriverSlot(slot), static_cast<uint32_t>(port),
                                 static_cast<uint8_t>(data));
}

int DriverGetLastError(int slot) {
    if (!driverLibrary)
        return -1;
    return driver.Lumo31aGetLastError(DriverSlot(slot));
}

int DriverGetSwitchValue(int slot, uint32_t* value) {
    if (!driverLibrary)
        return 0;
    return driver.Lumo31aGetSwitchValue(DriverSlot(slot), value);
}
