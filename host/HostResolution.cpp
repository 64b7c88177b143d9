#include "host/HostResolution.h"

#include "host/HostBinding.h"

namespace {

LRESULT AskHost(UINT message, const char* name) {
    return SendMessageA(hostBinding.mainWindow, message, 0, reinterpret_cast<LPARAM>(name));
}

} // namespace

int ResolveHostVariables() {
    uint32_t* values = reinterpret_cast<uint32_t*>(&hostBinding.variables);
    for (int i = 0; i < HOST_VARIABLE_COUNT; ++i) {
        const LRESULT value = AskHost(HOSTMSG_VARIABLE, hostVariableNames[i]);
        if (value == 0 && !hostVariableMayBeZero[i])
            return 0;
        // Handles and addresses of the host are 32-bit values.
        values[i] = ToAddr32(reinterpret_cast<const void*>(value), hostVariableNames[i]);
    }
    return 1;
}

int ResolveHostServices() {
    void** entries = reinterpret_cast<void**>(&hostBinding.services);
    for (int i = 0; i < HOST_SERVICE_COUNT; ++i) {
        const LRESULT entry = AskHost(HOSTMSG_SERVICE, hostServiceNames[i]);
        if (entry == 0)
            return 0;
        entries[i] = reinterpret_cast<void*>(entry);
    }
    return 1;
}

int DefinePluginVariables() {
    struct Definition {
        const char* name;
        void* address;
        uint32_t size;
    };
    HostBinding& b = hostBinding;
    const Definition definitions[] = {
        {"fGlobalMilliSecondsPerSample", &b.fGlobalMilliSecondsPerSample, 8},
        {"uiGlobalBlockSize", &b.uiGlobalBlockSize, 4},
        {"bAnimation", &b.bAnimation, 4},
        {"bExperimentIsRunning", &b.bExperimentIsRunning, 4},
        {"bExperimentIsPaused", &b.bExperimentIsPaused, 4},
        {"dwExperimentStartTimeTicks", &b.dwExperimentStartTimeTicks, 4},
        {"BBoxModul", &b.BBoxModul, 4},
    };
    for (const Definition& d : definitions)
        if (!b.services.DefineDllVariable(d.name, d.address, d.size))
            return 0;
    return 1;
}
