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
    HostBinding& b = hostBinding;
#define PEMO_DEFINE_VARIABLE(name, field, type)                                                    \
    if (!b.services.DefineDllVariable(name, &b.field, sizeof b.field))                             \
        return 0;
    PEMO_PLUGIN_VARIABLES(PEMO_DEFINE_VARIABLE)
#undef PEMO_DEFINE_VARIABLE
    return 1;
}
