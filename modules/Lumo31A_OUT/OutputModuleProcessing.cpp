// ProcessOutputModule: each input channel's samples become one bit of the output port's byte,
// and the whole byte goes to the port once per sample and channel.
#include "modules/Lumo31A_OUT/OutputModule.h"

#include "device/PortAccess.h"
#include "host/HostBinding.h"
#include "modules/ModuleMessages.h"

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

// Writes one channel's block into its bit of the buffer, sending each byte as it changes.
void WriteChannelBlock(const DataBlock* block, uint32_t channel, OutParams* params,
                       uint8_t* portBytes) {
    uint32_t count = block->sampleCount;
    if (count > hostBinding.uiGlobalBlockSize)
        count = hostBinding.uiGlobalBlockSize;
    for (uint32_t position = 0; position < count; ++position) {
        SetChannelBit(portBytes[position], channel, SampleIsSet(block->samples[position]));
        if (!AccessPort(params->boardSlot, params->port, PORT_WRITE, &portBytes[position]))
            ReportPortFailure("送出エラー", params->boardSlot, channel);
    }
}

} // namespace

int32_t PEMO_HOSTCALL ProcessOutputModule(ModuleRecord* module) {
    if (hostBinding.bExperimentIsPaused == 1)
        return 1;
    OutParams* params = OutParamsOf(module);
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
