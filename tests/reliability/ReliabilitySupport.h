// The setting of the reliability tests: the plug-in's parts on the stand-in host with guard-page
// memory and simulated boards, a clock the tests move, the sizes of the long and short runs, and
// the figures every test adds to (printed at the end, and written to the file that
// PEMO_RELIABILITY_FIGURES names).
#pragma once

#include "modules/ModuleRecords.h"
#include "sim/host/core/HostControl.h"
#include "sim/host/flowchart/Worksheet.h"
#include "tests/common/TestSupport.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace reliability {

using testsupport::ClaimsPicture;
using testsupport::fakeTicks;
using testsupport::INPUT_CLASS;
using testsupport::OUTPUT_CLASS;

// A number from the environment (PEMO_FUZZ_ITERATIONS, PEMO_SOAK_SECONDS, ...), or `fallback`.
uint32_t Setting(const char* name, uint32_t fallback);

// Counts for docs/RELIABILITY.md, by name ("faults injected: every=13 out"). Thread-safe.
void AddFigure(const std::string& name, uint64_t count);

// Each test: testsupport::PluginModules on guard-page memory, with boards of `driverSetup`. At
// tear-down the plug-in must have no block left and no driver calls overlapped.
class Reliability : public testsupport::PluginModules {
protected:
    void SetUp() override;
    void TearDown() override;
    std::string DriverSetup() const override { return driverSetup; }
    std::string driverSetup = "board 2\nspin 0\n";
};

// A small deterministic generator (the same seed gives the same run on every build).
struct Random {
    uint64_t state;
    explicit Random(uint64_t seed) : state(seed * 0x9E3779B97F4A7C15ull + 1) {}
    uint32_t Next();
    uint32_t Below(uint32_t bound) { return bound ? Next() % bound : 0; }
    bool Chance(uint32_t percent) { return Below(100) < percent; }
};

// Samples of a block, each 0.0 or 5.0 (now and then NaN, infinite or negative).
std::vector<float> RandomSamples(Random& random, uint32_t count);

// Driver calls of one entry since the log was cleared.
std::vector<LumoSimCall> DriverCalls(int entry);

} // namespace reliability
