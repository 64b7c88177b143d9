// Port accesses per second with 1, 2 and 4 threads, each running its own output module on its
// own port, against the single thread of the same repetition. The bare floor loop beside it,
// on a lock with PortLock's spin count and on one without, shows what the lock itself allows
// on this machine.
#include "bench/BenchSupport.h"

#include "sim/host/core/HostControl.h"

#include <algorithm>
#include <atomic>
#include <thread>

namespace bench {
namespace {

const int THREAD_COUNTS[] = {1, 2, 4};
enum : uint32_t { CONTENTION_BLOCK = 1000, MODULES = 4 };

enum Loop { MODULE, FLOOR_SPIN, FLOOR_NO_SPIN, LOOPS };
const char* const LOOP_TITLES[LOOPS] = {"output modules", "floor, lock with spin count",
                                        "floor, lock without spin count"};

struct Contenders {
    const Setting* setting;
    ModuleRecord* modules[MODULES];
    CRITICAL_SECTION spinLock, plainLock;
};

// Port calls made by one thread until `stop`.
uint64_t RunLoop(Contenders& contenders, Loop loop, int thread, const std::atomic<bool>& stop) {
    uint64_t portCalls = 0;
    if (loop == MODULE) {
        const ModuleProcessFunction process = contenders.setting->processOutput;
        ModuleRecord* module = contenders.modules[thread];
        while (!stop.load(std::memory_order_relaxed)) {
            process(module);
            portCalls += CONTENTION_BLOCK;
        }
        return portCalls;
    }
    CRITICAL_SECTION* lock = loop == FLOOR_SPIN ? &contenders.spinLock : &contenders.plainLock;
    const Lumo31aOutPortFn entry = contenders.setting->outPort;
    const uint32_t port = static_cast<uint32_t>(thread);
    while (!stop.load(std::memory_order_relaxed)) {
        for (uint32_t i = 0; i < CONTENTION_BLOCK; ++i) {
            EnterCriticalSection(lock);
            entry(0, port, i & 0xFF);
            LeaveCriticalSection(lock);
        }
        portCalls += CONTENTION_BLOCK;
    }
    return portCalls;
}

struct Rate {
    double perSecond; // total port calls per second
    double fairness;  // the slowest thread's calls over an even share of the total
};

// What `threads` threads running the loop together achieve.
Rate PortCallsPerSecond(Contenders& contenders, Loop loop, int threads, double seconds) {
    std::atomic<bool> go{false}, stop{false};
    std::vector<uint64_t> counts(threads, 0);
    std::vector<std::thread> workers;
    for (int thread = 0; thread < threads; ++thread)
        workers.emplace_back([&, thread] {
            while (!go.load())
                std::this_thread::yield();
            counts[thread] = RunLoop(contenders, loop, thread, stop);
        });
    const double start = Seconds();
    go.store(true);
    Sleep(static_cast<DWORD>(seconds * 1000));
    stop.store(true);
    for (std::thread& worker : workers)
        worker.join();
    const double elapsed = Seconds() - start;
    uint64_t total = 0, slowest = counts[0];
    for (uint64_t count : counts) {
        total += count;
        slowest = std::min(slowest, count);
    }
    return Rate{static_cast<double>(total) / elapsed,
                static_cast<double>(slowest) * threads / static_cast<double>(total)};
}

} // namespace

void RunContention(Setting& setting, const Settings& settings, Report& report) {
    Contenders contenders;
    contenders.setting = &setting;
    MakeFloorLock(contenders.spinLock, true);
    MakeFloorLock(contenders.plainLock, false);
    standin::SetBlockSize(CONTENTION_BLOCK);
    std::vector<ModuleRecord*> started;
    for (uint32_t i = 0; i < MODULES; ++i) {
        contenders.modules[i] = OutputModuleOn(0, static_cast<uint16_t>(i), 1);
        QueueToggleBlocks(contenders.modules[i], 1, CONTENTION_BLOCK);
        started.push_back(contenders.modules[i]);
    }
    standin::StartExperiment(started);
    const int32_t overlapsBefore = setting.sim.OverlapCount();

    // ratios[loop][thread count index], one per repetition; single[loop]: the 1-thread rates
    std::vector<double> ratios[LOOPS][std::size(THREAD_COUNTS)];
    std::vector<double> fairness[std::size(THREAD_COUNTS)]; // of the modules
    std::vector<double> single[LOOPS];
    for (int repetition = 0; repetition < settings.repetitions; ++repetition)
        for (int loop = 0; loop < LOOPS; ++loop) {
            double one = 0;
            for (size_t t = 0; t < std::size(THREAD_COUNTS); ++t) {
                const Rate rate = PortCallsPerSecond(contenders, Loop(loop), THREAD_COUNTS[t],
                                                     settings.threadSeconds);
                if (t == 0)
                    one = rate.perSecond;
                ratios[loop][t].push_back(rate.perSecond / one);
                if (loop == MODULE)
                    fairness[t].push_back(rate.fairness);
            }
            single[loop].push_back(one);
        }
    const int32_t overlaps = setting.sim.OverlapCount() - overlapsBefore;
    standin::StopExperimentRun(started);
    for (ModuleRecord* module : started)
        RemoveModule(module);
    DeleteCriticalSection(&contenders.spinLock);
    DeleteCriticalSection(&contenders.plainLock);

    Table table;
    table.title = "Threads, each with its own output module and port: total port calls per "
                  "second over one thread's";
    table.header = {"threads"};
    for (const char* title : LOOP_TITLES)
        table.header.push_back(title);
    table.header.push_back("output modules: slowest thread over an even share");
    for (size_t t = 0; t < std::size(THREAD_COUNTS); ++t) {
        std::vector<std::string> row = {std::to_string(THREAD_COUNTS[t])};
        for (int loop = 0; loop < LOOPS; ++loop)
            row.push_back(MedianRange(Summarize(ratios[loop][t])));
        row.push_back(MedianRange(Summarize(fairness[t])));
        table.rows.push_back(row);
    }
    const std::string overlapNote =
        "The driver counted " + std::to_string(overlaps) + " overlapping port calls.";
    table.notes.push_back(
        settings.emulated
            ? overlapNote
            : "One thread (for scale only): " + Fixed(Summarize(single[MODULE]).median / 1e6, 1) +
                  " million port calls per second through the modules, " +
                  Fixed(Summarize(single[FLOOR_SPIN]).median / 1e6, 1) +
                  " million in the floor loop; blocks of " + std::to_string(CONTENTION_BLOCK) +
                  " samples, 1 channel; " + Fixed(settings.threadSeconds, 2) + " s per run. " +
                  overlapNote);
    report.tables.push_back(table);

    const Summary two = Summarize(ratios[MODULE][1]), four = Summarize(ratios[MODULE][2]);
    AddTarget(report, "2 threads: total over one thread, median at least 0.8",
              "median " + Fixed(two.median), two.median >= 0.8, false);
    AddTarget(report, "4 threads (more than the cores): median at least 0.5",
              "median " + Fixed(four.median), four.median >= 0.5, false);
    AddTarget(report, "2 and 4 threads: no repetition below 0.4",
              "lowest " + Fixed(std::min(two.min, four.min)), std::min(two.min, four.min) >= 0.4,
              false);
    AddTarget(report, "Overlapping driver calls: 0", std::to_string(overlaps), overlaps == 0, true);
}

} // namespace bench
