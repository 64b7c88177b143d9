// The experiment as the host runs it: a time base, the start of every module of the open flow
// chart, a processing thread that calls every module's process function in flow order again
// and again (blocks travel along the connections as they are released), pause and resume, and
// the stop. The plug-in's StopExperiment ends the processing; the stop messages then go out
// from the user-interface thread. Tests and the host program run the same loop; a test that
// moves the clock by hand calls RunRound itself.
#pragma once

#include "sim/host/core/HostControl.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace standin {

struct RunSettings {
    double msPerSample = 1.0; // the time base
    uint32_t blockSize = 100;
    uint32_t durationMs = 0; // experiment time after which the processing ends; 0: until stopped
};

// Told on the processing thread; each may be empty. They must be quick: the input modules'
// timing depends on the rounds.
struct RunHooks {
    std::function<void(size_t index, ModuleRecord* module)> beforeProcess; // index in flow order
    std::function<void(size_t index, ModuleRecord* module)> afterProcess;
    std::function<void(const BlockNote& note)> blockNote; // every block as it goes (WatchBlocks)
    std::function<void()> afterRound;
};

enum class RunEnd {
    Running,    // not ended yet
    Duration,   // the experiment time was up
    PluginStop, // the plug-in asked the host to stop (StopExperiment)
    Stopped,    // StopRun ended it
    NotStarted, // no run was started, or the start was refused
};
const char* RunEndText(RunEnd end);

struct RunStatus {
    bool active = false;     // started and not yet stopped (the stop messages not yet sent);
                             // after the stop the other fields keep their last values
    bool processing = false; // the processing thread still calls the modules
    bool paused = false;
    RunEnd end = RunEnd::NotStarted;
    uint32_t elapsedMs = 0;  // experiment time: since the start, pauses not counted
    uint32_t durationMs = 0; // from RunSettings
    uint64_t rounds = 0;     // times every module was called
    uint64_t blocks = 0;     // blocks the modules released (NewReleaseOutputBlock)
    size_t warnings = 0;     // warnings the plug-in showed since the start
    uint32_t tickStep = 0;   // smallest advance of GetTickCount the processing saw, ms
};

// The modules of the open flow chart in the order of processing: a module after those that
// feed it, otherwise in the flow chart's order (modules in a loop keep that order).
std::vector<ModuleRecord*> FlowOrder();

// Sets the time base, sends MODMSG_EXPERIMENT_START to every module in flow order (if one
// refuses, MODMSG_EXPERIMENT_STOP to those started, and the run does not start) and starts
// the processing thread. On the user-interface thread; false with the reason otherwise.
bool StartRun(const RunSettings& settings, const RunHooks& hooks, std::string* refusal);
// One round: every module's process function once, in flow order. Stops early when the
// plug-in asks to stop; true when the round was complete.
bool RunRound(const RunHooks* hooks = nullptr);
// Pause: the plug-in's variable says so and no time passes for the experiment; resume moves
// the start tick on by the pause, so that due ticks keep their distance from the samples.
void PauseRun(bool pause);
// Pumps this thread's messages until the processing has ended or `timeoutMs` has passed;
// true when it has ended.
bool WaitRun(uint32_t timeoutMs);
// Ends the processing (if still going), sends MODMSG_EXPERIMENT_STOP to every module in flow
// order and clears the running flag; returns how the run ended.
RunEnd StopRun();
RunStatus CurrentRun();

// Serves a started run on the user-interface thread until its processing ends: pumps messages,
// calls `progress` every `intervalMs` and once more at the end, then stops the run.
RunEnd ServeRun(const std::function<void(const RunStatus&)>& progress, uint32_t intervalMs = 1000);

} // namespace standin
