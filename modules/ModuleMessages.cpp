#include "modules/ModuleMessages.h"

#include "device/DriverLibrary.h"
#include "host/HostBinding.h"
#include "ui/HardwareSelection.h"

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

int32_t CreateModule(ModuleRecord* module, const ModuleCreation& creation, char (*channelNames)[24],
                     uint16_t& boardSlot, uint16_t& port) {
    if (SelectHardware(creation.kind, HandleFromAddr32<HWND>(module->hWnd)) != 0)
        return 0;
    const HardwareChoice choice = hardwareChoice[static_cast<int>(creation.kind)];
    ClaimPort(creation.kind, choice.chosenSlot, choice.chosenPort);
    boardSlot = choice.chosenSlot;
    port = choice.chosenPort;
    if (module->inputChannelCount == 0 && module->outputChannelCount == 0) {
        module->outputChannelCount = creation.defaultOutputs;
        module->inputChannelCount = creation.defaultInputs;
    }
    for (uint32_t channel = 0; channel < MODULE_CHANNEL_LIMIT; ++channel) {
        snprintf(channelNames[channel], sizeof channelNames[channel], "%s %u", creation.stem,
                 channel);
        ChannelStateOf(module, channel)->animationPhase = 0;
    }
    return 1;
}

void ResetChannelState(ChannelState* state) {
    state->blockPending = 0;
    state->samplesDelivered = 0;
    state->animationPhase = 0;
}

void ReportPortFailure(const char* title, uint16_t boardSlot, uint32_t channel) {
    hostBinding.services.StopExperiment();
    // Fetched after the port lock was left: another thread's port access may fall between the
    // failed access and this query, and the code may then be that access's.
    const int errorCode = DriverGetLastError(boardSlot);
    char text[256]; // holds the longest possible text
    snprintf(text, sizeof text, "LogSlot = %d\nChannel = %d\nErrCode = %d",
             static_cast<int>(boardSlot), static_cast<int>(channel), errorCode);
    hostBinding.services.ShowWarning(title, text);
}
