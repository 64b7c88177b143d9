// ProcessOutputModule on the simulated driver: the bytes that reach the output port, in order,
// the blocks handed back, and the failure path.
#include "tests/modules/ModuleTestSupport.h"

#include "modules/Lumo31A_OUT/PortByteBuffer.h"

#include <cmath>
#include <limits>

using namespace moduletest;

namespace {

class OutputProcessing : public ModuleTest {
protected:
    // A started output module on slot 2, port 3 with `channels` input channels.
    ModuleRecord* Started(uint32_t channels, uint32_t blockSize) {
        standin::SetBlockSize(blockSize);
        return StartRun(RestoredModule(OUTPUT_CLASS, 2, 3, channels, 0));
    }
};

using Bytes = std::vector<int>;

// The buffer's first `count` bytes, read where portBytes points.
Bytes BufferBytes(ModuleRecord* module, uint32_t count) {
    const uint8_t* bytes = FromAddr32<uint8_t>(OutParamsOf(module)->portBytes);
    return Bytes(bytes, bytes + count);
}

uint32_t BufferPositions(ModuleRecord* module) {
    return PortByteBufferOf(FromAddr32<uint8_t>(OutParamsOf(module)->portBytes))->positions;
}

TEST_F(OutputProcessing, TwoChannelsWriteChannelAfterChannel) {
    ModuleRecord* module = Started(2, 3);
    EXPECT_EQ(BufferBytes(module, 3), (Bytes{0x00, 0x00, 0x00}));
    standin::QueueInputBlock(module, 0, {5.0f, 0.0f, 7.5f});
    standin::QueueInputBlock(module, 1, {0.0f, 5.0f, 5.0f});
    EXPECT_EQ(standin::RunProcess(module), 1);
    EXPECT_EQ(PortWrites(2, 3), (Bytes{0x01, 0x00, 0x01, 0x01, 0x02, 0x03}));
    EXPECT_EQ(standin::InputBlocksReleased(module, 0), 1);
    EXPECT_EQ(standin::InputBlocksReleased(module, 1), 1);
    EXPECT_EQ(Sim().OutputByte(2, 3), 0x03);
    // portBytes names byte 0; the size just before it is read, never written.
    EXPECT_EQ(BufferBytes(module, 3), (Bytes{0x01, 0x02, 0x03}));
    EXPECT_EQ(BufferPositions(module), 3u);
}

TEST_F(OutputProcessing, FiveOrMoreSetsTheBitAndNothingElseDoes) {
    ModuleRecord* module = Started(4, 5);
    const float inf = std::numeric_limits<float>::infinity();
    standin::QueueInputBlock(module, 3,
                             {5.0f, 4.999f, inf, -inf, std::numeric_limits<float>::quiet_NaN()});
    standin::RunProcess(module);
    EXPECT_EQ(PortWrites(2, 3), (Bytes{0x08, 0x00, 0x08, 0x00, 0x00}));
}

TEST_F(OutputProcessing, PausedExperimentLeavesTheBlocksWithTheHost) {
    ModuleRecord* module = Started(1, 2);
    standin::QueueInputBlock(module, 0, {5.0f, 5.0f});
    standin::SetExperimentPaused(1);
    EXPECT_EQ(standin::RunProcess(module), 1);
    EXPECT_EQ(standin::QueuedInputBlocks(module, 0), 1u);
    EXPECT_TRUE(PortWrites(2, 3).empty());

    standin::SetExperimentPaused(0);
    standin::RunProcess(module);
    EXPECT_EQ(PortWrites(2, 3), (Bytes{0x01, 0x01}));
}

TEST_F(OutputProcessing, BlockLengthsOtherThanTheBlockSize) {
    ModuleRecord* module = Started(2, 4);
    // Empty: released, nothing written.
    standin::QueueInputBlock(module, 0, {});
    standin::RunProcess(module);
    EXPECT_TRUE(PortWrites(2, 3).empty());
    EXPECT_EQ(standin::InputBlocksReleased(module, 0), 1);

    // Longer than the block size: only the first four samples go out.
    standin::QueueInputBlock(module, 0, {5.0f, 5.0f, 5.0f, 5.0f, 5.0f, 5.0f});
    standin::RunProcess(module);
    EXPECT_EQ(PortWrites(2, 3), (Bytes{0x01, 0x01, 0x01, 0x01}));
    EXPECT_EQ(standin::InputBlocksReleased(module, 0), 2);

    // Shorter: the later positions keep channel 0's bits from the block before.
    Sim().ClearLog();
    standin::QueueInputBlock(module, 0, {0.0f});
    standin::QueueInputBlock(module, 1, {5.0f, 5.0f, 5.0f, 5.0f});
    standin::RunProcess(module);
    EXPECT_EQ(PortWrites(2, 3), (Bytes{0x00, 0x02, 0x03, 0x03, 0x03}));
}

TEST_F(OutputProcessing, ChannelWithoutABlockIsSkipped) {
    ModuleRecord* module = Started(3, 2);
    standin::QueueInputBlock(module, 0, {5.0f, 0.0f});
    standin::QueueInputBlock(module, 2, {5.0f, 5.0f});
    standin::RunProcess(module);
    EXPECT_EQ(PortWrites(2, 3), (Bytes{0x01, 0x00, 0x05, 0x04}));
    EXPECT_EQ(standin::InputBlocksReleased(module, 0), 1);
    EXPECT_EQ(standin::InputBlocksReleased(module, 1), 0);
    EXPECT_EQ(standin::InputBlocksReleased(module, 2), 1);
}

TEST_F(OutputProcessing, ChannelsBeyondTheEighthChangeNoBit) {
    ModuleRecord* module = Started(9, 2);
    standin::QueueInputBlock(module, 7, {5.0f, 0.0f});
    standin::QueueInputBlock(module, 8, {5.0f, 5.0f});
    standin::RunProcess(module);
    EXPECT_EQ(PortWrites(2, 3), (Bytes{0x80, 0x00, 0x80, 0x00}));
    EXPECT_EQ(standin::InputBlocksReleased(module, 8), 1);
}

// The host grows the block size after the start: the buffer made at the start bounds what is
// stored and written, and the rest of each block goes nowhere.
TEST_F(OutputProcessing, BlockSizeGrownSinceTheStartWritesOnlyTheBufferPositions) {
    struct Case {
        uint16_t port;
        uint32_t atStart, later;
    };
    for (const Case& c : {Case{0, 16, 64}, Case{1, 0, 8}, Case{2, 1, 2}}) {
        SCOPED_TRACE(testing::Message() << c.atStart << " -> " << c.later);
        standin::SetBlockSize(c.atStart);
        ModuleRecord* module = RestoredModule(OUTPUT_CLASS, 2, c.port, 1, 0);
        ASSERT_TRUE(standin::StartExperiment({module}));
        standin::SetBlockSize(c.later);
        standin::QueueInputBlock(module, 0, std::vector<float>(c.later, 5.0f));
        EXPECT_EQ(standin::RunProcess(module), 1);
        EXPECT_EQ(PortWrites(2, c.port), Bytes(c.atStart, 0x01));
        EXPECT_EQ(BufferBytes(module, c.atStart), Bytes(c.atStart, 0x01));
        EXPECT_EQ(BufferPositions(module), c.atStart);
        EXPECT_EQ(standin::InputBlocksReleased(module, 0), 1);
        standin::StopExperimentRun({module});
    }
    EXPECT_TRUE(standin::Complaints().empty());
}

// A damaged flow chart's count of 0xFFFFFFFF input channels: the channels the host's record
// has room for are served as before, and the call ends.
TEST_F(OutputProcessing, HugeChannelCountStopsAtTheRecordsChannels) {
    ModuleRecord* module = Started(0xFFFFFFFFu, 1);
    standin::QueueInputBlock(module, 0, {5.0f});
    standin::QueueInputBlock(module, 15, {5.0f});
    standin::QueueInputBlock(module, 16, {5.0f});
    EXPECT_EQ(standin::RunProcess(module), 1);
    EXPECT_EQ(PortWrites(2, 3), (Bytes{0x01, 0x01}));
    EXPECT_EQ(standin::InputBlocksReleased(module, 15), 1);
    EXPECT_EQ(standin::QueuedInputBlocks(module, 16), 1u);
}

class FailingOutputPort : public OutputProcessing {
    std::string DriverSetup() const override { return "board 2\nfault 2 3 out always code=77\n"; }
};

TEST_F(FailingOutputPort, EveryFailedWriteStopsAndWarnsAndEveryBlockIsReleased) {
    ModuleRecord* module = Started(2, 3);
    standin::QueueInputBlock(module, 0, {5.0f, 0.0f, 5.0f});
    standin::QueueInputBlock(module, 1, {5.0f, 5.0f, 0.0f});
    EXPECT_EQ(standin::RunProcess(module), 1);
    EXPECT_EQ(standin::StopRequests(), 6);
    ASSERT_EQ(standin::Warnings().size(), 6u);
    EXPECT_EQ(standin::Warnings()[0].title, "送出エラー");
    EXPECT_EQ(standin::Warnings()[0].text, "LogSlot = 2\nChannel = 0\nErrCode = 77");
    EXPECT_EQ(standin::Warnings()[5].text, "LogSlot = 2\nChannel = 1\nErrCode = 77");
    EXPECT_EQ(PortWrites(2, 3).size(), 6u); // each position was still tried
    EXPECT_EQ(standin::InputBlocksReleased(module, 0), 1);
    EXPECT_EQ(standin::InputBlocksReleased(module, 1), 1);
}

} // namespace
