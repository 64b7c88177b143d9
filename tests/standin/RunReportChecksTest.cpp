// Every check of the run report seen failing once: the loopback example run by hand, broken in
// one way per case (a driver fault or setting, a host fault, the input module's clock, or a
// block, driver call or host call made up beside the plug-in's), and the report's failure
// lines held against the lines a user reads, nothing else failing.
#include "device/DriverInterface.h"
#include "host/HostBinding.h"
#include "modules/Lumo31a_IN/TickSource.h"
#include "sim/host/report/RunRecorder.h"
#include "tests/standin/StandInTestSupport.h"

#include <algorithm>
#include <functional>
#include <thread>

using namespace standintest;

namespace {

using Lines = std::vector<std::string>;

enum : uint32_t {
    ROUNDS = 2,
    BLOCK = 10,
    HOUR = 3600000,
    LOG_CAPACITY = 1u << 18, // calls the simulated driver's log keeps
};
const double MS_PER_SAMPLE = 100; // a block is a second long: no round lasts that long

LumoSim& Sim() {
    return testsupport::SimulatedDriver();
}

template <typename Entry> Entry DriverEntry(const char* name) {
    return reinterpret_cast<Entry>(GetProcAddress(GetModuleHandleA(LUMO_DRIVER_FILE_NAME), name));
}

uint8_t ReadPort(uint32_t slot, uint32_t port) {
    static const auto inPort = DriverEntry<Lumo31aInPortFn>("Lumo31aInPort");
    uint8_t byte = 0;
    inPort(slot, port, &byte);
    return byte;
}

DWORD WINAPI ClockAnHourAhead() {
    return GetTickCount() + HOUR;
}

// The pattern once for each bit of the port, '#' standing for the bit.
Lines EachBit(const std::string& pattern) {
    Lines lines;
    for (char bit = '0'; bit < '8'; ++bit) {
        std::string line = pattern;
        for (char& c : line)
            c = c == '#' ? bit : c;
        lines.push_back(line);
    }
    return lines;
}

Lines operator+(Lines first, const Lines& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

// A block of module 0 "In 0:0" channel 0 as the host would tell it, the third of the run.
standin::BlockNote ThirdBlock(standin::BlockEvent event, const std::vector<float>& samples) {
    const double distance = MS_PER_SAMPLE * 0.001;
    return standin::BlockNote{event,
                              standin::Modules()[0],
                              0,
                              samples.data(),
                              uint32_t(samples.size()),
                              double(ROUNDS * BLOCK) * distance,
                              distance,
                              GetTickCount()};
}

struct Break {
    const char* name;
    // After the start, before the rounds; then after the rounds, before the report.
    std::function<void()> before;
    std::function<void(const standin::RunHooks&)> after;
    std::function<Lines()> failures; // as the report lists them, in order
};

const Break breaks[] = {
    {"NothingBroken", nullptr, nullptr, [] { return Lines{}; }},
    {"InputClockAheadReleasesEarly",
     [] {
         standin::SetExperimentStartTicks(GetTickCount());
         ReadTickCount = ClockAnHourAhead;
     },
     nullptr,
     [] {
         return EachBit("module 0 \"In 0:0\" channel #: 2 blocks released before their due tick") +
                EachBit("module 2 \"Back 0:1\" channel #: 2 blocks released before their due tick");
     }},
    {"BlockStampedOffTheTimeBase", nullptr,
     [](const standin::RunHooks& hooks) {
         std::vector<float> samples(BLOCK, 0.0f);
         standin::BlockNote note = ThirdBlock(standin::BlockEvent::OutputReleased, samples);
         note.startTime += 0.5 * note.sampleDistance;
         hooks.blockNote(note);
     },
     [] {
         return Lines{
             "module 0 \"In 0:0\" channel 0: 1 blocks with a start time off the time base"};
     }},
    {"SamplesOtherThanTheBitsRead", nullptr,
     [](const standin::RunHooks& hooks) { // a counter: bit 0 is set in every second read
         const std::vector<float> allSet(BLOCK, 5.0f);
         hooks.beforeProcess(0, standin::Modules()[0]);
         hooks.blockNote(ThirdBlock(standin::BlockEvent::OutputHandedOut, allSet));
         for (uint32_t i = 0; i < BLOCK; ++i)
             ReadPort(0, 0);
         hooks.blockNote(ThirdBlock(standin::BlockEvent::OutputReleased, allSet));
         hooks.afterProcess(0, standin::Modules()[0]);
     },
     [] {
         return Lines{"module 0 \"In 0:0\" channel 0: 5 of 30 samples differ from the bit read"};
     }},
    {"FailedWrite", [] { ASSERT_EQ(Sim().Apply("fault 0 0 out nth=5\n"), 1); }, nullptr,
     [] { return Lines{"connection 0.0 -> 1.0: 1 bits did not reach the output port as read"}; }},
    {"NoOutputBlocks", [] { standin::SetOutputBlocksAvailable(false); }, nullptr,
     [] { return EachBit("connection 0.# -> 1.#: no bit reached the output port"); }},
    {"WireOffTheInputPort",
     [] { // the outputs stay 0; the port of the loose wire floats high
         ASSERT_EQ(Sim().SetInput(0, 0, 0x00), 1);
         ASSERT_EQ(Sim().SetInput(0, 1, 0xFF), 1);
     },
     nullptr,
     [] {
         return Lines{"board 0 input port 1: 160 of 160 reads differ from what board 0 output "
                      "port 0 was last given"};
     }},
    {"HostComplaint",
     [] { hostBinding.services.DeleteStackedObject(reinterpret_cast<HGDIOBJ>(0x5A5A)); }, nullptr,
     [] { return Lines{"1 complaints of the host about the plug-in"}; }},
    {"UnserializedPortCalls",
     [] { // two callers beside the plug-in, on a port no module uses, without its lock
         auto readUntilOverlap = [] {
             const DWORD until = GetTickCount() + 20000;
             while (Sim().OverlapCount() == 0 && int32_t(GetTickCount() - until) < 0)
                 ReadPort(0, 2);
         };
         std::thread other(readUntilOverlap);
         readUntilOverlap();
         other.join();
     },
     nullptr,
     [] {
         EXPECT_GT(Sim().OverlapCount(), 0);
         return Lines{std::to_string(Sim().OverlapCount()) + " port calls overlapped another"};
     }},
    {"DriverLogOverflow", nullptr,
     [](const standin::RunHooks&) { // calls beyond the log's room, while the recorder waits
         const auto version = DriverEntry<Lumo31aGetVersionFn>("Lumo31aGetVersion");
         for (uint32_t i = uint32_t(Sim().LogCount()); i < LOG_CAPACITY + 6; ++i)
             version();
         ASSERT_EQ(Sim().LogDropped(), 6);
     },
     [] { return Lines{"the driver's log lost 6 calls: the port checks are incomplete"}; }},
};

class BrokenRun : public Loopback, public ::testing::WithParamInterface<Break> {
protected:
    void TearDown() override {
        ReadTickCount = GetTickCount;
        standin::ClearRecords(); // the complaints a row made on purpose
        Loopback::TearDown();
    }

    // The experiment as StartRun has it, an hour old (every block is due when it is filled),
    // with the rounds made here: each round every channel reads a block and releases it, and
    // the output module writes it.
    standin::RunReport Run(const Break& broken) {
        standin::RunSettings settings;
        settings.msPerSample = MS_PER_SAMPLE;
        settings.blockSize = BLOCK;
        standin::SetMilliSecondsPerSample(settings.msPerSample);
        standin::SetBlockSize(settings.blockSize);
        standin::RunRecorder recorder(false);
        const standin::RunHooks hooks = recorder.Hooks();
        standin::WatchBlocks(hooks.blockNote);
        const std::vector<ModuleRecord*> order = standin::FlowOrder();
        EXPECT_TRUE(standin::StartExperiment(order));
        standin::SetExperimentStartTicks(standin::ExperimentStartTicks() - HOUR);
        if (broken.before)
            broken.before();
        standin::RunStatus status;
        for (; status.rounds < ROUNDS; ++status.rounds)
            standin::RunRound(&hooks);
        if (broken.after)
            broken.after(hooks);
        standin::StopExperimentRun(order);
        standin::WatchBlocks(nullptr);
        return recorder.Report(settings, standin::RunEnd::Stopped, status);
    }
};

TEST_P(BrokenRun, FailsItsCheckWithTheLineAUserReads) {
    const standin::RunReport report = Run(GetParam());
    const Lines failures = GetParam().failures();
    EXPECT_EQ(report.failures, failures);
    EXPECT_EQ(report.Passed(), failures.empty());
    std::string shown = failures.empty() ? "All checks passed.\n" : "Checks failed:\n";
    for (const std::string& failure : failures)
        shown += "  " + failure + "\n";
    const std::string text = standin::ReportText(report);
    EXPECT_EQ(text.substr(text.size() - std::min(text.size(), shown.size())), shown) << text;
}

INSTANTIATE_TEST_SUITE_P(Checks, BrokenRun, ::testing::ValuesIn(breaks),
                         [](const ::testing::TestParamInfo<Break>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
