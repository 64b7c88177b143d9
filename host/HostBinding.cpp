#include "host/HostBinding.h"

#include "modules/ModuleRecords.h"

HostBinding hostBinding;

void SetPluginInstance(HINSTANCE instance) {
    hostBinding.instance = instance;
}

ModuleRecord* CurrentModule() {
    const Addr32* pointer = FromAddr32<Addr32>(hostBinding.variables.CurrentModulePtrAddress);
    return FromAddr32<ModuleRecord>(*pointer);
}
