// ProcessOutputModule on the simulated driver: the bytes that reach the output port, in order,
// the blocks handed back, and the failure path.
#include "tests/modules/ModuleTestSupport.h"

#include "modules/Lumo31A_OUT/PortByteBuffer.h"

#include <cmath>
#include <limits>
#include <map>

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

// Blocks in, bytes out: each channel with a block writes every position in turn, its bit set
// where a sample is 5.0 or more; channels beyond the eighth change no bit, and those beyond the
// host's sixteen records (a damaged flow chart's count) are not served.
TEST_F(OutputProcessing, EachChannelsBlockWritesItsBitAtEveryPosition) {
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        const char* what;
        uint32_t channels, blockSize;
        std::map<uint32_t, std::vector<float>> blocks; // by channel
        Bytes written;
    } const cases[] = {
        {"channel after channel", 2, 3, {{0, {5, 0, 7.5f}}, {1, {0, 5, 5}}}, {1, 0, 1, 1, 2, 3}},
        {"5.0 or more and nothing else", 4, 5, {{3, {5, 4.999f, inf, -inf, nan}}}, {8, 0, 8, 0, 0}},
        {"a channel without a block", 3, 2, {{0, {5, 0}}, {2, {5, 5}}}, {1, 0, 5, 4}},
        {"beyond the eighth", 9, 2, {{7, {5, 0}}, {8, {5, 5}}}, {0x80, 0, 0x80, 0}},
        {"0xFFFFFFFF channels", 0xFFFFFFFFu, 1, {{0, {5}}, {15, {5}}, {16, {5}}}, {1, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ModuleRecord* module = Started(c.channels, c.blockSize);
        EXPECT_EQ(BufferBytes(module, c.blockSize), Bytes(c.blockSize, 0));
        for (const auto& block : c.blocks)
            standin::QueueInputBlock(module, block.first, block.second);
        EXPECT_EQ(standin::RunProcess(module), 1);
        EXPECT_EQ(PortWrites(2, 3), c.written);
        EXPECT_EQ(Sim().OutputByte(2, 3), c.written.back());
        // portBytes names byte 0; the size just before it is read, never written.
        EXPECT_EQ(BufferBytes(module, c.blockSize),
                  Bytes(c.written.end() - c.blockSize, c.written.end()));
        EXPECT_EQ(BufferPositions(module), c.blockSize);
        for (uint32_t channel = 0; channel <= 16; ++channel) {
            const bool queued = c.blocks.count(channel) != 0;
            EXPECT_EQ(standin::InputBlocksReleased(module, channel), queued && channel < 16)
                << channel;
            EXPECT_EQ(standin::QueuedInputBlocks(module, channel), size_t(queued && channel == 16));
        }
        standin::StopExperimentRun({module});
        started = nullptr;
    }
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
