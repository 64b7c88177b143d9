#include "sim/host/run/ExperimentRun.h"

#include "sim/host/core/HostControl.h"
#include "sim/host/flowchart/Worksheet.h"

#include <mmsystem.h>

#include <atomic>
#include <thread>

namespace standin {

namespace {

// The one run of the host. The user-interface thread starts, pauses and stops it; the
// processing thread only reads `order` and `hooks` and writes the atomics.
struct Run {
    bool active = false;
    std::vector<ModuleRecord*> order;
    RunHooks hooks;
    uint32_t durationMs = 0;
    std::thread processing;
    HANDLE wake = nullptr; // set to end the pause between rounds at once
    std::atomic<bool> stopWanted{false};
    std::atomic<bool> processingEnded{true};
    std::atomic<RunEnd> end{RunEnd::NotStarted};
    std::atomic<uint64_t> rounds{0};
    std::atomic<uint64_t> blocks{0};
    std::atomic<uint32_t> tickStep{0};
    std::atomic<uint32_t> pausedAt{0}; // GetTickCount when the pause began
    std::atomic<bool> paused{false};
    uint32_t finalElapsedMs = 0; // kept from the stop on
    int stopRequestsAtStart = 0;
    size_t warningsAtStart = 0;
};

Run run;

bool PluginAskedToStop() {
    return StopRequests() > run.stopRequestsAtStart;
}

// Experiment time: the start tick moves on by every pause, so only the running pause is left.
uint32_t ElapsedMs() {
    const uint32_t now = run.paused ? run.pausedAt.load() : GetTickCount();
    return now - ExperimentStartTicks();
}

void NoteTick(uint32_t& last) {
    const uint32_t now = GetTickCount();
    const uint32_t step = now - last;
    if (step != 0 && (run.tickStep == 0 || step < run.tickStep))
        run.tickStep = step;
    last = now;
}

void Process() {
    uint32_t lastTick = GetTickCount();
    while (!run.stopWanted) {
        NoteTick(lastTick);
        if (run.durationMs && ElapsedMs() >= run.durationMs) {
            run.end = RunEnd::Duration;
            break;
        }
        const bool complete = RunRound(&run.hooks);
        if (complete && run.hooks.afterRound)
            run.hooks.afterRound();
        if (!complete) {
            run.end = RunEnd::PluginStop;
            break;
        }
        // A millisecond between rounds: the input modules release at the first round at or
        // after their due tick.
        WaitForSingleObject(run.wake, 1);
    }
    run.processingEnded = true;
}

void WatchRunBlocks() {
    WatchBlocks([](const BlockNote& note) {
        if (note.event == BlockEvent::OutputReleased)
            ++run.blocks;
        if (run.hooks.blockNote)
            run.hooks.blockNote(note);
    });
}

void EndProcessing() {
    run.stopWanted = true;
    if (run.wake)
        SetEvent(run.wake);
    if (run.processing.joinable())
        run.processing.join();
    WatchBlocks(nullptr);
    if (run.wake)
        CloseHandle(run.wake);
    run.wake = nullptr;
}

// At the host's stop: ends the processing thread, sends nothing.
void StopRunning() {
    if (!run.active)
        return;
    EndProcessing();
    timeEndPeriod(1);
    run.active = false;
    run.end = RunEnd::Stopped;
}

} // namespace

const char* RunEndText(RunEnd end) {
    switch (end) {
    case RunEnd::Running:
        return "running";
    case RunEnd::Duration:
        return "the experiment time was up";
    case RunEnd::PluginStop:
        return "the plug-in asked to stop (StopExperiment)";
    case RunEnd::Stopped:
        return "stopped by the host";
    case RunEnd::NotStarted:
        break;
    }
    return "not started";
}

std::vector<ModuleRecord*> FlowOrder() {
    const std::vector<ModuleRecord*> modules = Modules();
    const std::vector<Connection> connections = Connections();
    std::vector<ModuleRecord*> order;
    std::vector<bool> placed(modules.size(), false);
    auto isPlaced = [&](const ModuleRecord* module) {
        for (size_t i = 0; i < modules.size(); ++i)
            if (modules[i] == module)
                return bool(placed[i]);
        return true; // not on the desk: nothing to wait for
    };
    // Take the first module whose feeders are all placed, again and again.
    for (bool progress = true; progress;) {
        progress = false;
        for (size_t i = 0; i < modules.size() && !progress; ++i) {
            if (placed[i])
                continue;
            bool ready = true;
            for (const Connection& connection : connections)
                if (connection.to == modules[i] && connection.from != modules[i] &&
                    !isPlaced(connection.from))
                    ready = false;
            if (ready) {
                placed[i] = true;
                order.push_back(modules[i]);
                progress = true;
            }
        }
    }
    for (size_t i = 0; i < modules.size(); ++i)
        if (!placed[i])
            order.push_back(modules[i]);
    return order;
}

bool StartRun(const RunSettings& settings, const RunHooks& hooks, std::string* refusal) {
    auto refuse = [refusal](const char* why) {
        if (refusal)
            *refusal = why;
        return false;
    };
    if (run.active)
        return refuse("an experiment is already running");
    // Blocks of no samples or a sample distance of zero would have the modules spin without
    // the clock moving.
    WorksheetError timeBaseError;
    if (!CheckTimeBase(TimeBase{settings.msPerSample, settings.blockSize}, &timeBaseError)) {
        const std::string why = "the time base: " + timeBaseError.Text();
        return refuse(why.c_str());
    }
    run.order = FlowOrder();
    AtHostStop(StopRunning); // a host that stops mid-run ends the processing first
    if (run.order.empty())
        return refuse("the flow chart has no modules");
    SetMilliSecondsPerSample(settings.msPerSample);
    SetBlockSize(settings.blockSize);
    run.hooks = hooks;
    run.durationMs = settings.durationMs;
    run.stopWanted = false;
    run.end = RunEnd::Running;
    run.rounds = 0;
    run.blocks = 0;
    run.tickStep = 0;
    run.paused = false;
    run.finalElapsedMs = 0;
    run.stopRequestsAtStart = StopRequests();
    run.warningsAtStart = WarningCount();
    WatchRunBlocks();
    if (!StartExperiment(run.order)) {
        WatchBlocks(nullptr);
        run.end = RunEnd::NotStarted;
        return refuse("a module refused to start (MODMSG_EXPERIMENT_START answered 0)");
    }
    timeBeginPeriod(1); // on Windows, rounds a millisecond apart rather than a scheduler tick
    run.wake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    run.processingEnded = false;
    run.active = true;
    run.processing = std::thread(Process);
    return true;
}

bool RunRound(const RunHooks* hooks) {
    std::vector<ModuleRecord*> byHand; // a round outside a run: the flow order as it is now
    if (!run.active)
        byHand = FlowOrder();
    const std::vector<ModuleRecord*>& order = run.active ? run.order : byHand;
    for (size_t i = 0; i < order.size(); ++i) {
        if (hooks && hooks->beforeProcess)
            hooks->beforeProcess(i, order[i]);
        RunProcess(order[i]);
        if (hooks && hooks->afterProcess)
            hooks->afterProcess(i, order[i]);
        if (run.active && PluginAskedToStop())
            return false;
    }
    ++run.rounds;
    return true;
}

void PauseRun(bool pause) {
    if (!run.active || pause == run.paused)
        return;
    if (pause) {
        run.pausedAt = GetTickCount();
        run.paused = true;
        SetExperimentPaused(1);
        return;
    }
    SetExperimentStartTicks(ExperimentStartTicks() + (GetTickCount() - run.pausedAt));
    run.paused = false;
    SetExperimentPaused(0);
}

bool WaitRun(uint32_t timeoutMs) {
    const uint32_t start = GetTickCount();
    while (!run.processingEnded) {
        const uint32_t waited = GetTickCount() - start;
        if (waited >= timeoutMs)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, std::min<DWORD>(timeoutMs - waited, 10),
                                  QS_ALLINPUT);
        PumpMessages();
    }
    return true;
}

RunEnd StopRun() {
    if (!run.active)
        return run.end;
    const bool endedItself = run.processingEnded;
    EndProcessing();
    if (!endedItself || run.end == RunEnd::Running)
        run.end = RunEnd::Stopped;
    PauseRun(false);
    run.finalElapsedMs = std::min(ElapsedMs(), run.durationMs ? run.durationMs : UINT32_MAX);
    StopExperimentRun(run.order);
    timeEndPeriod(1);
    run.active = false;
    return run.end;
}

RunStatus CurrentRun() {
    RunStatus status;
    status.active = run.active;
    status.processing = run.active && !run.processingEnded;
    status.paused = run.paused;
    status.end = run.end;
    status.durationMs = run.durationMs;
    status.elapsedMs = run.active ? ElapsedMs() : run.finalElapsedMs;
    if (status.durationMs && status.elapsedMs > status.durationMs)
        status.elapsedMs = status.durationMs;
    status.rounds = run.rounds;
    status.blocks = run.blocks;
    status.warnings = WarningCount() - run.warningsAtStart;
    status.tickStep = run.tickStep;
    return status;
}

RunEnd ServeRun(const std::function<void(const RunStatus&)>& progress, uint32_t intervalMs) {
    if (!run.active)
        return run.end;
    uint32_t next = GetTickCount() + intervalMs;
    for (;;) {
        const int32_t left = int32_t(next - GetTickCount());
        if (WaitRun(left > 0 ? uint32_t(left) : 0))
            break;
        if (int32_t(next - GetTickCount()) > 0)
            continue;
        if (progress)
            progress(CurrentRun());
        next += intervalMs;
    }
    if (progress)
        progress(CurrentRun());
    return StopRun();
}

} // namespace standin
