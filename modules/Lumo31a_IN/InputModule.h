// The input module class "Lumo-P31 IN": an input port to flow-chart channels, paced by the
// wall clock.
#pragma once

#include "modules/ModuleRecords.h"

int32_t PEMO_HOSTCALL HandleInputModuleMessage(ModuleRecord* module, uint32_t message,
                                               uint32_t messageParam, uint32_t messageData);
int32_t PEMO_HOSTCALL ProcessInputModule(ModuleRecord* module);

int32_t NextAnimationPhase(int32_t phase);
void AnimateChannel(uint32_t animationContext, uint32_t channel, int32_t phase);
