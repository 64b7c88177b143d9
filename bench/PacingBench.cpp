// Release lateness of the input module against the due tick, for host call periods of 0 (back
// to back), 1 ms and 10 ms, on the real GetTickCount, whose step is measured too: the
// lateness cannot be smaller than the tick lets it be.
#include "bench/BenchSupport.h"

#include "sim/host/core/HostControl.h"

#include <cmath>

namespace bench {
namespace {

const DWORD PERIODS[] = {0, 1, 10};
enum : uint32_t { PACING_BLOCK = 20, PACING_CHANNELS = 4 };
const double PACING_MS_PER_SAMPLE = 1.0;

// The advances of GetTickCount seen while watching it for `seconds`, in ms.
std::vector<double> TickSteps(double seconds) {
    std::vector<double> steps;
    const double end = Seconds() + seconds;
    DWORD last = GetTickCount();
    while (Seconds() < end) {
        const DWORD now = GetTickCount();
        if (now != last)
            steps.push_back(static_cast<double>(now - last));
        last = now;
    }
    return steps;
}

struct PacingRun {
    uint64_t calls = 0;
    double secondsPerCall = 0;
    std::vector<double> lateness; // release tick minus due tick, ms
    int early = 0;
};

// One run of the input module, called every `period` ms by the host.
PacingRun RunPaced(const Setting& setting, DWORD period, double seconds) {
    standin::SetFastBlocks(false); // the host records each release with its tick
    standin::SetBlockSize(PACING_BLOCK);
    standin::SetMilliSecondsPerSample(PACING_MS_PER_SAMPLE);
    ModuleRecord* module = InputModuleOn(1, 2, PACING_CHANNELS);
    standin::ClearRecords();
    standin::StartExperiment({module});
    const uint32_t startTick = standin::ExperimentStartTicks();
    PacingRun run;
    const double start = Seconds();
    while (Seconds() - start < seconds) {
        setting.processInput(module);
        ++run.calls;
        if (period)
            Sleep(period);
    }
    run.secondsPerCall = (Seconds() - start) / static_cast<double>(run.calls);
    standin::StopExperimentRun({module});
    const double blockSeconds = PACING_BLOCK * PACING_MS_PER_SAMPLE * 0.001;
    for (const standin::ReleasedBlock& block : standin::ReleasedOutputBlocks()) {
        const double k = std::round(block.startTime / blockSeconds);
        const uint32_t due =
            startTick +
            static_cast<uint32_t>(std::trunc((k + 1) * PACING_BLOCK * PACING_MS_PER_SAMPLE));
        const int32_t late = static_cast<int32_t>(block.tick - due);
        run.lateness.push_back(late);
        run.early += late < 0 ? 1 : 0;
    }
    RemoveModule(module);
    standin::SetFastBlocks(true);
    return run;
}

} // namespace

void RunPacing(Setting& setting, const Settings& settings, Report& report) {
    const Summary step = Summarize(TickSteps(settings.smoke ? 0.2 : 1.0));
    Table table;
    table.title = "Release lateness against the due tick (ms), input module";
    table.header = {"host call period",
                    "calls (ms apart)",
                    "releases",
                    "min",
                    "median",
                    "99th %",
                    "max",
                    "median / tick step",
                    "early"};
    int early = 0;
    for (DWORD period : PERIODS) {
        const PacingRun run = RunPaced(setting, period, settings.pacingSeconds);
        const Summary late = Summarize(run.lateness);
        early += run.early;
        table.rows.push_back(
            {period ? std::to_string(period) + " ms" : "0 (back to back)",
             std::to_string(run.calls) + " (" + Fixed(run.secondsPerCall * 1000, 3) + ")",
             std::to_string(run.lateness.size()), Fixed(late.min, 0), Fixed(late.median, 0),
             Fixed(late.p99, 0), Fixed(late.max, 0),
             step.median > 0 ? Fixed(late.median / step.median) : "-", std::to_string(run.early)});
    }
    table.notes.push_back("GetTickCount advances in steps of " + Fixed(step.min, 0) + " to " +
                          Fixed(step.max, 0) + " ms (median " + Fixed(step.median, 0) +
                          ") here. Blocks of " + std::to_string(PACING_BLOCK) + " samples at " +
                          Fixed(PACING_MS_PER_SAMPLE, 1) + " ms per sample, " +
                          std::to_string(PACING_CHANNELS) + " channels, " +
                          Fixed(settings.pacingSeconds, 1) + " s per period.");
    report.tables.push_back(table);
    AddTarget(report, "Early releases: 0", std::to_string(early), early == 0, true);
}

} // namespace bench
