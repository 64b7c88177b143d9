// Long runs of both module kinds on a driver that fails port calls in each way it can: every
// failed access asks the host to stop and warns with the slot, the channel and the driver's
// code; every block is still released; the bytes at the port and the samples released are what
// the inputs imply, apart from the failed accesses themselves.
#include "tests/reliability/ReliabilitySupport.h"

#include "sim/host/core/HostControl.h"

#include <string>

namespace reliability {
namespace {

const char* const faultKinds[] = {
    "always",           "nth=7",
    "every=13",         "every=40 burst=5",
    "nth=100 burst=30", "probability=0.02 seed=5",
};

enum : uint32_t { CHANNELS = 3, BLOCK = 50, SLOT = 2, CODE = 33 };

std::string WarningText(uint32_t channel) {
    return "LogSlot = " + std::to_string(SLOT) + "\nChannel = " + std::to_string(channel) +
           "\nErrCode = " + std::to_string(CODE);
}

class FaultInjection : public Reliability, public ::testing::WithParamInterface<const char*> {
protected:
    void SetUp() override {
        driverSetup = std::string("board 2\nspin 0\ninput 2 0 counter step=37\nfault 2 * both ") +
                      GetParam() + " code=33\n";
        Reliability::SetUp();
    }
    // Blocks per run: a short run in scripts/test, PEMO_FAULT_BLOCKS on demand.
    const uint32_t blocks = Setting("PEMO_FAULT_BLOCKS", 40);

    // Checks the warnings and stop requests against the failed calls, whose channels are given
    // in order; counts them for the figures.
    void ExpectOneWarningPerFailure(const std::vector<uint32_t>& failedChannels, const char* title,
                                    const char* direction) {
        const std::vector<standin::Warning>& warnings = standin::Warnings();
        ASSERT_EQ(warnings.size(), failedChannels.size());
        EXPECT_EQ(standin::StopRequests(), int(failedChannels.size()));
        for (size_t i = 0; i < warnings.size(); ++i) {
            EXPECT_EQ(warnings[i].title, title) << i;
            ASSERT_EQ(warnings[i].text, WarningText(failedChannels[i])) << "warning " << i;
        }
        AddFigure(std::string("faults injected: ") + GetParam() + " " + direction,
                  failedChannels.size());
    }
};

TEST_P(FaultInjection, OutputModuleWritesWhatItsInputsImply) {
    int32_t restored = 0;
    ModuleRecord* module = standin::RestoreModule(
        standin::StoredModule(OUTPUT_CLASS, SLOT, 1, CHANNELS, 0), &restored);
    ASSERT_EQ(restored, 1);
    standin::SetBlockSize(BLOCK);
    ASSERT_TRUE(standin::StartExperiment({module}));
    testsupport::SimulatedDriver().ClearLog();
    standin::ClearRecords();

    Random random(7);
    std::vector<uint8_t> bytes(BLOCK, 0);
    std::vector<std::pair<uint8_t, uint32_t>> expected; // byte written, channel
    for (uint32_t block = 0; block < blocks; ++block) {
        for (uint32_t channel = 0; channel < CHANNELS; ++channel) {
            const std::vector<float> samples = RandomSamples(random, BLOCK);
            standin::QueueInputBlock(module, channel, samples);
            const uint8_t mask = uint8_t(1u << channel);
            for (uint32_t p = 0; p < BLOCK; ++p) {
                bytes[p] = uint8_t((bytes[p] & ~mask) | (samples[p] >= 5.0f ? mask : 0));
                expected.emplace_back(bytes[p], channel);
            }
        }
        standin::RunProcess(module);
    }
    const std::vector<LumoSimCall> writes = DriverCalls(LUMO_SIM_OUT_PORT);
    ASSERT_EQ(writes.size(), expected.size());
    std::vector<uint32_t> failedChannels;
    int lastWritten = -1;
    for (size_t i = 0; i < writes.size(); ++i) {
        ASSERT_EQ(writes[i].data, expected[i].first) << "write " << i;
        if (writes[i].result == 0)
            failedChannels.push_back(expected[i].second);
        else
            lastWritten = writes[i].data;
    }
    EXPECT_EQ(testsupport::SimulatedDriver().OutputByte(SLOT, 1), lastWritten);
    for (uint32_t channel = 0; channel < CHANNELS; ++channel) {
        EXPECT_EQ(standin::InputBlocksReleased(module, channel), int(blocks));
        EXPECT_EQ(standin::QueuedInputBlocks(module, channel), 0u);
    }
    ExpectOneWarningPerFailure(failedChannels, "送出エラー", "out");
    AddFigure("port calls in fault runs", writes.size());
    standin::StopExperimentRun({module});
}

TEST_P(FaultInjection, InputModuleReleasesWhatThePortGave) {
    int32_t restored = 0;
    ModuleRecord* module =
        standin::RestoreModule(standin::StoredModule(INPUT_CLASS, SLOT, 0, 0, CHANNELS), &restored);
    ASSERT_EQ(restored, 1);
    standin::SetBlockSize(BLOCK);
    standin::SetMilliSecondsPerSample(1.0);
    ASSERT_TRUE(standin::StartExperiment({module}));
    testsupport::SimulatedDriver().ClearLog();
    standin::ClearRecords();

    for (uint32_t round = 0; round < blocks; ++round) {
        fakeTicks = standin::ExperimentStartTicks() + (round + 1) * BLOCK;
        standin::RunProcess(module);
    }
    const std::vector<LumoSimCall> reads = DriverCalls(LUMO_SIM_IN_PORT);
    const std::vector<standin::ReleasedBlock>& released = standin::ReleasedOutputBlocks();
    ASSERT_EQ(released.size(), size_t(blocks) * CHANNELS) << "every block released";
    ASSERT_EQ(reads.size(), released.size() * BLOCK);
    std::vector<uint32_t> failedChannels;
    for (size_t b = 0; b < released.size(); ++b) {
        const uint32_t channel = uint32_t(b % CHANNELS);
        ASSERT_EQ(released[b].channel, channel);
        ASSERT_EQ(released[b].samples.size(), size_t(BLOCK));
        EXPECT_DOUBLE_EQ(released[b].startTime, double(b / CHANNELS) * BLOCK * 0.001);
        for (uint32_t p = 0; p < BLOCK; ++p) {
            const LumoSimCall& read = reads[b * BLOCK + p];
            const float sample = read.result && ((read.data >> channel) & 1) ? 5.0f : 0.0f;
            ASSERT_EQ(released[b].samples[p], sample) << "block " << b << " sample " << p;
            if (read.result == 0)
                failedChannels.push_back(channel);
        }
    }
    ExpectOneWarningPerFailure(failedChannels, "サンプリングエラー", "in");
    AddFigure("port calls in fault runs", reads.size());
    standin::StopExperimentRun({module});
}

INSTANTIATE_TEST_SUITE_P(Kinds, FaultInjection, ::testing::ValuesIn(faultKinds));

} // namespace
} // namespace reliability
