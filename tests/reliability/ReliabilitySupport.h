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

extern const char* const OUTPUT_CLASS;
extern const char* const INPUT_CLASS;

// A number from the environment (PEMO_FUZZ_ITERATIONS, PEMO_SOAK_SECONDS, ...), or `fallback`.
uint32_t Setting(const char* name, uint32_t fallback);

// Counts for docs/RELIABILITY.md, by name ("faults injected: every=13 out"). Thread-safe.
void AddFigure(const std::string& name, uint64_t count);

// The clock the input module reads while a test runs.
extern uint32_t fakeTicks;

// Each test: guard-page memory on, the driver configured with DriverSetup(), the plug-in set
// up, the input module paced by fakeTicks. At tear-down the host must have no complaint and the
// plug-in no block left.
class Reliability : public testsupport::PluginOnBoards {
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

// The plug-in's port claims, every kind, slot and port, one byte each (1: claimed).
std::string ClaimsPicture();

} // namespace reliability
