// What a run did, seen from both sides: the host's blocks (from its block notes) and, with the
// simulated driver, every port access (from the driver's call log, read as the run goes).
// RunRecorder.h watches one run and fills the report: per module the
// blocks, samples, port reads and writes and warnings; per input channel how late its blocks
// left against their due tick; for every connection whose ends meet at ports whether each bit
// read reached the output port in order; for every input port the driver wires to an output
// port whether each read gave what was last written there.
#pragma once

#include "sim/host/run/ExperimentRun.h"
#include "sim/host/flowchart/Worksheet.h"

#include <cstdint>
#include <string>
#include <vector>

namespace standin {

struct LatenessSummary {
    size_t blocks = 0;
    int32_t min = 0, median = 0, p99 = 0, max = 0; // release tick minus due tick, ms
    size_t early = 0;                              // released before the due tick
};

struct ModuleTally {
    std::string className, name; // name UTF-8
    bool hasPort = false;        // one of the plug-in's classes, on `slot` and `port`
    bool reads = false;          // it reads its port (input class), else writes it
    uint16_t slot = 0, port = 0;
    uint64_t blocksReleased = 0, samplesReleased = 0; // NewReleaseOutputBlock
    uint64_t blocksConsumed = 0, samplesConsumed = 0; // NewReleaseInputBlock
    uint64_t portReads = 0, portWrites = 0, failedAccesses = 0;
    size_t warnings = 0; // shown while its process function ran
};

struct ChannelTally {
    size_t module = 0;
    uint32_t channel = 0;
    LatenessSummary lateness;
    uint64_t samplesChecked = 0; // released samples compared with the bit read for them
    uint64_t samplesWrong = 0;
    uint64_t stampsWrong = 0; // blocks whose start time is not their first sample's time
};

struct ConnectionTally {
    WorksheetConnection connection;
    bool meetsAtPorts = false; // an input module's channel to an output module's channel
    uint64_t bitsRead = 0;     // bits the from-channel read for its released blocks
    uint64_t bitsWritten = 0;  // of those, written by the to-channel so far
    uint64_t mismatches = 0;   // written bits that differ from the bit read, or failed writes
    bool inOrder() const { return mismatches == 0; }
};

struct LoopTally {
    uint16_t inSlot = 0, inPort = 0;   // the input port read
    uint16_t outSlot = 0, outPort = 0; // the output port the driver wires it to
    uint64_t reads = 0, matching = 0;  // reads, and those giving the byte last written there
};

struct ReportWarning {
    int32_t ms;              // since the start of the run
    std::string title, text; // UTF-8
};

struct RunReport {
    RunSettings settings;
    RunEnd end = RunEnd::NotStarted;
    uint32_t elapsedMs = 0;
    uint64_t rounds = 0;
    uint32_t tickStep = 0;
    bool driverSeen = false; // the simulated driver's log was there to read
    uint32_t logDropped = 0; // driver calls the log lost (the port checks are then incomplete)
    int32_t overlaps = 0;    // port calls of the simulated driver that overlapped
    std::vector<ModuleTally> modules;
    std::vector<ChannelTally> channels;
    std::vector<ConnectionTally> connections;
    std::vector<LoopTally> loops;
    std::vector<ReportWarning> warnings;
    std::vector<std::string> complaints;
    // Every check that failed, one line each; empty when the run passed.
    std::vector<std::string> failures;
    bool Passed() const { return failures.empty(); }
    uint64_t PortAccesses() const;
};

// Fills report.failures from the tallies: no early release, every sample as read, every port
// connection in order with bits written, every wired read as written, no complaint, no
// overlapping port call, no lost log entry.
void CheckReport(RunReport& report);
// The progress line: elapsed and total seconds, blocks, port accesses, warnings.
std::string ProgressLine(const RunStatus& status, uint64_t portAccesses);
// The report for people (UTF-8 lines) and as JSON.
std::string ReportText(const RunReport& report);
std::string ReportJson(const RunReport& report);
} // namespace standin
