// The service entries the host answers by name. The services the plug-in uses are real; every
// other one is its own function that notes the call and answers 0, so that a plug-in calling
// one is seen at once and by name.
#include "sim/host/HostInternal.h"

#include <cstring>
#include <utility>

namespace standin {

namespace {

// Cdecl: the caller removes its arguments, whatever it passed.
template <int index> int32_t PEMO_HOSTCALL Unprovided() {
    RecordUnprovidedCall(hostServiceNames[index]);
    return 0;
}

template <int... indices>
void FillUnprovided(void** entries, std::integer_sequence<int, indices...>) {
    ((entries[indices] = reinterpret_cast<void*>(&Unprovided<indices>)), ...);
}

struct RealService {
    const char* name;
    void* entry;
};

const RealService realServices[] = {
    {"NewMemAlloc", reinterpret_cast<void*>(&service::NewMemAlloc)},
    {"NewDoMemFree", reinterpret_cast<void*>(&service::NewDoMemFree)},
    {"DefineDllModule", reinterpret_cast<void*>(&service::DefineDllModule)},
    {"DefineDllVariable", reinterpret_cast<void*>(&service::DefineDllVariable)},
    {"RegisterModuleClass", reinterpret_cast<void*>(&service::RegisterModuleClass)},
    {"PerformDefaultAction", reinterpret_cast<void*>(&service::PerformDefaultAction)},
    {"NewReleaseOutputBlock", reinterpret_cast<void*>(&service::NewReleaseOutputBlock)},
    {"GetCurrentOutputBlock", reinterpret_cast<void*>(&service::GetCurrentOutputBlock)},
    {"GetInputBlock", reinterpret_cast<void*>(&service::GetInputBlock)},
    {"NewReleaseInputBlock", reinterpret_cast<void*>(&service::NewReleaseInputBlock)},
    {"ChangeModuleSize", reinterpret_cast<void*>(&service::ChangeModuleSize)},
    {"ShowWarning", reinterpret_cast<void*>(&service::ShowWarning)},
    {"StopExperiment", reinterpret_cast<void*>(&service::StopExperiment)},
    {"CreateStackedFontIndirect", reinterpret_cast<void*>(&service::CreateStackedFontIndirect)},
    {"DeleteStackedObject", reinterpret_cast<void*>(&service::DeleteStackedObject)},
    {"RegisterMenuEntry", reinterpret_cast<void*>(&service::RegisterMenuEntry)},
};

struct ServiceTable {
    void* entries[HOST_SERVICE_COUNT];
    ServiceTable() {
        FillUnprovided(entries, std::make_integer_sequence<int, HOST_SERVICE_COUNT>());
        for (const RealService& real : realServices)
            for (int i = 0; i < HOST_SERVICE_COUNT; ++i)
                if (std::strcmp(hostServiceNames[i], real.name) == 0)
                    entries[i] = real.entry;
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
