#include "tests/reliability/ReliabilitySupport.h"

#include "sim/host/support/SafeSave.h"
#include "tests/common/MessageSequence.h"
#include "tests/common/TestSupport.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace reliability {

namespace {

std::mutex figuresMutex;
std::map<std::string, uint64_t> figures;

// Prints the figures after the last test and writes them where PEMO_RELIABILITY_FIGURES says.
class FiguresReport : public ::testing::Environment {
public:
    void TearDown() override {
        std::lock_guard<std::mutex> lock(figuresMutex);
        std::string table;
        for (const auto& figure : figures) {
            std::printf("figure: %s = %llu\n", figure.first.c_str(),
                        static_cast<unsigned long long>(figure.second));
            table += figure.first + "\t" + std::to_string(figure.second) + "\n";
        }
        const std::wstring path = testsupport::EnvironmentText(L"PEMO_RELIABILITY_FIGURES");
        std::string error;
        if (!path.empty() && !standin::SaveFileSafely(path, table, &error))
            std::printf("%s\n", error.c_str());
    }
};

const bool reportRegistered = (::testing::AddGlobalTestEnvironment(new FiguresReport), true);

} // namespace

uint32_t Setting(const char* name, uint32_t fallback) {
    const char* text = std::getenv(name);
    return text && *text ? static_cast<uint32_t>(std::strtoul(text, nullptr, 10)) : fallback;
}

void AddFigure(const std::string& name, uint64_t count) {
    std::lock_guard<std::mutex> lock(figuresMutex);
    figures[name] += count;
}

void Reliability::SetUp() {
    PluginModules::SetUp();
    if (!HasFatalFailure()) {
        ASSERT_TRUE(standin::GuardPagesOn()) << "the tests run with PEMO_HOST_GUARD_PAGES=1";
    }
}

void Reliability::TearDown() {
    EXPECT_EQ(standin::LivePluginAllocations(), 0u) << "blocks the plug-in did not give back";
    EXPECT_EQ(testsupport::SimulatedDriver().OverlapCount(), 0);
    PluginModules::TearDown();
}

uint32_t Random::Next() {
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return static_cast<uint32_t>((z ^ (z >> 31)) >> 16);
}

std::vector<float> RandomSamples(Random& random, uint32_t count) {
    static const float odd[] = {NAN, INFINITY, -INFINITY, -5.0f, 4.999f, 5.0f, 1e30f};
    std::vector<float> samples(count);
    for (float& sample : samples)
        sample = random.Chance(3) ? odd[random.Below(7)] : random.Chance(50) ? 5.0f : 0.0f;
    return samples;
}

std::vector<LumoSimCall> DriverCalls(int entry) {
    std::vector<LumoSimCall> calls;
    for (const LumoSimCall& call : LumoSimLog(testsupport::SimulatedDriver()))
        if (call.entry == entry)
            calls.push_back(call);
    return calls;
}

} // namespace reliability
