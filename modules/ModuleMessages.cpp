#include "modules/ModuleMessages.h"

#include "device/DriverLibrary.h"
#include "host/HostBinding.h"

#include <cstdio>

int32_t DispatchModuleMessage(const ModuleMessageEntry* table, size_t entries, ModuleRecord* module,
                              uint32_t message, uint32_t messageParam, uint32_t messageData) {
    for (size_t i = 0; i < entries; ++i)
        if (table[i].message == message)
            return table[i].answer(module, messageParam, messageData);
    return hostBinding.services.PerformDefaultAction(module, message, messageParam, messageData);
}

int32_t OnAcknowledge(ModuleRecord*, uint32_t, uint32_t) {
    return 1;
}

int32_t OnDecline(ModuleRecord*, uint32_t, uint32_t) {
    return 0;
}

void NameChannels(ModuleRecord* module, char (*channelNames)[24], const char* stem) {
    for (uint32_t channel = 0; channel < MODULE_CHANNEL_LIMIT; ++channel) {
        snprintf(channelNames[channel], sizeof channelNames[channel], "%s %u", stem, channel);
        ChannelStateOf(module, channel)->animationPhase = 0;
    }
}

void ResetChannelState(ChannelState* state) {
    state->blockPending = 0;
    state->samplesDelivered = 0;
    state->animationPhase = 0;
}

void ReportPortFailure(const char* title, uint16_t boardSlot, uint32_t channel) {
    hostBinding.services.StopExperiment();
    // Fetched after the port lock is left: the driver sees no other call in between.
    const int errorCode = DriverGetLastError(boardSlot);
    char text[256]; // holds the longest possible text
    snprintf(text, sizeof text, "LogSlot = %d\nChannel = %d\nErrCode = %d",
             static_cast<int>(boardSlot), static_cast<int>(channel), errorCode);
    hostBinding.services.ShowWarning(title, text);
}
