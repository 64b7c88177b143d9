// ProcessOutputModule: each input channel's samples become one bit of the output port's byte,
// and the whole byte goes to the port once per sample and channel.
#include "modules/Lumo31A_OUT/OutputModule.h"

#include "device/DriverLibrary.h"
#include "device/PortAccess.h"
#include "host/HostBinding.h"

#include <cstdio>

namespace {

// Bits of the port: one per channel, channel i on bit i.
enum : uint32_t { PORT_BITS = 8 };

// A sample of 5.0 or more stands for a set bit; below, or NaN, for a clear one.
bool SampleIsSet(float sample) {
    return sample >= 5.0f;
}

void SetChannelBit(uint8_t& byte, uint32_t channel, bool set) {
    if (channel >= PORT_BITS)
        return;
    const uint8_t mask = static_cast<uint8_t>(1u << channel);
    byte = set ? static_cast<uint8_t>(byte | mask) : static_cast<uint8_t>(byte & ~mask);
}

// The experiment cannot go on with a port that refuses its data: stop it and tell the user.
void ReportWriteFailure(const OutParams* params, uint32_t channel) {
    hostBinding.services.StopExperiment();
    const int errorCode = DriverGetLastError(params->boardSlot);
    char text[256];
    snprintf(text, sizeof text, "LogSlot = %d\nChannel = %d\nErrCode = %d",
             static_cast<int>(params->boardSlot), static_cast<int>(channel), errorCode);
    hostBinding.services.ShowWarning("送出エラー", text);
}

// Writes one channel's block into its bit of the buffer, sending each byte as it changes.
void WriteChannelBlock(const DataBlock* block, uint32_t channel, OutParams* params,
                       uint8_t* portBytes) {
    uint32_t count = block->sampleCount;
    if (count > hostBinding.uiGlobalBlockSize)
        count = hostBinding.uiGlobalBlockSize;
    for (uint32_t position = 0; position < count; ++position) {
        SetChannelBit(portBytes[position], channel, SampleIsSet(block->samples[position]));
        if (!AccessPort(params->boardSlot, params->port, PORT_WRITE, &portBytes[position]))
            ReportWriteFailure(params, channel);
    }
}

} // namespace

int32_t PEMO_HOSTCALL ProcessOutputModule(ModuleRecord* module) {
    if (hostBinding.bExperimentIsPaused == 1)
        return 1;
    OutParams* params = FromAddr32<OutParams>(module->params);
    uint8_t* portBytes = FromAddr32<uint8_t>(params->portBytes);
    // No buffer means no started experiment: leave the blocks with the host.
    if (portBytes == nullptr)
        return 1;
    for (uint32_t channel = 0; channel < module->inputChannelCount; ++channel) {
        const DataBlock* block = hostBinding.services.GetInputBlock(module, channel);
        if (block == nullptr)
            continue;
        WriteChannelBlock(block, channel, params, portBytes);
        hostBinding.services.NewReleaseInputBlock(module, channel, __FILE__, __LINE__);
    }
    return 1;
}
