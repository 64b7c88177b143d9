// An input module wired through the stand-in host to an output module, on the real clock: every
// bit read on the input port reaches the output port, in order, and no block leaves the input
// module before its due tick.
#include "tests/modules/ModuleTestSupport.h"

#include <map>

using namespace moduletest;

namespace {

enum : uint32_t { CHANNELS = 8, BLOCK = 25, RUN_MS = 1200 };
const double MS_PER_SAMPLE = 1.0;

class EndToEnd : public ModuleTest {
    std::string DriverSetup() const override {
        return "board 0\nboard 1\ninput 0 1 counter start=1 step=37\n";
    }
};

// The log entries of one driver entry from `first` on.
std::vector<LumoSimCall> LoggedSince(int first, int entry) {
    std::vector<LumoSimCall> calls;
    for (int index = first; index < Sim().LogCount(); ++index) {
        LumoSimCall call;
        if (Sim().LogEntry(index, &call) && call.entry == entry)
            calls.push_back(call);
    }
    return calls;
}

TEST_F(EndToEnd, EveryBitReadArrivesAtTheOutputPortInOrderAndNoBlockLeavesEarly) {
    UseRealClock();
    standin::SetBlockSize(BLOCK);
    standin::SetMilliSecondsPerSample(MS_PER_SAMPLE);
    ModuleRecord* input = RestoredModule(INPUT_CLASS, 0, 1, 0, CHANNELS);
    ModuleRecord* output = RestoredModule(OUTPUT_CLASS, 1, 2, CHANNELS, 0);
    input->processEnable = 1;
    for (uint32_t channel = 0; channel < CHANNELS; ++channel)
        standin::Connect(input, channel, output, channel);
    Sim().ClearLog();
    ASSERT_TRUE(standin::StartExperiment({input, output}));
    const uint32_t start = standin::ExperimentStartTicks();

    // Bits read for each channel, in order, and how far the output has consumed them.
    std::vector<int> bitsRead[CHANNELS];
    size_t bitsWritten[CHANNELS] = {};
    uint8_t expectedPort[BLOCK] = {};
    int mismatches = 0;
    while (GetTickCount() - start < RUN_MS) {
        uint32_t delivered[CHANNELS];
        for (uint32_t channel = 0; channel < CHANNELS; ++channel)
            delivered[channel] = ChannelStateOf(input, channel)->samplesDelivered;
        int logStart = Sim().LogCount();
        standin::RunProcess(input);
        // Channels fill in ascending order, BLOCK reads each.
        std::vector<LumoSimCall> reads = LoggedSince(logStart, LUMO_SIM_IN_PORT);
        size_t next = 0;
        for (uint32_t channel = 0; channel < CHANNELS; ++channel)
            if (ChannelStateOf(input, channel)->samplesDelivered != delivered[channel])
                for (uint32_t sample = 0; sample < BLOCK && next < reads.size(); ++sample)
                    bitsRead[channel].push_back((reads[next++].data >> channel) & 1);
        ASSERT_EQ(next, reads.size());

        int consumed[CHANNELS];
        for (uint32_t channel = 0; channel < CHANNELS; ++channel)
            consumed[channel] = standin::InputBlocksReleased(output, channel);
        logStart = Sim().LogCount();
        standin::RunProcess(output);
        // Channels are written in ascending order, BLOCK writes each.
        std::vector<LumoSimCall> writes = LoggedSince(logStart, LUMO_SIM_OUT_PORT);
        next = 0;
        for (uint32_t channel = 0; channel < CHANNELS; ++channel) {
            if (standin::InputBlocksReleased(output, channel) == consumed[channel])
                continue;
            for (uint32_t position = 0; position < BLOCK && next < writes.size(); ++position) {
                ASSERT_LT(bitsWritten[channel], bitsRead[channel].size());
                const int bit = bitsRead[channel][bitsWritten[channel]++];
                expectedPort[position] = static_cast<uint8_t>(
                    (expectedPort[position] & ~(1u << channel)) | (bit << channel));
                if (writes[next++].data != expectedPort[position])
                    ++mismatches;
            }
        }
        ASSERT_EQ(next, writes.size());
        Sleep(1);
    }
    standin::StopExperimentRun({input, output});

    EXPECT_EQ(mismatches, 0);
    EXPECT_EQ(Sim().LogDropped(), 0);
    const size_t expectedBlocks = RUN_MS / (BLOCK * MS_PER_SAMPLE);
    for (uint32_t channel = 0; channel < CHANNELS; ++channel) {
        // Everything released was written; at most the pending block was read but not sent.
        const size_t released = standin::InputBlocksReleased(output, channel);
        EXPECT_EQ(bitsWritten[channel], released * BLOCK);
        EXPECT_LE(bitsRead[channel].size() - bitsWritten[channel], size_t(BLOCK));
        EXPECT_GE(released, expectedBlocks - 3) << "channel " << channel;
        EXPECT_LE(released, expectedBlocks + 1) << "channel " << channel;
    }

    std::map<uint32_t, uint32_t> releasedOfChannel;
    for (const standin::ReleasedBlock& block : standin::ReleasedOutputBlocks()) {
        if (block.module != input)
            continue;
        const uint32_t index = releasedOfChannel[block.channel]++;
        const uint32_t due = start + static_cast<uint32_t>((index + 1) * BLOCK * MS_PER_SAMPLE);
        EXPECT_GE(static_cast<int32_t>(block.tick - due), 0)
            << "channel " << block.channel << " block " << index;
        EXPECT_DOUBLE_EQ(block.startTime, index * BLOCK * MS_PER_SAMPLE * 0.001);
    }
}

} // namespace
