// ProcessInputModule on the simulated driver with a hand-moved clock: the samples made from
// the port, the stamps, and the release of each block at its due tick, not before.
#include "tests/modules/ModuleTestSupport.h"

#include "modules/Lumo31a_IN/InputModule.h"

using namespace moduletest;

namespace {

class InputProcessing : public ModuleTest {
protected:
    // A started input module on slot 2, port 3 with `channels` output channels, whose
    // experiment started at tick `start`; the clock stands at the start tick.
    ModuleRecord* Started(uint32_t channels, uint32_t blockSize, double milliseconds,
                          uint32_t start = 1000) {
        standin::SetBlockSize(blockSize);
        standin::SetMilliSecondsPerSample(milliseconds);
        ModuleRecord* module = RestoredModule(INPUT_CLASS, 2, 3, 0, channels);
        module->processEnable = 1;
        StartRun(module);
        standin::SetExperimentStartTicks(start);
        fakeTicks = start;
        return module;
    }
    // One call of the process function at tick `tick`.
    void ProcessAt(ModuleRecord* module, uint32_t tick) {
        fakeTicks = tick;
        EXPECT_EQ(standin::RunProcess(module), 1);
    }
    size_t Released() const { return standin::ReleasedOutputBlocks().size(); }
};

TEST_F(InputProcessing, EachChannelTakesItsOwnBitOfThePort) {
    ModuleRecord* module = Started(8, 4, 1.0);
    Sim().SetInput(2, 3, 0xA5);
    ProcessAt(module, 1004);
    ASSERT_EQ(Released(), 8u);
    for (uint32_t channel = 0; channel < 8; ++channel) {
        const standin::ReleasedBlock& block = standin::ReleasedOutputBlocks()[channel];
        EXPECT_EQ(block.channel, channel);
        const float expected = (0xA5 >> channel) & 1 ? 5.0f : 0.0f;
        EXPECT_EQ(block.samples, std::vector<float>(4, expected)) << "channel " << channel;
    }
    EXPECT_EQ(PortReads(2, 3).size(), 32u); // every channel reads for itself
}

TEST_F(InputProcessing, BlocksOfOneHundredAtOneMillisecondGoOutAtTheEndOfTheirSpan) {
    ModuleRecord* module = Started(1, 100, 1.0);
    ChannelState* state = ChannelStateOf(module, 0);

    ProcessAt(module, 1003);
    EXPECT_EQ(PortReads(2, 3).size(), 100u);
    EXPECT_EQ(state->blockPending, 1u);
    EXPECT_EQ(state->samplesDelivered, 100u);
    EXPECT_EQ(Released(), 0u);

    ProcessAt(module, 1099);
    EXPECT_EQ(Released(), 0u);
    EXPECT_EQ(PortReads(2, 3).size(), 100u); // nothing read while pending

    ProcessAt(module, 1100);
    ASSERT_EQ(Released(), 1u);
    const standin::ReleasedBlock& first = standin::ReleasedOutputBlocks()[0];
    EXPECT_EQ(first.startTime, 0.0);
    EXPECT_DOUBLE_EQ(first.sampleDistance, 0.001);
    EXPECT_EQ(first.samples.size(), 100u);
    EXPECT_EQ(state->blockPending, 0u);
    EXPECT_EQ(state->animationPhase, 1);
    EXPECT_EQ(PortReads(2, 3).size(), 100u);

    ProcessAt(module, 1101);
    EXPECT_EQ(PortReads(2, 3).size(), 200u);
    EXPECT_EQ(state->samplesDelivered, 200u);
    ProcessAt(module, 1199);
    EXPECT_EQ(Released(), 1u);
    ProcessAt(module, 1200);
    ASSERT_EQ(Released(), 2u);
    EXPECT_DOUBLE_EQ(standin::ReleasedOutputBlocks()[1].startTime, 0.1);
}

TEST_F(InputProcessing, AChannelBehindTheClockCatchesUpOneBlockPerCall) {
    ModuleRecord* module = Started(1, 10, 1.0);
    for (int call = 0; call < 3; ++call)
        ProcessAt(module, 1035); // filled and released in the same call
    ProcessAt(module, 1035);     // block 3 is due at 1040
    ASSERT_EQ(Released(), 3u);
    for (size_t block = 0; block < 3; ++block)
        EXPECT_DOUBLE_EQ(standin::ReleasedOutputBlocks()[block].startTime, 0.01 * block);
    EXPECT_EQ(ChannelStateOf(module, 0)->blockPending, 1u);
}

TEST_F(InputProcessing, NoBlockFromTheHostLeavesTheChannelIdle) {
    ModuleRecord* module = Started(1, 10, 1.0);
    standin::SetOutputBlocksAvailable(false);
    ProcessAt(module, 1500);
    EXPECT_EQ(ChannelStateOf(module, 0)->blockPending, 0u);
    EXPECT_EQ(ChannelStateOf(module, 0)->samplesDelivered, 0u);
    EXPECT_TRUE(PortReads(2, 3).empty());
    EXPECT_TRUE(standin::Warnings().empty());
    standin::SetOutputBlocksAvailable(true);
}

TEST_F(InputProcessing, BlockSizeZeroGivesEmptyBlocksDueAtOnce) {
    ModuleRecord* module = Started(1, 0, 1.0);
    ProcessAt(module, 1000);
    ASSERT_EQ(Released(), 1u);
    EXPECT_TRUE(standin::ReleasedOutputBlocks()[0].samples.empty());
    EXPECT_TRUE(PortReads(2, 3).empty());
}

TEST_F(InputProcessing, AnimationPhaseCyclesThroughTwentyValues) {
    EXPECT_EQ(NextAnimationPhase(0), 1);
    EXPECT_EQ(NextAnimationPhase(10), -9);
    EXPECT_EQ(NextAnimationPhase(-9), -8);
    EXPECT_EQ(NextAnimationPhase(0x7FFFFFFF), -9);

    ModuleRecord* module = Started(1, 1, 1.0);
    standin::SetAnimation(1);
    std::vector<int32_t> phases;
    for (uint32_t tick = 1001; tick <= 1020; ++tick) {
        ProcessAt(module, tick);
        phases.push_back(ChannelStateOf(module, 0)->animationPhase);
    }
    EXPECT_EQ(phases, (std::vector<int32_t>{1,  2,  3,  4,  5,  6,  7,  8,  9,  10,
                                            -9, -8, -7, -6, -5, -4, -3, -2, -1, 0}));
    standin::SetAnimation(0);
}

TEST_F(InputProcessing, DisabledOrPausedModuleTouchesNothing) {
    ModuleRecord* module = Started(2, 4, 1.0);
    OutputChannelOf(module, 1)->field14 = 0xBEEF;
    module->processEnable = 0;
    ProcessAt(module, 2000);
    EXPECT_EQ(OutputChannelOf(module, 1)->field14, 0xBEEF);
    EXPECT_TRUE(PortReads(2, 3).empty());
    EXPECT_EQ(ChannelStateOf(module, 0)->samplesDelivered, 0u);

    module->processEnable = 1;
    standin::SetExperimentPaused(1);
    ProcessAt(module, 2000);
    EXPECT_EQ(OutputChannelOf(module, 1)->field14, 0xBEEF);
    EXPECT_TRUE(PortReads(2, 3).empty());

    standin::SetExperimentPaused(0);
    ProcessAt(module, 1000);
    EXPECT_EQ(OutputChannelOf(module, 1)->field14, 0);
    OutputChannelOf(module, 1)->field14 = 0xBEEF;
    ProcessAt(module, 1001); // pending: still cleared
    EXPECT_EQ(OutputChannelOf(module, 1)->field14, 0);
}

TEST_F(InputProcessing, ChannelsBeyondTheEighthAreNotProcessed) {
    ModuleRecord* module = Started(12, 2, 1.0);
    OutputChannelOf(module, 9)->field14 = 0xBEEF;
    ProcessAt(module, 1002);
    EXPECT_EQ(Released(), 8u);
    EXPECT_EQ(PortReads(2, 3).size(), 16u);
    EXPECT_EQ(OutputChannelOf(module, 9)->field14, 0xBEEF);
}

// Released at the first tick that has reached the due tick (truncated, not rounded), wherever
// the start tick stands.
TEST_F(InputProcessing, ReleasedAtTheDueTickNeitherEarlyNorLate) {
    struct {
        const char* name;
        uint32_t start, blockSize;
        double milliseconds;
        std::vector<uint32_t> pendingAt; // the first call fills the block
        uint32_t releasedAt;
    } const cases[] = {
        {"due just after the wrap", 0xFFFFFFF0u, 100, 1.0, {0xFFFFFFF5u, 0x53}, 0x54},
        {"due just before the wrap", 0xFFFFFF00u, 100, 1.0, {0xFFFFFF01u, 0xFFFFFF63u}, 0x10},
        // Due 2,160,000,000 ms (25 days, beyond 2^31) after the start.
        {"due far ahead", 1000, 600, 3600000.0, {1003, 2160000999u}, 2160001000u},
        {"due at the start tick", 0xFFFFFFFFu, 10, 0.05, {}, 0xFFFFFFFFu},
        {"due at 1002.5, truncated", 1000, 10, 0.25, {1000, 1001}, 1002},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ModuleRecord* module = Started(1, c.blockSize, c.milliseconds, c.start);
        for (uint32_t tick : c.pendingAt) {
            ProcessAt(module, tick);
            EXPECT_EQ(ChannelStateOf(module, 0)->blockPending, 1u) << tick;
            EXPECT_EQ(Released(), 0u) << tick;
        }
        ProcessAt(module, c.releasedAt);
        EXPECT_EQ(Released(), 1u);
        standin::StopExperimentRun({module});
        started = nullptr;
    }
}

// The stamps and the due tick are exactly those of IEEE double arithmetic, in both builds.
// Extended x87 precision between the steps would release the first block below one tick
// early, end the stamp below in ...01, and leave a stamp above 0 where the distance is 0.
TEST_F(InputProcessing, StampsAndDueTicksAreThoseOfDoubleArithmetic) {
    struct {
        double milliseconds;
        uint32_t blockSize;
        double sampleDistance; // of both blocks
        double secondStart;    // startTime of block 1
        uint32_t firstDue;     // ticks after the start at which block 0 goes out
    } const cases[] = {
        {0.7, 10, 0.0007, 0.007, 7},      // 10 x 0.7 is 7.0, not a little less
        {0.001, 103, 1e-06, 0.000103, 0}, // 103 x 1e-06 rounded once
        {2.1e-321, 1000, 0.0, 0.0, 0},    // the distance underflows to 0
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.milliseconds);
        ModuleRecord* module = Started(1, c.blockSize, c.milliseconds);
        if (c.firstDue > 0) {
            ProcessAt(module, 1000 + c.firstDue - 1);
            EXPECT_EQ(Released(), 0u);
        }
        ProcessAt(module, 1000 + c.firstDue);
        EXPECT_EQ(Released(), 1u);
        ProcessAt(module, 5000);
        ASSERT_EQ(Released(), 2u);
        const standin::ReleasedBlock& second = standin::ReleasedOutputBlocks()[1];
        EXPECT_EQ(standin::ReleasedOutputBlocks()[0].sampleDistance, c.sampleDistance);
        EXPECT_EQ(second.sampleDistance, c.sampleDistance);
        EXPECT_EQ(second.startTime, c.secondStart);
        standin::StopExperimentRun({module});
        started = nullptr;
    }
}

class FailingInputPort : public InputProcessing {
    std::string DriverSetup() const override {
        return "board 2\ninput 2 3 constant 0xFF\nfault 2 3 in always code=55\n";
    }
};

TEST_F(FailingInputPort, EveryFailedReadStopsAndWarnsAndTheBlockStillGoesOut) {
    ModuleRecord* module = Started(2, 3, 1.0);
    ProcessAt(module, 1001);
    EXPECT_EQ(standin::StopRequests(), 6);
    ASSERT_EQ(standin::Warnings().size(), 6u);
    EXPECT_EQ(standin::Warnings()[0].title, "サンプリングエラー");
    EXPECT_EQ(standin::Warnings()[0].text, "LogSlot = 2\nChannel = 0\nErrCode = 55");
    EXPECT_EQ(standin::Warnings()[3].text, "LogSlot = 2\nChannel = 1\nErrCode = 55");
    EXPECT_EQ(ChannelStateOf(module, 1)->blockPending, 1u);
    EXPECT_EQ(Released(), 0u);

    ProcessAt(module, 1003);
    ASSERT_EQ(Released(), 2u);
    // A sample whose read failed is 0.0, whatever the port would have said.
    EXPECT_EQ(standin::ReleasedOutputBlocks()[0].samples, std::vector<float>(3, 0.0f));
    EXPECT_EQ(standin::ReleasedOutputBlocks()[1].samples, std::vector<float>(3, 0.0f));
}

} // namespace
