// ProcessOutputModule: each input channel's samples become one bit of the output port's byte,
// and the whole byte goes to the port once per sample and channel.
#include "modules/Lumo31A_OUT/OutputModule.h"

#include "device/PortAccess.h"
#include "host/HostBinding.h"
#include "modules/Lumo31A_OUT/PortByteBuffer.h"
#include "modules/ModuleMessages.h"

namespace {

// Bits of the port: one per channel, channel i on bit i.
enum : uint32_t { PORT_BITS = 8 };

// A sample of 5.0 or more stands for a set bit; below, or NaN, for a clear one.
bool SampleIsSet(float sample) {
    return sample >= 5.0f;
}

// The channel's bit of the port byte; none for a channel beyond the port's bits.
uint8_t ChannelMask(uint32_t channel) {
    return channel < PORT_BITS ? static_cast<uint8_t>(1u << channel) : 0;
}

// Sample positions of the block that go out: no more than the block size in force, nor than
// the buffer made at start holds. A block size grown since the start leaves the later
// positions of each block unwritten: they are neither stored nor sent to the port.
uint32_t PositionsToWrite(const DataBlock* block, const PortByteBuffer* buffer) {
    uint32_t count = block->sampleCount;
    if (count > hostBinding.uiGlobalBlockSize)
        count = hostBinding.uiGlobalBlockSize;
    if (count > buffer->positions)
        count = buffer->positions;
    return count;
}

// Writes one channel's block into its bit of the buffer, sending each byte as it changes.
// Slot and port are held for the whole block: the loop does one lock and one driver call
// per sample and nothing else of note.
void WriteChannelBlock(const DataBlock* block, uint32_t channel, const OutParams* params,
                       PortByteBuffer* buffer) {
    const uint32_t count = PositionsToWrite(block, buffer);
    uint8_t* portBytes = buffer->bytes;
    const uint16_t boardSlot = params->boardSlot;
    const HeldPort port = HoldPort(boardSlot, params->port);
    const uint8_t mask = ChannelMask(channel);
    for (uint32_t position = 0; position < count; ++position) {
        const uint8_t kept = static_cast<uint8_t>(portBytes[position] & ~mask);
        const uint8_t byte =
            SampleIsSet(block->samples[position]) ? static_cast<uint8_t>(kept | mask) : kept;
        portBytes[position] = byte;
        if (!WriteHeldPort(port, byte))
            ReportPortFailure("送出エラー", boardSlot, channel);
    }
}

} // namespace

int32_t PEMO_HOSTCALL ProcessOutputModule(ModuleRecord* module) {
    if (hostBinding.bExperimentIsPaused == 1)
        return 1;
    OutParams* params = OutParamsOf(module);
    PortByteBuffer* buffer = PortByteBufferOf(FromAddr32<uint8_t>(params->portBytes));
    // No buffer means no started experiment: leave the blocks with the host.
    if (buffer == nullptr)
        return 1;
    // Channels from the eighth on change no bit, but a host may still carry blocks on them,
    // up to the channels its module record has room for. A larger count comes only from a
    // damaged flow chart and would ask the host for blocks some 2^32 times per call.
    for (uint32_t channel = 0;
         channel < module->inputChannelCount && channel < MODULE_RECORD_CHANNELS; ++channel) {
        const DataBlock* block = hostBinding.services.GetInputBlock(module, channel);
        if (block == nullptr)
            continue;
        WriteChannelBlock(block, channel, params, buffer);
        hostBinding.services.NewReleaseInputBlock(module, channel, __FILE__, __LINE__);
    }
    return 1;
}
