// ProcessInputModule: fills each output channel's block from the input port, one read per
// sample, and holds the block back until the wall clock has reached the end of its time span.
// It never waits; the host's repeated calls do.
#include "modules/Lumo31a_IN/InputModule.h"

#include "device/PortAccess.h"
#include "host/HostBinding.h"
#include "modules/ModuleMessages.h"
#include "modules/Lumo31a_IN/TickSource.h"

#include <cfloat>
#include <cmath>

// The stamps and the due tick are what IEEE double arithmetic gives, in every build: with x87
// registers, extended precision between the steps would make 10 x 0.7 ms come out below 7.
static_assert(FLT_EVAL_METHOD == 0, "double arithmetic in double registers (-mfpmath=sse)");

namespace {

float SampleFromByte(uint8_t byte, uint32_t channel) {
    return (byte >> channel) & 1u ? 5.0f : 0.0f;
}

// Takes the channel's current block, reads the port into it and marks it pending. A failed
// read leaves the byte 0, so its sample is 0.0. Slot and port are held for the whole block:
// the loop does one lock and one driver call per sample and nothing else of note.
void FillChannelBlock(ModuleRecord* module, uint32_t channel, ChannelState* state) {
    OutputChannelRecord* record = OutputChannelOf(module, channel);
    DataBlock* block = hostBinding.services.GetCurrentOutputBlock(record);
    if (block == nullptr)
        return;
    const InParams* params = FromAddr32<InParams>(module->params);
    const uint32_t blockSize = hostBinding.uiGlobalBlockSize;
    const double sampleDistance = hostBinding.fGlobalMilliSecondsPerSample * 0.001;
    block->sampleDistance = sampleDistance;
    block->startTime = static_cast<double>(state->samplesDelivered) * sampleDistance;
    block->sampleCount = static_cast<uint16_t>(blockSize);
    const uint16_t boardSlot = params->boardSlot;
    const HeldPort port = HoldPort(boardSlot, params->port);
    for (uint32_t position = 0; position < blockSize; ++position) {
        uint8_t byte = 0;
        if (!ReadHeldPort(port, &byte)) {
            ReportPortFailure("サンプリングエラー", boardSlot, channel);
            byte = 0;
        }
        block->samples[position] = SampleFromByte(byte, channel);
    }
    state->blockPending = 1;
    state->samplesDelivered += blockSize;
}

// Milliseconds from the start tick to the end of the samples delivered, truncated, low 32 bits.
uint32_t DueOffset(uint32_t samplesDelivered) {
    const double milliseconds = std::trunc(static_cast<double>(samplesDelivered) *
                                           hostBinding.fGlobalMilliSecondsPerSample);
    // Out of range (or NaN) only with a nonsensical time base; such a block is due at once.
    if (!(std::fabs(milliseconds) < 9.2e18))
        return 0;
    return static_cast<uint32_t>(static_cast<int64_t>(milliseconds));
}

void ReleaseChannelBlockIfDue(ModuleRecord* module, uint32_t channel, ChannelState* state) {
    // Ticks since the start, modulo 2^32, against the due offset: right across the tick
    // count's wrap after 49.7 days, and a block due 2^31 ms or more ahead is still held.
    const uint32_t elapsed = ReadTickCount() - hostBinding.dwExperimentStartTimeTicks;
    if (elapsed < DueOffset(state->samplesDelivered))
        return;
    if (hostBinding.bAnimation == 1)
        AnimateChannel(module->animationContext, channel, state->animationPhase);
    hostBinding.services.NewReleaseOutputBlock(OutputChannelOf(module, channel), __FILE__,
                                               __LINE__);
    state->blockPending = 0;
    state->animationPhase = NextAnimationPhase(state->animationPhase);
}

} // namespace

int32_t PEMO_HOSTCALL ProcessInputModule(ModuleRecord* module) {
    if (module->processEnable == 0 || hostBinding.bExperimentIsPaused == 1)
        return 1;
    // Only eight channels have a state of their own; a larger count from the host stops there.
    for (uint32_t channel = 0;
         channel < module->outputChannelCount && channel < MODULE_CHANNEL_LIMIT; ++channel) {
        OutputChannelOf(module, channel)->field14 = 0;
        ChannelState* state = ChannelStateOf(module, channel);
        if (state->blockPending != 1)
            FillChannelBlock(module, channel, state);
        if (state->blockPending == 1 && hostBinding.bExperimentIsPaused == 0)
            ReleaseChannelBlockIfDue(module, channel, state);
    }
    return 1;
}
