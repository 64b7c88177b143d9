// The recorder of one run: it watches the run through the run's hooks and, with the simulated
// driver, reads the driver's call log as the run goes, to fill the run's report (RunReport.h).
#pragma once

#include "sim/driver/LumoSimControl.h"
#include "sim/host/report/RunReport.h"

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace standin {

// Kept for --trace and --plot when asked for: every port access and released block in order,
// and what was done to the boards from outside (lumo31a-sim, a board panel) as it was drained.
struct TraceEvent {
    enum Kind { PortRead, PortWrite, BlockReleased, External } kind;
    uint32_t tick;
    int32_t module;  // worksheet index, -1 outside the modules' calls
    int32_t channel; // the channel whose block was being filled or written, else -1
    uint16_t slot, port;
    uint8_t byte;     // port accesses
    bool ok;          // port accesses: the driver's result
    uint32_t samples; // BlockReleased
    double startTime; // BlockReleased, seconds
    uint32_t due;     // BlockReleased: the due tick
    // External: the event as the boards' ring kept it (kind, port -1 for a whole board).
    LumoSimEvent external;
};

// The samples of the blocks one channel released, for plotting.
struct ChannelSamples {
    size_t module;
    uint32_t channel;
    std::vector<double> times; // seconds since the start
    std::vector<float> values;
};

class RunRecorder {
public:
    // For the modules of the open flow chart; connects to the simulated driver if it is the
    // one loaded and clears its log. With `keepEvents` the trace and the samples are kept.
    explicit RunRecorder(bool keepEvents);
    ~RunRecorder();
    RunRecorder(const RunRecorder&) = delete;
    RunRecorder& operator=(const RunRecorder&) = delete;

    RunHooks Hooks();                                       // for StartRun
    uint64_t PortAccesses() const { return portAccesses_; } // from any thread, as it runs
    // After StopRun: the report, its checks done.
    RunReport Report(const RunSettings& settings, RunEnd end, const RunStatus& status);

    const std::vector<TraceEvent>& Events() const { return events_; }
    const std::vector<ChannelSamples>& Samples() const { return samples_; }
    uint32_t StartTick() const { return startTick_; }

private:
    struct Span; // the block a module is filling or writing while port calls come in
    struct ChannelState;
    struct Connected;

    void Drain();
    void CloseSpan();
    void TakeAccess(const LumoSimCall& call);
    void OnBlock(const BlockNote& note);
    void OnReleased(const BlockNote& note, int32_t module);
    void OnConsumed(const BlockNote& note, int32_t module);
    int32_t IndexOf(const ModuleRecord* module) const;
    ChannelState& StateOf(int32_t module, uint32_t channel);

    bool keepEvents_;
    LumoSim sim_{};
    bool simulated_ = false;
    std::vector<ModuleRecord*> modules_;
    std::map<const ModuleRecord*, int32_t> indexOf_;
    std::vector<ModuleTally> tallies_;
    std::map<std::pair<int32_t, uint32_t>, std::unique_ptr<ChannelState>> channels_;
    std::vector<std::unique_ptr<Connected>> connected_;
    std::vector<LoopTally> loops_;
    // The output port (slot * BOARD_PORTS + port) an input port reads, or -1.
    int wireOf_[BOARD_SLOTS][BOARD_PORTS];
    int loopOf_[BOARD_SLOTS][BOARD_PORTS];      // its entry in loops_, once read
    int lastWritten_[BOARD_SLOTS][BOARD_PORTS]; // last byte written to each output port
    int32_t nextLog_ = 0;                       // the first driver log entry not yet taken
    uint32_t nextEvent_ = 0;                    // the first event of the boards not yet taken
    std::unique_ptr<Span> span_;
    int32_t current_ = -1; // the module whose process function runs
    size_t warningsBefore_ = 0;
    size_t warningsAtStart_ = 0;
    uint32_t startTick_ = 0;
    uint32_t logDropped_ = 0; // lost by the driver's log before the recorder last cleared it
    bool started_ = false;
    std::atomic<uint64_t> portAccesses_{0};
    std::vector<TraceEvent> events_;
    std::vector<ChannelSamples> samples_;
    std::map<std::pair<int32_t, uint32_t>, size_t> samplesOf_;
};

// The trace as CSV: every port access and every released block with its tick.
std::string TraceCsv(const RunRecorder& recorder);

} // namespace standin
