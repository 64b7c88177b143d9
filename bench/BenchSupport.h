// What the parts of the benchmark share: the clock, figures over repetitions, the report, and
// the setting: the plug-in DLL on the stand-in host, on the simulated driver in its fast
// setting, with the driver's port entries and the host's block services at hand for the floors.
#pragma once

#include "host/HostInterface.h"
#include "modules/ModuleRecords.h"
#include "sim/driver/LumoSimControl.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace bench {

// How long and how often: the full run, or the smoke run that only checks that everything
// still runs and that the zero targets hold.
struct Settings {
    bool smoke = false;
    // Run under CPU emulation: its clock measures the emulator, so only ratios are reported
    // and no timing target is judged; the zero targets still are.
    bool emulated = false;
    int repetitions = 5;
    int trials = 3;             // a timing is the best of this many runs
    double sampleTarget = 5e5;  // port calls per timed run of the per-sample figures
    double threadSeconds = 0.3; // length of one contention run
    double pacingSeconds = 3.0; // length of one pacing run per host call period
    uint32_t allocationBlocks = 10000;
};

// Seconds on the performance counter.
double Seconds();

struct Summary {
    double min = 0, median = 0, p99 = 0, max = 0;
};
Summary Summarize(std::vector<double> values);
// "1.01 [0.99, 1.04]": median, then min and max.
std::string MedianRange(const Summary& summary, int decimals = 2);
std::string Fixed(double value, int decimals = 2);

struct Table {
    std::string title;
    std::vector<std::string> header;
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> notes; // printed under the table
};

// One line per target: what was asked, what was measured, and whether it holds.
struct Target {
    std::string what;
    std::string measured;
    bool met;
    bool zero; // a zero target: missing it fails the run, also a smoke run
};

struct Report {
    std::vector<Table> tables;
    std::vector<Target> targets;
    std::vector<std::string> problems; // the setting could not be made
};

void AddTarget(Report& report, const std::string& what, const std::string& measured, bool met,
               bool zero);
// Markdown tables, then the targets.
std::string FormatReport(const Report& report, const Settings& settings);
// Whether every zero target holds and nothing went wrong.
bool ZeroTargetsHold(const Report& report);

// The plug-in on the stand-in host, on the simulated driver that the plug-in loaded, with the
// driver's port entries and the host's block services as the plug-in reaches them.
struct Setting {
    LumoSim sim;
    HMODULE driver = nullptr;
    ModuleProcessFunction processOutput = nullptr;
    ModuleProcessFunction processInput = nullptr;
    ModuleMessageHandler outputMessages = nullptr;
    ModuleMessageHandler inputMessages = nullptr;
    Lumo31aInPortFn inPort = nullptr;
    Lumo31aOutPortFn outPort = nullptr;
    GetInputBlockFn getInputBlock = nullptr;
    NewReleaseInputBlockFn releaseInputBlock = nullptr;
    GetCurrentOutputBlockFn getOutputBlock = nullptr;
    NewReleaseOutputBlockFn releaseOutputBlock = nullptr;
};

// Boards 0 and 1 in the driver's fast setting, the host's fast block services, the plug-in
// loaded from beside the program and set up. False (with the reason) when any step fails.
bool StartSetting(Setting& setting, std::string& error);
void StopSetting(Setting& setting);

// A restored module of the output or input class on the port, with that many channels.
ModuleRecord* OutputModuleOn(uint16_t slot, uint16_t port, uint32_t channels);
ModuleRecord* InputModuleOn(uint16_t slot, uint16_t port, uint32_t channels);
// MODMSG_DELETE (the claim goes), then the host forgets the module.
void RemoveModule(ModuleRecord* module);
// A block of `samples` on each of the module's first `channels` inputs: set and clear bits in
// turn, so that every write changes the byte.
void QueueToggleBlocks(ModuleRecord* module, uint32_t channels, uint32_t samples);

// A critical section made as the plug-in makes PortLock, with or without its spin count.
void MakeFloorLock(CRITICAL_SECTION& lock, bool spin);

// The parts of the run.
void RunPerSample(Setting& setting, const Settings& settings, Report& report);
void RunContention(Setting& setting, const Settings& settings, Report& report);
void RunAllocations(Setting& setting, const Settings& settings, Report& report);
void RunPacing(Setting& setting, const Settings& settings, Report& report);

} // namespace bench
