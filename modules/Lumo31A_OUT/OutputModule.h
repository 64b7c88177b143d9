// The output module class "Lumo-P31 OUT": flow-chart channels to the bits of an output port.
#pragma once

#include "modules/ModuleRecords.h"

int32_t PEMO_HOSTCALL HandleOutputModuleMessage(ModuleRecord* module, uint32_t message,
                                                uint32_t messageParam, uint32_t messageData);
int32_t PEMO_HOSTCALL ProcessOutputModule(ModuleRecord* module);
