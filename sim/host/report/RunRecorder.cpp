// The run recorder: host block notes and the simulated driver's call log, taken in the order
// they happen on the processing thread, tallied per module, channel, connection and wired port.
#include "sim/host/flowchart/PluginBlocks.h"
#include "sim/host/report/RunRecorder.h"

#include <algorithm>
#include <cstdio>
#include <cmath>
#include <cstring>
#include <deque>

namespace standin {

namespace {

enum : int32_t {
    // The log is read as the run goes and cleared once it is this full, well before the
    // driver's capacity, so that no call is lost.
    LOG_CLEAR_AT = 1 << 16,
};

// The input module's due tick: the end of the samples released so far on the time base.
uint32_t DueTick(uint32_t startTick, uint64_t samplesEnd, double msPerSample) {
    const double ms = std::trunc(double(uint32_t(samplesEnd)) * msPerSample);
    return startTick + uint32_t(int64_t(ms));
}

bool ValidPort(int32_t slot, int32_t port) {
    return slot >= 0 && slot < BOARD_SLOTS && port >= 0 && port < BOARD_PORTS;
}

LatenessSummary Summarize(std::vector<int32_t> lateness) {
    LatenessSummary summary;
    summary.blocks = lateness.size();
    if (lateness.empty())
        return summary;
    std::sort(lateness.begin(), lateness.end());
    summary.min = lateness.front();
    summary.max = lateness.back();
    summary.median = lateness[(lateness.size() - 1) / 2];
    // The smallest value that at least 99 % of the blocks do not exceed.
    const size_t rank = size_t(std::ceil(0.99 * double(lateness.size())));
    summary.p99 = lateness[std::max<size_t>(rank, 1) - 1];
    summary.early = size_t(
        std::count_if(lateness.begin(), lateness.end(), [](int32_t late) { return late < 0; }));
    return summary;
}

} // namespace

struct RunRecorder::Span {
    enum Kind { Fill, Consume } kind;
    int32_t module;
    uint32_t channel;
    std::vector<uint8_t> bytes; // read (Fill) or written (Consume)
    std::vector<bool> ok;
};

struct RunRecorder::ChannelState {
    ChannelTally tally;
    std::deque<std::vector<uint8_t>> fills; // bytes read for blocks not yet released
    uint64_t samplesReleased = 0;
    std::vector<int32_t> lateness;
};

struct RunRecorder::Connected {
    ConnectionTally tally;
    std::deque<std::vector<uint8_t>> transit; // bits read for released blocks not yet written
};

RunRecorder::RunRecorder(bool keepEvents) : keepEvents_(keepEvents) {
    modules_ = Modules();
    for (size_t i = 0; i < modules_.size(); ++i) {
        ModuleRecord* module = modules_[i];
        indexOf_[module] = int32_t(i);
        const RegisteredClass* moduleClass = ClassOfModule(module);
        ModuleTally tally;
        tally.className = moduleClass ? moduleClass->className : "";
        tally.name = Cp932ToUtf8(std::string(
            module->moduleName, strnlen(module->moduleName, sizeof module->moduleName)));
        if (moduleClass && module->params) {
            const uint8_t* params = FromAddr32<const uint8_t>(module->params);
            const BlockView view =
                ViewOfParams(tally.className,
                             std::vector<uint8_t>(params, params + moduleClass->record.paramsSize));
            tally.hasPort = view.known;
            tally.reads = view.reads;
            tally.slot = view.slot;
            tally.port = view.port;
        }
        tallies_.push_back(tally);
    }
    simulated_ = LumoSimConnect(sim_);
    for (int32_t slot = 0; slot < BOARD_SLOTS; ++slot) {
        for (int32_t port = 0; port < BOARD_PORTS; ++port) {
            wireOf_[slot][port] = simulated_ ? sim_.WireSource(slot, port) : -1;
            loopOf_[slot][port] = -1;
            const int32_t last = simulated_ ? sim_.OutputByte(slot, port) : -1;
            lastWritten_[slot][port] = last < 0 ? 0 : last; // a wire reads 0 before any write
        }
    }
    for (const Connection& connection : Connections()) {
        auto connected = std::make_unique<Connected>();
        ConnectionTally& tally = connected->tally;
        tally.connection =
            WorksheetConnection{uint32_t(IndexOf(connection.from)), connection.outChannel,
                                uint32_t(IndexOf(connection.to)), connection.inChannel};
        const ModuleTally& from = tallies_[tally.connection.fromModule];
        const ModuleTally& to = tallies_[tally.connection.toModule];
        tally.meetsAtPorts = simulated_ && from.hasPort && from.reads && to.hasPort && !to.reads;
        connected_.push_back(std::move(connected));
    }
    warningsAtStart_ = WarningCount();
    if (simulated_) {
        sim_.ClearLog();
        nextEvent_ = uint32_t(sim_.EventCount()) + 1;
    }
}

RunRecorder::~RunRecorder() = default;

int32_t RunRecorder::IndexOf(const ModuleRecord* module) const {
    auto found = indexOf_.find(module);
    return found == indexOf_.end() ? -1 : found->second;
}

RunRecorder::ChannelState& RunRecorder::StateOf(int32_t module, uint32_t channel) {
    std::unique_ptr<ChannelState>& state = channels_[std::make_pair(module, channel)];
    if (!state) {
        state = std::make_unique<ChannelState>();
        state->tally.module = size_t(module);
        state->tally.channel = channel;
    }
    return *state;
}

RunHooks RunRecorder::Hooks() {
    RunHooks hooks;
    hooks.beforeProcess = [this](size_t, ModuleRecord* module) {
        if (!started_) {
            startTick_ = ExperimentStartTicks();
            started_ = true;
        }
        Drain();
        current_ = IndexOf(module);
        warningsBefore_ = WarningCount();
    };
    hooks.afterProcess = [this](size_t, ModuleRecord*) {
        Drain();
        CloseSpan();
        if (current_ >= 0)
            tallies_[size_t(current_)].warnings += WarningCount() - warningsBefore_;
        current_ = -1;
    };
    hooks.blockNote = [this](const BlockNote& note) { OnBlock(note); };
    return hooks;
}

void RunRecorder::Drain() {
    if (!simulated_)
        return;
    const std::vector<LumoSimCall> calls = LumoSimLog(sim_, nextLog_);
    for (const LumoSimCall& call : calls)
        TakeAccess(call);
    nextLog_ += int32_t(calls.size());
    // Another process writes the count: older events than the ring holds are skipped.
    const uint32_t last = uint32_t(sim_.EventCount());
    if (last - nextEvent_ >= 256 && last >= nextEvent_)
        nextEvent_ = last - 255;
    LumoSimEvent external;
    for (; keepEvents_ && nextEvent_ <= last; ++nextEvent_)
        if (sim_.EventAt(nextEvent_, &external)) {
            TraceEvent event{};
            event.kind = TraceEvent::External;
            event.tick = external.tick;
            event.module = event.channel = -1;
            event.external = external;
            events_.push_back(event);
        }
    if (nextLog_ >= LOG_CLEAR_AT) {
        logDropped_ += uint32_t(sim_.LogDropped()); // the clear forgets them
        sim_.ClearLog();
        nextLog_ = 0;
    }
}

void RunRecorder::TakeAccess(const LumoSimCall& call) {
    const bool read = call.entry == LUMO_SIM_IN_PORT;
    if ((!read && call.entry != LUMO_SIM_OUT_PORT) || !ValidPort(call.slot, call.port))
        return;
    const bool ok = call.result != 0;
    const uint8_t byte = uint8_t(call.data);
    ++portAccesses_;
    if (current_ >= 0) {
        ModuleTally& tally = tallies_[size_t(current_)];
        ++(read ? tally.portReads : tally.portWrites);
        tally.failedAccesses += !ok;
    }
    if (!read && ok)
        lastWritten_[call.slot][call.port] = byte;
    const int wire = read ? wireOf_[call.slot][call.port] : -1;
    if (wire >= 0 && ok) {
        int& loop = loopOf_[call.slot][call.port];
        if (loop < 0) {
            loop = int(loops_.size());
            loops_.push_back(LoopTally{uint16_t(call.slot), uint16_t(call.port),
                                       uint16_t(wire / BOARD_PORTS), uint16_t(wire % BOARD_PORTS),
                                       0, 0});
        }
        ++loops_[size_t(loop)].reads;
        loops_[size_t(loop)].matching +=
            byte == lastWritten_[wire / BOARD_PORTS][wire % BOARD_PORTS];
    }
    const bool inSpan = span_ && span_->module == current_ && (span_->kind == Span::Fill) == read;
    if (inSpan) {
        span_->bytes.push_back(byte);
        span_->ok.push_back(ok);
    }
    if (keepEvents_)
        events_.push_back(TraceEvent{read ? TraceEvent::PortRead : TraceEvent::PortWrite, call.tick,
                                     current_, inSpan ? int32_t(span_->channel) : -1,
                                     uint16_t(call.slot), uint16_t(call.port), byte, ok, 0, 0, 0});
}

void RunRecorder::CloseSpan() {
    if (span_ && span_->kind == Span::Fill)
        StateOf(span_->module, span_->channel).fills.push_back(std::move(span_->bytes));
    span_.reset();
}

void RunRecorder::OnBlock(const BlockNote& note) {
    Drain();
    const int32_t module = IndexOf(note.module);
    if (note.event == BlockEvent::InputReleased && span_ && span_->kind == Span::Consume &&
        span_->module == module && span_->channel == note.channel) {
        OnConsumed(note, module);
        span_.reset();
        return;
    }
    CloseSpan();
    if (module < 0)
        return;
    switch (note.event) {
    case BlockEvent::OutputHandedOut:
        span_.reset(new Span{Span::Fill, module, note.channel, {}, {}});
        break;
    case BlockEvent::InputHandedOut:
        span_.reset(new Span{Span::Consume, module, note.channel, {}, {}});
        break;
    case BlockEvent::OutputReleased:
        OnReleased(note, module);
        break;
    case BlockEvent::InputReleased:
        OnConsumed(note, module);
        break;
    }
}

void RunRecorder::OnReleased(const BlockNote& note, int32_t module) {
    ChannelState& state = StateOf(module, note.channel);
    // The time base counts samples: block k starts where the samples before it end.
    const double distance = MilliSecondsPerSample() * 0.001;
    state.tally.stampsWrong += note.startTime != double(uint32_t(state.samplesReleased)) * distance;
    const uint64_t samplesEnd = state.samplesReleased + note.sampleCount;
    const uint32_t due = DueTick(ExperimentStartTicks(), samplesEnd, MilliSecondsPerSample());
    state.lateness.push_back(int32_t(note.tick - due));
    state.samplesReleased = samplesEnd;
    ModuleTally& tally = tallies_[size_t(module)];
    ++tally.blocksReleased;
    tally.samplesReleased += note.sampleCount;

    // The bit of each byte read for the block, against the sample released for it.
    std::vector<uint8_t> bits;
    if (!state.fills.empty()) {
        const std::vector<uint8_t>& reads = state.fills.front();
        for (size_t j = 0; j < reads.size() && j < note.sampleCount; ++j) {
            const uint8_t bit = note.channel < 8 ? (reads[j] >> note.channel) & 1 : 0;
            bits.push_back(bit);
            ++state.tally.samplesChecked;
            state.tally.samplesWrong += note.samples[j] != (bit ? 5.0f : 0.0f);
        }
        state.fills.pop_front();
    }
    for (const std::unique_ptr<Connected>& connected : connected_) {
        ConnectionTally& connection = connected->tally;
        if (int32_t(connection.connection.fromModule) != module ||
            connection.connection.outChannel != note.channel || !connection.meetsAtPorts)
            continue;
        connection.bitsRead += bits.size();
        connected->transit.push_back(bits);
    }
    if (!keepEvents_)
        return;
    events_.push_back(TraceEvent{TraceEvent::BlockReleased, note.tick, module,
                                 int32_t(note.channel), 0, 0, 0, true, note.sampleCount,
                                 note.startTime, due});
    auto found = samplesOf_.find(std::make_pair(module, note.channel));
    if (found == samplesOf_.end()) {
        found = samplesOf_.emplace(std::make_pair(module, note.channel), samples_.size()).first;
        samples_.push_back(ChannelSamples{size_t(module), note.channel, {}, {}});
    }
    ChannelSamples& plotted = samples_[found->second];
    for (uint32_t j = 0; j < note.sampleCount; ++j) {
        plotted.times.push_back(note.startTime + j * note.sampleDistance);
        plotted.values.push_back(note.samples[j]);
    }
}

void RunRecorder::OnConsumed(const BlockNote& note, int32_t module) {
    ModuleTally& tally = tallies_[size_t(module)];
    ++tally.blocksConsumed;
    tally.samplesConsumed += note.sampleCount;
    const bool written = span_ && span_->kind == Span::Consume;
    for (const std::unique_ptr<Connected>& connected : connected_) {
        ConnectionTally& connection = connected->tally;
        if (int32_t(connection.connection.toModule) != module ||
            connection.connection.inChannel != note.channel || connected->transit.empty())
            continue;
        const std::vector<uint8_t> bits = connected->transit.front();
        connected->transit.pop_front();
        for (size_t j = 0; j < bits.size(); ++j) {
            const bool arrived = written && j < span_->bytes.size() && span_->ok[j] &&
                                 note.channel < 8 &&
                                 ((span_->bytes[j] >> note.channel) & 1) == bits[j];
            ++connection.bitsWritten;
            connection.mismatches += !arrived;
        }
    }
}

RunReport RunRecorder::Report(const RunSettings& settings, RunEnd end, const RunStatus& status) {
    Drain();
    CloseSpan();
    RunReport report;
    report.settings = settings;
    report.end = end;
    report.elapsedMs = status.elapsedMs;
    report.rounds = status.rounds;
    report.tickStep = status.tickStep;
    report.driverSeen = simulated_;
    if (simulated_) {
        report.logDropped = logDropped_ + uint32_t(sim_.LogDropped());
        report.overlaps = sim_.OverlapCount();
    }
    report.modules = tallies_;
    for (auto& entry : channels_) {
        ChannelTally tally = entry.second->tally;
        tally.lateness = Summarize(entry.second->lateness);
        if (tally.lateness.blocks || tally.samplesChecked)
            report.channels.push_back(tally);
    }
    for (const std::unique_ptr<Connected>& connected : connected_)
        report.connections.push_back(connected->tally);
    report.loops = loops_;
    const std::vector<Warning>& warnings = Warnings();
    for (size_t i = warningsAtStart_; i < warnings.size(); ++i)
        report.warnings.push_back(ReportWarning{int32_t(warnings[i].tick - startTick_),
                                                Cp932ToUtf8(warnings[i].title),
                                                Cp932ToUtf8(warnings[i].text)});
    report.complaints = Complaints();
    CheckReport(report);
    return report;
}

} // namespace standin
