// The soak: many modules of both kinds on four boards, processed by several host threads at once
// for PEMO_SOAK_SECONDS (a few seconds in scripts/test, a minute through scripts/reliability):
// no two driver calls overlap, no block is lost or released twice, every claim is given back
// afterwards, and the host's blocks and the process's memory stay flat.
#include "tests/reliability/ReliabilitySupport.h"

#include <psapi.h>

#include <atomic>
#include <map>
#include <mutex>
#include <thread>

namespace reliability {
namespace {

enum : uint32_t { BOARDS = 4, THREADS = 4, CHANNELS = 3, BLOCK = 50 };
const double MS_PER_SAMPLE = 0.1;

size_t ProcessMemory() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    K32GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.PagefileUsage;
}

class Soak : public Reliability {
protected:
    std::string DriverSetup() const override {
        std::string setup;
        for (int slot = 0; slot < int(BOARDS); ++slot)
            setup += "board " + std::to_string(slot) + "\ninput " + std::to_string(slot) +
                     " * wire " + std::to_string(slot) + " *\n";
        return setup;
    }
};

// What the watcher saw of the input modules' blocks: each channel's next expected start.
struct BlockLedger {
    std::mutex mutex;
    std::map<std::pair<ModuleRecord*, uint32_t>, uint64_t> next; // block index
    uint64_t released = 0, out_of_order = 0, short_blocks = 0;

    void Note(const standin::BlockNote& note) {
        if (note.event != standin::BlockEvent::OutputReleased)
            return;
        std::lock_guard<std::mutex> lock(mutex);
        uint64_t& index = next[{note.module, note.channel}];
        const double expected = double(uint32_t(index * BLOCK)) * (MS_PER_SAMPLE * 0.001);
        if (note.startTime != expected)
            ++out_of_order;
        if (note.sampleCount != BLOCK)
            ++short_blocks;
        ++index;
        ++released;
    }
};

TEST_F(Soak, ModulesOnSeveralThreadsStayConsistent) {
    UseRealClock();
    const uint32_t seconds = Setting("PEMO_SOAK_SECONDS", 3);
    const std::string claimsBefore = ClaimsPicture();
    std::vector<ModuleRecord*> modules;
    for (uint16_t slot = 0; slot < BOARDS; ++slot)
        for (uint16_t port = 0; port < BOARD_PORTS; ++port) {
            int32_t restored = 0;
            modules.push_back(standin::RestoreModule(
                standin::StoredModule(OUTPUT_CLASS, slot, port, CHANNELS, 0), &restored));
            EXPECT_EQ(restored, 1);
            modules.push_back(standin::RestoreModule(
                standin::StoredModule(INPUT_CLASS, slot, port, 0, CHANNELS), &restored));
            EXPECT_EQ(restored, 1);
        }
    EXPECT_NE(ClaimsPicture(), claimsBefore) << "the modules claimed their ports";
    standin::KeepReleasedBlocks(false); // the host's record of blocks would grow for ever
    BlockLedger ledger;
    standin::WatchBlocks([&ledger](const standin::BlockNote& note) { ledger.Note(note); });
    standin::SetBlockSize(BLOCK);
    standin::SetMilliSecondsPerSample(MS_PER_SAMPLE);
    ASSERT_TRUE(standin::StartExperiment(modules));

    std::atomic<bool> going{true};
    std::atomic<uint64_t> rounds{0};
    std::vector<std::vector<uint32_t>> queued(modules.size(), std::vector<uint32_t>(CHANNELS));
    std::vector<std::thread> threads;
    for (uint32_t t = 0; t < THREADS; ++t)
        threads.emplace_back([&, t] {
            Random random(t + 1);
            while (going) {
                for (size_t m = t; m < modules.size(); m += THREADS) {
                    if (m % 2 == 0) // an output module: the host feeds its inputs
                        for (uint32_t c = 0; c < CHANNELS; ++c)
                            if (standin::QueuedInputBlocks(modules[m], c) < 2) {
                                standin::QueueInputBlock(modules[m], c,
                                                         RandomSamples(random, BLOCK));
                                ++queued[m][c];
                            }
                    standin::RunProcess(modules[m]);
                }
                ++rounds;
                Sleep(1);
            }
        });
    // Memory is measured once the run has settled, and again at its end.
    const DWORD start = GetTickCount();
    Sleep(seconds * 1000 / 3);
    testsupport::SimulatedDriver().ClearLog();
    const size_t blocksSettled = standin::LiveAllocations(), memorySettled = ProcessMemory();
    while (GetTickCount() - start < seconds * 1000) {
        Sleep(200);
        testsupport::SimulatedDriver().ClearLog(); // the log keeps its room; it only drops
    }
    const size_t blocksAtEnd = standin::LiveAllocations(), memoryAtEnd = ProcessMemory();
    going = false;
    for (std::thread& thread : threads)
        thread.join();
    standin::StopExperimentRun(modules);
    standin::WatchBlocks(nullptr);

    EXPECT_EQ(testsupport::SimulatedDriver().OverlapCount(), 0);
    EXPECT_EQ(ledger.out_of_order, 0u) << "a block lost or released twice";
    EXPECT_EQ(ledger.short_blocks, 0u);
    EXPECT_GT(ledger.released, uint64_t(seconds) * 100) << "the input modules kept releasing";
    uint64_t consumed = 0;
    for (size_t m = 0; m < modules.size(); m += 2)
        for (uint32_t c = 0; c < CHANNELS; ++c) {
            const int released = standin::InputBlocksReleased(modules[m], c);
            EXPECT_EQ(size_t(released) + standin::QueuedInputBlocks(modules[m], c),
                      size_t(queued[m][c]))
                << "each block the host queued was taken once";
            consumed += released;
        }
    // Blocks in flight may differ by one per channel; anything more is a leak.
    EXPECT_LE(blocksAtEnd, blocksSettled + modules.size() * CHANNELS);
    EXPECT_LT(memoryAtEnd, memorySettled + 8 * 1024 * 1024) << "process memory grew";
    for (ModuleRecord* module : modules) {
        standin::SendModuleMessage(module, MODMSG_DELETE);
        standin::DeleteModuleRecord(module);
    }
    EXPECT_EQ(ClaimsPicture(), claimsBefore) << "every claim given back";

    AddFigure("soak seconds", seconds);
    AddFigure("soak modules", modules.size());
    AddFigure("soak threads", THREADS);
    AddFigure("soak rounds", rounds);
    AddFigure("soak blocks released by input modules", ledger.released);
    AddFigure("soak blocks consumed by output modules", consumed);
    AddFigure("soak overlapping driver calls", testsupport::SimulatedDriver().OverlapCount());
    AddFigure("soak blocks lost or duplicated", ledger.out_of_order);
    AddFigure("soak process memory growth KB",
              memoryAtEnd > memorySettled ? (memoryAtEnd - memorySettled) / 1024 : 0);
    AddFigure("soak host block growth",
              blocksAtEnd > blocksSettled ? blocksAtEnd - blocksSettled : 0);
}

} // namespace
} // namespace reliability
