// The service entries the host answers by name. The services the plug-in uses are real; every
// other one is its own function that notes the call and answers 0, so that a plug-in calling
// one is seen at once and by name.
#include "sim/host/core/HostInternal.h"

#include <utility>

namespace standin {

namespace {

// Takes no arguments, so pops none in either convention: the caller removes what it passed.
template <int index> int32_t PEMO_SERVICECALL Unprovided() {
    RecordUnprovidedCall(hostServiceNames[index]);
    return 0;
}

template <int... indices>
void FillUnprovided(void** entries, std::integer_sequence<int, indices...>) {
    ((entries[indices] = reinterpret_cast<void*>(&Unprovided<indices>)), ...);
}

// A service the plug-in calls answers with the stand-in host's function of the list's type
// (declared in HostInternal.h); the others stay unprovided.
template <typename Function> void Provide(void*& entry, Function* function) {
    entry = reinterpret_cast<void*>(function);
}
void Provide(void*&, const UnprovidedService*) {}

struct ServiceTable {
    void* entries[HOST_SERVICE_COUNT];
    ServiceTable() {
        FillUnprovided(entries, std::make_integer_sequence<int, HOST_SERVICE_COUNT>());
        int index = 0;
#define PEMO_PROVIDE_SERVICE(name, field, type) Provide(entries[index++], &service::field);
        PEMO_HOST_SERVICES(PEMO_PROVIDE_SERVICE)
#undef PEMO_PROVIDE_SERVICE
    }
};

} // namespace

void* ServiceEntry(int index) {
    static const ServiceTable table;
    if (index < 0 || index >= HOST_SERVICE_COUNT)
        return nullptr;
    void* entry = table.entries[index];
    if (!FitsIn32Bits(entry))
        FailAddressAbove4GB(entry, hostServiceNames[index]);
    return entry;
}

} // namespace standin
