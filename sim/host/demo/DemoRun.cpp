// pemo_host run: an input module and an output module of the plug-in on simulated boards, the
// input's eight channels wired to the output's eight, in an experiment of a few seconds. Prints
// what went through the ports, whether every bit arrived, and how late the input module
// released its blocks against their due ticks.
//
//   pemo_host run [--seconds N] [--config FILE] [--block SAMPLES] [--ms MILLISECONDS]
#include "sim/driver/LumoSimControl.h"
#include "sim/host/StandInHost.h"
#include "sim/host/demo/DemoCommands.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <vector>

namespace {

enum : uint32_t { CHANNELS = 8 };

struct RunSettings {
    double seconds = 3.0;
    uint32_t blockSize = 100;
    double msPerSample = 1.0;
};

struct PortPlace {
    int slot = -1;
    int port = 0;
};

// What one channel saw, from the port reads to the port writes.
struct ChannelTally {
    std::deque<std::vector<uint8_t>> filledReads; // bytes read per filled block, not yet released
    std::deque<std::vector<float>> inTransit;     // released blocks the output has yet to write
    uint32_t blocksReleased = 0;
    uint32_t blocksWritten = 0;
    uint64_t samplesChecked = 0;
    uint64_t sampleMismatches = 0; // a released sample that does not match its port read
    uint64_t bitsChecked = 0;
    uint64_t bitMismatches = 0; // a written bit that does not match its sample
};

struct RunTally {
    ChannelTally channels[CHANNELS];
    uint64_t portReads = 0;
    uint64_t portWrites = 0;
    uint64_t processCalls = 0;
    std::vector<int32_t> lateness; // release tick minus due tick, ms
    uint32_t tickStep = 0;         // smallest advance of GetTickCount seen, ms
    size_t releasedSeen = 0;       // entries of ReleasedOutputBlocks already counted
};

RunSettings ReadSettings(const DemoArgs& args) {
    RunSettings settings;
    settings.seconds = std::atof(OptionValue(args, "--seconds", "3").c_str());
    settings.blockSize =
        static_cast<uint32_t>(std::atoi(OptionValue(args, "--block", "100").c_str()));
    settings.msPerSample = std::atof(OptionValue(args, "--ms", "1").c_str());
    if (!(settings.seconds > 0))
        settings.seconds = 3.0;
    settings.blockSize = std::min<uint32_t>(std::max<uint32_t>(settings.blockSize, 1), 0xFFFF);
    if (!(settings.msPerSample > 0))
        settings.msPerSample = 1.0;
    return settings;
}

std::vector<LumoSimCall> LogEntries(LumoSim& sim) {
    std::vector<LumoSimCall> calls;
    const int count = sim.LogCount();
    for (int index = 0; index < count; ++index) {
        LumoSimCall call;
        if (sim.LogEntry(index, &call))
            calls.push_back(call);
    }
    return calls;
}

// Slots whose board the plug-in took at set-up: Lumo31aCreate and Lumo31aGetSwitchValue both
// succeeded.
std::vector<int> BoardsFoundAtSetup(LumoSim& sim) {
    bool created[16] = {}, switched[16] = {};
    for (const LumoSimCall& call : LogEntries(sim)) {
        if (call.slot < 0 || call.slot >= 16)
            continue;
        if (call.entry == LUMO_SIM_CREATE && call.result == 1)
            created[call.slot] = true;
        if (call.entry == LUMO_SIM_GET_SWITCH_VALUE && call.result != 0)
            switched[call.slot] = true;
    }
    std::vector<int> slots;
    for (int slot = 0; slot < 16; ++slot)
        if (created[slot] && switched[slot])
            slots.push_back(slot);
    return slots;
}

// A module as the host brings it back from a stored flow chart: parameter block with slot
// and port, then MODMSG_RESTORE.
ModuleRecord* RestoreModule(const char* className, PortPlace place, uint32_t inputs,
                            uint32_t outputs) {
    const standin::RegisteredClass* moduleClass = standin::FindClass(className);
    if (!moduleClass)
        return nullptr;
    ModuleRecord* module = standin::NewModule(*moduleClass, inputs, outputs);
    standin::StorePort(module, uint16_t(place.slot), uint16_t(place.port));
    const int32_t restored = standin::SendModuleMessage(module, MODMSG_RESTORE);
    std::printf("  %-13s board %d, port %d, %u in / %u out: restore (105) returned %d\n",
                ("\"" + Utf8(moduleClass->className) + "\"").c_str(), place.slot, place.port,
                module->inputChannelCount, module->outputChannelCount, restored);
    return restored == 1 ? module : nullptr;
}

// Port reads of the input module's call, split over the channels that filled a block (they
// fill in ascending order, one burst of a block each).
void TallyInputCall(RunTally& tally, const std::vector<LumoSimCall>& calls, PortPlace in,
                    ModuleRecord* input, const uint32_t before[CHANNELS], uint32_t blockSize) {
    std::vector<uint8_t> reads;
    for (const LumoSimCall& call : calls)
        if (call.entry == LUMO_SIM_IN_PORT && call.slot == in.slot && call.port == in.port)
            reads.push_back(uint8_t(call.data));
    tally.portReads += reads.size();
    size_t next = 0;
    for (uint32_t channel = 0; channel < CHANNELS; ++channel) {
        if (ChannelStateOf(input, channel)->samplesDelivered == before[channel])
            continue;
        const size_t end = std::min(reads.size(), next + blockSize);
        tally.channels[channel].filledReads.emplace_back(reads.begin() + next, reads.begin() + end);
        next = end;
    }
}

// Blocks the input module released since the last look: their lateness, and their samples
// against the port reads that filled them.
void TallyReleases(RunTally& tally, ModuleRecord* input, uint32_t start,
                   const RunSettings& settings) {
    const std::vector<standin::ReleasedBlock>& released = standin::ReleasedOutputBlocks();
    for (; tally.releasedSeen < released.size(); ++tally.releasedSeen) {
        const standin::ReleasedBlock& block = released[tally.releasedSeen];
        if (block.module != input || block.channel >= CHANNELS)
            continue;
        ChannelTally& channel = tally.channels[block.channel];
        const uint64_t samplesEnd = uint64_t(channel.blocksReleased + 1) * settings.blockSize;
        const uint32_t due = start + uint32_t(std::trunc(samplesEnd * settings.msPerSample));
        tally.lateness.push_back(int32_t(block.tick - due));
        ++channel.blocksReleased;
        if (!channel.filledReads.empty()) {
            const std::vector<uint8_t>& reads = channel.filledReads.front();
            for (size_t j = 0; j < block.samples.size() && j < reads.size(); ++j) {
                const float expected = (reads[j] >> block.channel) & 1 ? 5.0f : 0.0f;
                ++channel.samplesChecked;
                channel.sampleMismatches += block.samples[j] != expected;
            }
            channel.filledReads.pop_front();
        }
        channel.inTransit.push_back(block.samples);
    }
}

// Port writes of the output module's call, split over the channels whose block it consumed
// (ascending order, one write per sample), each bit against the sample it came from.
void TallyOutputCall(RunTally& tally, const std::vector<LumoSimCall>& calls, PortPlace out,
                     ModuleRecord* output, const int before[CHANNELS]) {
    std::vector<uint8_t> writes;
    for (const LumoSimCall& call : calls)
        if (call.entry == LUMO_SIM_OUT_PORT && call.slot == out.slot && call.port == out.port)
            writes.push_back(uint8_t(call.data));
    tally.portWrites += writes.size();
    size_t next = 0;
    for (uint32_t channel = 0; channel < CHANNELS; ++channel) {
        if (standin::InputBlocksReleased(output, channel) == before[channel])
            continue;
        ChannelTally& tallyOf = tally.channels[channel];
        ++tallyOf.blocksWritten;
        if (tallyOf.inTransit.empty())
            continue;
        const std::vector<float>& samples = tallyOf.inTransit.front();
        for (size_t j = 0; j < samples.size() && next < writes.size(); ++j, ++next) {
            const bool bit = (writes[next] >> channel) & 1;
            ++tallyOf.bitsChecked;
            tallyOf.bitMismatches += bit != (samples[j] >= 5.0f);
        }
        tallyOf.inTransit.pop_front();
    }
}

void RunExperiment(RunTally& tally, LumoSim& sim, ModuleRecord* input, ModuleRecord* output,
                   PortPlace in, PortPlace out, const RunSettings& settings) {
    sim.ClearLog();
    if (!standin::StartExperiment({input, output})) {
        std::printf("The experiment did not start (a module refused message 106).\n");
        return;
    }
    const uint32_t start = standin::ExperimentStartTicks();
    const uint32_t length = uint32_t(settings.seconds * 1000.0);
    uint32_t lastTick = start;
    while (GetTickCount() - start < length) {
        const uint32_t now = GetTickCount();
        if (now != lastTick && (tally.tickStep == 0 || now - lastTick < tally.tickStep))
            tally.tickStep = now - lastTick;
        lastTick = now;
        uint32_t delivered[CHANNELS];
        int consumed[CHANNELS];
        for (uint32_t channel = 0; channel < CHANNELS; ++channel) {
            delivered[channel] = ChannelStateOf(input, channel)->samplesDelivered;
            consumed[channel] = standin::InputBlocksReleased(output, channel);
        }
        standin::RunProcess(input);
        TallyInputCall(tally, LogEntries(sim), in, input, delivered, settings.blockSize);
        TallyReleases(tally, input, start, settings);
        sim.ClearLog();
        standin::RunProcess(output);
        TallyOutputCall(tally, LogEntries(sim), out, output, consumed);
        sim.ClearLog();
        tally.processCalls += 2;
        // A failed port access asks the host to stop; Pemo would, so the run ends here.
        if (standin::StopRequests() > 0) {
            std::printf("The plug-in asked to stop the experiment after %u ms; stopped.\n",
                        unsigned(GetTickCount() - start));
            break;
        }
        Sleep(1);
    }
    standin::StopExperimentRun({input, output});
}

void PrintChannels(const RunTally& tally, ModuleRecord* input, uint32_t blockSize) {
    std::printf(
        "\n  channel  released  samples   written  pending   samples=reads  bits=samples\n");
    for (uint32_t channel = 0; channel < CHANNELS; ++channel) {
        const ChannelTally& c = tally.channels[channel];
        std::printf("  %7u  %8u  %7llu  %8u  %7s   %6llu/%-6llu  %6llu/%-6llu\n", channel,
                    c.blocksReleased, (unsigned long long)c.blocksReleased * blockSize,
                    c.blocksWritten, ChannelStateOf(input, channel)->blockPending ? "yes" : "no",
                    (unsigned long long)(c.samplesChecked - c.sampleMismatches),
                    (unsigned long long)c.samplesChecked,
                    (unsigned long long)(c.bitsChecked - c.bitMismatches),
                    (unsigned long long)c.bitsChecked);
    }
}

void PrintLateness(const std::vector<int32_t>& lateness, uint32_t tickStep) {
    if (lateness.empty()) {
        std::printf("\nNo block was released.\n");
        return;
    }
    const int32_t least = *std::min_element(lateness.begin(), lateness.end());
    const int32_t most = *std::max_element(lateness.begin(), lateness.end());
    double sum = 0;
    size_t early = 0;
    for (int32_t late : lateness) {
        sum += late;
        early += late < 0;
    }
    std::printf("\nRelease against the due tick (start + samples x ms per sample), %zu blocks:\n",
                lateness.size());
    std::printf("  late by min %d ms, mean %.2f ms, max %d ms; released early: %zu\n", least,
                sum / double(lateness.size()), most, early);
    std::printf("  (GetTickCount advanced in steps of %u ms here: a due tick is seen at the "
                "first step that reaches it)\n",
                tickStep);
}

void PrintReport(const RunTally& tally, LumoSim& sim, ModuleRecord* input, PortPlace out,
                 const RunSettings& settings) {
    std::printf("\nProcess calls: %llu; port reads: %llu; port writes: %llu "
                "(driver count of successful writes: %d; last byte 0x%02x)\n",
                (unsigned long long)tally.processCalls, (unsigned long long)tally.portReads,
                (unsigned long long)tally.portWrites, sim.OutputWrites(out.slot, out.port),
                sim.OutputByte(out.slot, out.port) & 0xFF);
    PrintChannels(tally, input, settings.blockSize);
    PrintLateness(tally.lateness, tally.tickStep);
    std::printf("\nWarnings: %zu; stop requests: %d; host complaints: %zu\n",
                standin::Warnings().size(), standin::StopRequests(), standin::Complaints().size());
    for (const std::string& complaint : standin::Complaints())
        std::printf("  complaint: %s\n", complaint.c_str());
}

bool ChooseBoards(LumoSim& sim, PortPlace& in, PortPlace& out) {
    const std::vector<int> boards = BoardsFoundAtSetup(sim);
    std::printf("Boards found at set-up:");
    for (int slot : boards)
        std::printf(" %d", slot);
    std::printf("%s\n", boards.empty() ? " none" : "");
    if (boards.empty())
        return false;
    // Output port 1 of the last board: with the default wiring (input n reads back output n)
    // the output does not feed the input port that is sampled.
    in = PortPlace{boards.front(), 0};
    out = PortPlace{boards.back(), 1};
    return true;
}

// Without a configuration file, the sampled port gets a counter, so that the run moves data.
void FeedDefaultSource(LumoSim& sim, PortPlace in) {
    char origin[MAX_PATH] = "";
    sim.ConfigOrigin(origin, sizeof origin);
    if (std::string(origin) != "default") {
        std::printf("Simulated driver configuration: %s\n", origin);
        return;
    }
    char line[64];
    std::snprintf(line, sizeof line, "input %d %d counter start=0 step=1\n", in.slot, in.port);
    sim.Apply(line);
    std::printf("Simulated driver configuration: default; input port %d of board %d counts up "
                "by one per read (give --config FILE to choose)\n",
                in.port, in.slot);
}

} // namespace

int DemoRun(const DemoArgs& args) {
    const RunSettings settings = ReadSettings(args);
    const std::string config = OptionValue(args, "--config", "");
    if (!config.empty())
        SetEnvironmentVariableA("LUMO31A_SIM_CONFIG", config.c_str());
    if (!StartHostWithPlugin(args))
        return 1;
    int exitCode = 1;
    LumoSim sim;
    PortPlace in, out;
    if (!standin::CallSetup()) {
        std::printf("SetupPemoDLL returned 0: no usable driver library.\n");
        standin::HostStop();
        return 1;
    }
    if (!LumoSimConnect(sim)) {
        std::printf("The lumo31a.dll loaded is not the simulated driver; nothing to report.\n");
    } else if (ChooseBoards(sim, in, out)) {
        FeedDefaultSource(sim, in);
        std::printf("Modules, restored with stored slot and port as from a flow chart:\n");
        ModuleRecord* input = RestoreModule("Lumo-P31 IN", in, 0, CHANNELS);
        ModuleRecord* output = RestoreModule("Lumo-P31 OUT", out, CHANNELS, 0);
        if (input && output) {
            for (uint32_t channel = 0; channel < CHANNELS; ++channel)
                standin::Connect(input, channel, output, channel);
            standin::SetBlockSize(settings.blockSize);
            standin::SetMilliSecondsPerSample(settings.msPerSample);
            std::printf("\nExperiment: %.1f s, blocks of %u samples, %.3f ms per sample "
                        "(a block every %.1f ms per channel); input channel i -> output "
                        "channel i\n",
                        settings.seconds, settings.blockSize, settings.msPerSample,
                        settings.blockSize * settings.msPerSample);
            RunTally tally;
            RunExperiment(tally, sim, input, output, in, out, settings);
            PrintReport(tally, sim, input, out, settings);
            exitCode = 0;
        }
    }
    std::printf("\nFinishPemoDLL returned %d\n", standin::CallFinish());
    standin::HostStop();
    return exitCode;
}
