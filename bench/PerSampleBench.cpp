// Per sample and channel: the output module and the fill path of the input module against the
// floor, a loop that enters a critical section made as PortLock is, calls the driver's port
// entry through its address and leaves. The plug-in's own share is the module's time less the
// time of the host's block services that it calls, measured alone.
#include "bench/BenchSupport.h"

#include "sim/host/core/HostControl.h"

#include <algorithm>
#include <cmath>

namespace bench {
namespace {

const uint32_t BLOCK_SIZES[] = {1, 16, 100, 1000, 10000, 65535};
const uint32_t CHANNEL_COUNTS[] = {1, 2, 4, 8};
enum : uint32_t { MAX_CHANNELS = 8, JUDGED_BLOCK_SIZE = 100 };

enum Kind { OUTPUT, INPUT, KINDS };
const char* const KIND_TITLES[KINDS] = {"ProcessOutputModule", "ProcessInputModule, fill path"};

CRITICAL_SECTION floorLock;
volatile int32_t floorSink; // keeps the floors' results alive

template <typename Run> double BestOf(int trials, Run run) {
    double best = 1e30;
    for (int trial = 0; trial < trials; ++trial) {
        const double start = Seconds();
        run();
        best = std::min(best, Seconds() - start);
    }
    return best;
}

void WriteFloor(const Setting& setting, uint64_t calls) {
    const Lumo31aOutPortFn entry = setting.outPort;
    int32_t results = 0;
    for (uint64_t i = 0; i < calls; ++i) {
        EnterCriticalSection(&floorLock);
        results += entry(0, 0, static_cast<uint32_t>(i & 0xFF));
        LeaveCriticalSection(&floorLock);
    }
    floorSink = results;
}

void ReadFloor(const Setting& setting, uint64_t calls) {
    const Lumo31aInPortFn entry = setting.inPort;
    int32_t results = 0;
    for (uint64_t i = 0; i < calls; ++i) {
        uint8_t byte = 0;
        EnterCriticalSection(&floorLock);
        results += entry(1, 0, &byte);
        LeaveCriticalSection(&floorLock);
        results += byte;
    }
    floorSink = results;
}

// What the module's process function calls of the host, per call, on its own.
void OutputServices(const Setting& setting, ModuleRecord* module, uint32_t channels,
                    uint64_t calls) {
    for (uint64_t call = 0; call < calls; ++call)
        for (uint32_t channel = 0; channel < channels; ++channel)
            if (setting.getInputBlock(module, channel))
                setting.releaseInputBlock(module, channel, __FILE__, __LINE__);
}

void InputServices(const Setting& setting, ModuleRecord* module, uint32_t channels,
                   uint64_t calls) {
    for (uint64_t call = 0; call < calls; ++call)
        for (uint32_t channel = 0; channel < channels; ++channel) {
            OutputChannelRecord* record = OutputChannelOf(module, channel);
            if (setting.getOutputBlock(record))
                setting.releaseOutputBlock(record, __FILE__, __LINE__);
        }
}

void Process(ModuleProcessFunction process, ModuleRecord* module, uint64_t calls) {
    for (uint64_t call = 0; call < calls; ++call)
        process(module);
}

struct Modules {
    ModuleRecord* output;
    ModuleRecord* input;
};

// The plug-in's own share per port call over the floor's time per port call, once.
double ShareOverFloor(const Setting& setting, const Settings& settings, Kind kind,
                      const Modules& modules, uint32_t blockSize, uint32_t channels) {
    const uint64_t calls = std::max<uint64_t>(
        1, std::llround(settings.sampleTarget / (static_cast<double>(blockSize) * channels)));
    const uint64_t portCalls = calls * blockSize * channels;
    const int trials = settings.trials;
    double floor, services, module;
    // Each run once before it is timed: blocks and buffers are made and touched.
    if (kind == OUTPUT) {
        OutputServices(setting, modules.output, channels, 1);
        Process(setting.processOutput, modules.output, 1);
    } else {
        InputServices(setting, modules.input, channels, 1);
        Process(setting.processInput, modules.input, 1);
    }
    if (kind == OUTPUT) {
        floor = BestOf(trials, [&] { WriteFloor(setting, portCalls); });
        services =
            BestOf(trials, [&] { OutputServices(setting, modules.output, channels, calls); });
        module = BestOf(trials, [&] { Process(setting.processOutput, modules.output, calls); });
    } else {
        floor = BestOf(trials, [&] { ReadFloor(setting, portCalls); });
        services = BestOf(trials, [&] { InputServices(setting, modules.input, channels, calls); });
        module = BestOf(trials, [&] { Process(setting.processInput, modules.input, calls); });
    }
    return (module - services) / floor;
}

// Both modules on their own ports, with `blockSize` samples per block, in a started run in
// which every input call fills and at once releases its blocks (0 ms per sample).
Modules StartModules(uint32_t blockSize) {
    standin::SetBlockSize(blockSize);
    standin::SetMilliSecondsPerSample(0.0);
    Modules modules{OutputModuleOn(0, 0, MAX_CHANNELS), InputModuleOn(1, 0, MAX_CHANNELS)};
    QueueToggleBlocks(modules.output, MAX_CHANNELS, blockSize);
    standin::StartExperiment({modules.output, modules.input});
    return modules;
}

void StopModules(const Modules& modules) {
    standin::StopExperimentRun({modules.output, modules.input});
    RemoveModule(modules.output);
    RemoveModule(modules.input);
}

// The floor's own time per port call, for the notes.
double FloorNanoseconds(const Setting& setting, const Settings& settings, Kind kind) {
    const uint64_t calls = static_cast<uint64_t>(settings.sampleTarget);
    const double seconds = BestOf(settings.trials, [&] {
        kind == OUTPUT ? WriteFloor(setting, calls) : ReadFloor(setting, calls);
    });
    return seconds / static_cast<double>(calls) * 1e9;
}

} // namespace

void RunPerSample(Setting& setting, const Settings& settings, Report& report) {
    MakeFloorLock(floorLock, true);
    // ratios[kind][block size][channel count]: one value per repetition
    std::vector<double> ratios[KINDS][std::size(BLOCK_SIZES)][std::size(CHANNEL_COUNTS)];
    for (size_t b = 0; b < std::size(BLOCK_SIZES); ++b) {
        const Modules modules = StartModules(BLOCK_SIZES[b]);
        for (size_t c = 0; c < std::size(CHANNEL_COUNTS); ++c) {
            modules.output->inputChannelCount = CHANNEL_COUNTS[c];
            modules.input->outputChannelCount = CHANNEL_COUNTS[c];
            for (int repetition = 0; repetition < settings.repetitions; ++repetition)
                for (int kind = 0; kind < KINDS; ++kind)
                    ratios[kind][b][c].push_back(ShareOverFloor(
                        setting, settings, Kind(kind), modules, BLOCK_SIZES[b], CHANNEL_COUNTS[c]));
        }
        StopModules(modules);
    }
    for (int kind = 0; kind < KINDS; ++kind) {
        Table table;
        table.title = std::string(KIND_TITLES[kind]) +
                      ": the plug-in's own share per sample and channel over the floor";
        table.header = {"block size"};
        for (uint32_t channels : CHANNEL_COUNTS)
            table.header.push_back(std::to_string(channels) + " ch");
        double lowest = 1e30, highest = 0;
        for (size_t b = 0; b < std::size(BLOCK_SIZES); ++b) {
            std::vector<std::string> row = {std::to_string(BLOCK_SIZES[b])};
            for (size_t c = 0; c < std::size(CHANNEL_COUNTS); ++c) {
                const Summary summary = Summarize(ratios[kind][b][c]);
                row.push_back(MedianRange(summary));
                if (BLOCK_SIZES[b] >= JUDGED_BLOCK_SIZE) {
                    lowest = std::min(lowest, summary.median);
                    highest = std::max(highest, summary.median);
                }
            }
            table.rows.push_back(row);
        }
        if (!settings.emulated)
            table.notes.push_back(
                "Floor: " + Fixed(FloorNanoseconds(setting, settings, Kind(kind)), 1) +
                " ns per port call on this machine (for scale only).");
        report.tables.push_back(table);
        AddTarget(report,
                  std::string(KIND_TITLES[kind]) + ": own share at most 1.05 x floor (medians, "
                                                   "blocks of 100 and more, every channel count)",
                  "highest median " + Fixed(highest), highest <= 1.05, false);
        AddTarget(report,
                  std::string(KIND_TITLES[kind]) +
                      ": flat within 10 % across block sizes (100 and more) and channel counts",
                  "highest / lowest median " + Fixed(highest / lowest), highest <= lowest * 1.10,
                  false);
    }
    DeleteCriticalSection(&floorLock);
}

} // namespace bench
