// Clock, figures, report and setting of the benchmark.
#include "bench/BenchSupport.h"

#include "device/PortAccess.h"
#include "sim/host/core/HostControl.h"
#include "sim/host/flowchart/PluginBlocks.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>

namespace bench {

double Seconds() {
    static const double period = [] {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        return 1.0 / static_cast<double>(frequency.QuadPart);
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * period;
}

// The value below which the given share of the sorted values lies (nearest rank).
double Percentile(const std::vector<double>& sorted, double share) {
    const size_t rank = static_cast<size_t>(std::ceil(share * static_cast<double>(sorted.size())));
    return sorted[std::min(sorted.size() - 1, rank == 0 ? 0 : rank - 1)];
}

Summary Summarize(std::vector<double> values) {
    Summary summary;
    if (values.empty())
        return summary;
    std::sort(values.begin(), values.end());
    summary.min = values.front();
    summary.max = values.back();
    const size_t middle = values.size() / 2;
    summary.median = values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
    summary.p99 = Percentile(values, 0.99);
    return summary;
}

std::string Fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string MedianRange(const Summary& summary, int decimals) {
    return Fixed(summary.median, decimals) + " [" + Fixed(summary.min, decimals) + ", " +
           Fixed(summary.max, decimals) + "]";
}

void AddTarget(Report& report, const std::string& what, const std::string& measured, bool met,
               bool zero) {
    report.targets.push_back(Target{what, measured, met, zero});
}

namespace {

void FormatRow(std::ostringstream& out, const std::vector<std::string>& cells) {
    out << "|";
    for (const std::string& cell : cells)
        out << " " << cell << " |";
    out << "\n";
}

void FormatTable(std::ostringstream& out, const Table& table) {
    out << "### " << table.title << "\n\n";
    FormatRow(out, table.header);
    out << "|";
    for (size_t i = 0; i < table.header.size(); ++i)
        out << (i == 0 ? "---|" : "--:|");
    out << "\n";
    for (const auto& row : table.rows)
        FormatRow(out, row);
    if (!table.notes.empty())
        out << "\n";
    for (const std::string& note : table.notes)
        out << note << "\n";
    out << "\n";
}

} // namespace

std::string FormatReport(const Report& report, const Settings& settings) {
    std::ostringstream out;
    out << (settings.smoke ? "Smoke run (short, figures not judged)" : "Full run")
        << (settings.emulated ? " under CPU emulation (ratios only, timings not judged)" : "")
        << ": " << settings.repetitions << " repetitions, each timing the best of "
        << settings.trials << " runs; cells give the median [min, max] over the repetitions.\n\n";
    for (const std::string& problem : report.problems)
        out << "PROBLEM: " << problem << "\n\n";
    for (const Table& table : report.tables)
        FormatTable(out, table);
    out << "### Targets\n\n| target | measured | |\n|---|---|---|\n";
    for (const Target& target : report.targets) {
        const char* verdict = target.met ? "met" : "MISSED";
        if (!target.zero && settings.emulated)
            verdict = "not judged (emulated)";
        else if (!target.zero && settings.smoke && !target.met)
            verdict = "not judged (smoke run)";
        out << "| " << target.what << " | " << target.measured << " | " << verdict << " |\n";
    }
    return out.str();
}

bool ZeroTargetsHold(const Report& report) {
    if (!report.problems.empty())
        return false;
    for (const Target& target : report.targets)
        if (target.zero && !target.met)
            return false;
    return true;
}

namespace {

const char* const DRIVER_SETUP = "board 0\nboard 1\n"
                                 "input 0 * constant 0xA5\ninput 1 * constant 0x5A\n"
                                 "fast\n";

template <typename Type> bool Resolve(Type& entry, const char* service) {
    entry = reinterpret_cast<Type>(standin::AnswerService(service));
    return entry != nullptr;
}

bool FindClassEntries(Setting& setting) {
    const standin::RegisteredClass* output = standin::FindClass("Lumo-P31 OUT");
    const standin::RegisteredClass* input = standin::FindClass("Lumo-P31 IN");
    if (!output || !input)
        return false;
    setting.processOutput = output->process;
    setting.outputMessages = output->handler;
    setting.processInput = input->process;
    setting.inputMessages = input->handler;
    return setting.processOutput && setting.processInput;
}

} // namespace

bool StartSetting(Setting& setting, std::string& error) {
    const std::wstring folder = standin::ProgramFolder();
    // Loaded by full path before the plug-in loads it by name, so that it is configured first.
    setting.driver = LoadLibraryW((folder + L"\\" LUMO_DRIVER_FILE_NAME).c_str());
    if (!setting.driver || !LumoSimConnect(setting.sim, setting.driver)) {
        error = "the simulated " LUMO_DRIVER_FILE_NAME " is not beside the program";
        return false;
    }
    if (setting.sim.Configure(DRIVER_SETUP) != 1) {
        error = "the simulated driver refused the benchmark's configuration";
        return false;
    }
    setting.inPort =
        reinterpret_cast<Lumo31aInPortFn>(GetProcAddress(setting.driver, "Lumo31aInPort"));
    setting.outPort =
        reinterpret_cast<Lumo31aOutPortFn>(GetProcAddress(setting.driver, "Lumo31aOutPort"));
    if (!standin::HostStart()) {
        error = "the stand-in host could not start";
        return false;
    }
    standin::SetFastBlocks(true);
    if (!standin::LoadPlugin(folder + L"\\Pemo_ux1.dll") || standin::CallSetup() != 1 ||
        !FindClassEntries(setting)) {
        error = "the plug-in Pemo_ux1.dll beside the program did not load or set up";
        return false;
    }
    if (!Resolve(setting.getInputBlock, "GetInputBlock") ||
        !Resolve(setting.releaseInputBlock, "NewReleaseInputBlock") ||
        !Resolve(setting.getOutputBlock, "GetCurrentOutputBlock") ||
        !Resolve(setting.releaseOutputBlock, "NewReleaseOutputBlock")) {
        error = "the stand-in host lacks a block service";
        return false;
    }
    return true;
}

void StopSetting(Setting& setting) {
    if (standin::PluginModule())
        standin::CallFinish();
    standin::HostStop();
    if (setting.driver)
        FreeLibrary(setting.driver);
    setting.driver = nullptr;
}

namespace {

ModuleRecord* RestoredModule(const char* className, uint16_t slot, uint16_t port, uint32_t inputs,
                             uint32_t outputs) {
    const standin::RegisteredClass* moduleClass = standin::FindClass(className);
    ModuleRecord* module = standin::NewModule(*moduleClass, inputs, outputs);
    standin::StorePort(module, slot, port);
    standin::SendModuleMessage(module, MODMSG_RESTORE);
    return module;
}

} // namespace

ModuleRecord* OutputModuleOn(uint16_t slot, uint16_t port, uint32_t channels) {
    return RestoredModule("Lumo-P31 OUT", slot, port, channels, 0);
}

ModuleRecord* InputModuleOn(uint16_t slot, uint16_t port, uint32_t channels) {
    return RestoredModule("Lumo-P31 IN", slot, port, 0, channels);
}

void RemoveModule(ModuleRecord* module) {
    standin::SendModuleMessage(module, MODMSG_DELETE);
    standin::DeleteModuleRecord(module);
}

void QueueToggleBlocks(ModuleRecord* module, uint32_t channels, uint32_t samples) {
    std::vector<float> block(samples);
    for (uint32_t channel = 0; channel < channels; ++channel) {
        for (uint32_t i = 0; i < samples; ++i)
            block[i] = (i + channel) % 2 ? 5.0f : 0.0f;
        standin::QueueInputBlock(module, channel, block);
    }
}

void MakeFloorLock(CRITICAL_SECTION& lock, bool spin) {
    InitializeCriticalSectionAndSpinCount(&lock, spin ? DWORD(PORT_LOCK_SPIN_COUNT) : DWORD(0));
}

} // namespace bench
