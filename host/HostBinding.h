// HostBinding: everything the plug-in knows of its host, filled once by SetupPemoDLL and read by
// every other part of the plug-in.
#pragma once

#include "host/ForeignCall.h"
#include "host/HostInterface.h"
#include "host/HostNames.h"

#include <type_traits>

// The 60 host variables as message 30000 answered them (32-bit values), in resolution order.
struct HostVariables {
#define PEMO_VARIABLE_FIELD(name, field, mayBeZero) uint32_t field;
    PEMO_HOST_VARIABLES(PEMO_VARIABLE_FIELD)
#undef PEMO_VARIABLE_FIELD
};
static_assert(sizeof(HostVariables) == HOST_VARIABLE_COUNT * 4, "one word per host variable");

// The 102 host service entries as message 30001 answered them, in resolution order. Those the
// plug-in calls can only be called through host/ForeignCall.h.
template <typename Type>
using ServiceField =
    std::conditional_t<std::is_same<Type, HostEntry>::value, HostEntry, foreign::Entry<Type>>;
struct HostServices {
#define PEMO_SERVICE_FIELD(name, field, type) ServiceField<type> field;
    PEMO_HOST_SERVICES(PEMO_SERVICE_FIELD)
#undef PEMO_SERVICE_FIELD
};
static_assert(sizeof(HostServices) == HOST_SERVICE_COUNT * sizeof(void*),
              "one entry per host service");

struct HostBinding {
    HWND mainWindow;    // the host main window given to SetupPemoDLL
    HINSTANCE instance; // the plug-in's own module: resources and window classes
    HostVariables variables;
    HostServices services;

    // The plug-in's own variables, defined to the host, which keeps them current.
#define PEMO_PLUGIN_VARIABLE_FIELD(name, field, type) type field;
    PEMO_PLUGIN_VARIABLES(PEMO_PLUGIN_VARIABLE_FIELD)
#undef PEMO_PLUGIN_VARIABLE_FIELD
};

extern HostBinding hostBinding;

// Records the plug-in's instance handle (the process attach does this; test programs that
// link the plug-in's parts directly pass their own module).
void SetPluginInstance(HINSTANCE instance);

// The host's current-module pointer (&CurrentModulePtr): the module whose dialog runs.
ModuleRecord* CurrentModule();
