// pemo_host run FLOWCHART: opens the flow chart in the stand-in host with the plug-in, runs it
// headless for a while with a progress line every second, and prints the run's report (and
// writes it, a trace and a plot when asked). Exit code 1 when the flow chart cannot be opened
// or run, or when a check of the report fails.
#include "sim/driver/LumoSimControl.h"
#include "sim/host/support/Console.h"
#include "sim/host/flowchart/FlowChartFile.h"
#include "sim/host/report/RunPlot.h"
#include "sim/host/report/Waveform.h"
#include "sim/host/support/SafeSave.h"
#include "sim/host/program/Commands.h"

#include <cmath>
#include <cwchar>

using standin::ConsolePrintf;

namespace {

const char usage[] =
    "usage: pemo_host run FLOWCHART [--seconds N] [--ms MS] [--block B] [--trace FILE]\n"
    "                     [--report FILE] [--plot FILE] [--save FILE] [--config FILE]\n"
    "                     [--vcd FILE [--vcd-bits]] [--plugin PATH]\n\n"
    "Runs the flow chart (a .json file, docs/flowchart-format.md) for N seconds (default 5)\n"
    "with MS milliseconds per sample and B samples per block (default: the flow chart's time\n"
    "base), printing progress every second and a report at the end.\n"
    "  --trace FILE   every port access and released block with its tick, as CSV\n"
    "  --vcd FILE     every port's bytes and accesses as a value change dump (VCD), one 8-bit\n"
    "                 wire per port; with --vcd-bits eight 1-bit wires per port\n"
    "  --report FILE  the report as JSON\n"
    "  --plot FILE    each channel's samples and each port's bytes over time, as PNG\n"
    "  --save FILE    the flow chart after the run, as the plug-in left its blocks\n"
    "  --config FILE  the simulated driver's configuration; by default the file beside the\n"
    "                 flow chart named from it (NAME.lumo31a-sim.txt), if there is one\n";

struct RunOptions {
    std::wstring flowChart;
    double seconds = 5;
    double ms = 0;      // 0: the flow chart's
    uint32_t block = 0; // 0: the flow chart's
    std::wstring trace, report, plot, save, config, vcd;
    bool vcdBits = false;
};

bool ReadNumber(const CommandArgs& args, const wchar_t* option, double low, double high,
                double* value) {
    const std::wstring text = OptionValue(args, option, L"");
    if (text.empty())
        return true;
    wchar_t* end = nullptr;
    const double number = std::wcstod(text.c_str(), &end);
    if (end == text.c_str() || *end || !(number >= low && number <= high)) {
        ConsolePrintf("%s %s: expected a number from %g to %g\n", Utf8(option).c_str(),
                      Utf8(text).c_str(), low, high);
        return false;
    }
    *value = number;
    return true;
}

bool ReadOptions(const CommandArgs& args, RunOptions* options) {
    static const wchar_t* const valued[] = {L"--seconds", L"--ms",   L"--block", L"--trace",
                                            L"--report",  L"--plot", L"--save",  L"--config",
                                            L"--plugin",  L"--vcd"};
    for (size_t i = 0; i < args.size(); ++i) {
        bool known = false;
        for (const wchar_t* option : valued)
            known = known || args[i] == option;
        if (known && i + 1 < args.size()) {
            ++i;
        } else if (args[i] == L"--interactive") {
        } else if (args[i] == L"--vcd-bits") {
            options->vcdBits = true;
        } else if (args[i].rfind(L"--", 0) == 0 || !options->flowChart.empty()) {
            ConsolePrintf("pemo_host run: unexpected \"%s\"\n\n%s", Utf8(args[i]).c_str(), usage);
            return false;
        } else {
            options->flowChart = args[i];
        }
    }
    if (options->flowChart.empty()) {
        ConsolePrintf("%s", usage);
        return false;
    }
    double block = 0;
    if (!ReadNumber(args, L"--seconds", 0.001, 86400, &options->seconds) ||
        !ReadNumber(args, L"--ms", 0.001, 1e6, &options->ms) ||
        !ReadNumber(args, L"--block", 1, 65535, &block))
        return false;
    if (block != std::floor(block)) {
        ConsolePrintf("--block: expected a whole number of samples\n");
        return false;
    }
    options->block = uint32_t(block);
    options->trace = OptionValue(args, L"--trace", L"");
    options->report = OptionValue(args, L"--report", L"");
    options->plot = OptionValue(args, L"--plot", L"");
    options->save = OptionValue(args, L"--save", L"");
    options->config = OptionValue(args, L"--config", L"");
    options->vcd = OptionValue(args, L"--vcd", L"");
    if (options->vcdBits && options->vcd.empty()) {
        ConsolePrintf("--vcd-bits: asks for the bits of the --vcd FILE, and there is none\n");
        return false;
    }
    return true;
}

void PrintModules(const standin::Worksheet& sheet, const std::vector<int32_t>& restores) {
    ConsolePrintf("Modules, restored from their stored blocks (message 105):\n");
    for (size_t i = 0; i < sheet.modules.size(); ++i) {
        const standin::WorksheetModule& module = sheet.modules[i];
        ConsolePrintf("  %zu \"%s\" (%s), %u in / %u out: restore returned %d%s\n", i,
                      Utf8(module.name).c_str(), module.className.c_str(), module.inputs,
                      module.outputs, restores[i],
                      restores[i] == 1 ? "" : " (the plug-in refused it; see its warning)");
    }
    ConsolePrintf("Connections: %zu\n", sheet.connections.size());
}

// One output: in place when complete, else the file there before stays and one line says why.
bool Written(bool ok, const std::wstring& path, const std::string& error, const char* what) {
    if (ok)
        ConsolePrintf("%s written to %s\n", what, Utf8(path).c_str());
    else
        ConsolePrintf("%s\n", error.c_str());
    return ok;
}

bool WriteText(const std::wstring& path, const std::string& text, const char* what) {
    std::string error;
    return Written(standin::SaveFileSafely(path, text, &error), path, error, what);
}

// The outputs asked for after the run; false when one could not be written.
bool WriteOutputs(const RunOptions& options, const standin::RunRecorder& recorder,
                  const standin::RunReport& report) {
    bool ok = true;
    std::string error;
    if (!options.report.empty())
        ok = WriteText(options.report, standin::ReportJson(report), "Report") && ok;
    if (!options.trace.empty())
        ok = WriteText(options.trace, standin::TraceCsv(recorder), "Trace") && ok;
    if (!options.vcd.empty())
        ok = Written(standin::SaveTraceVcd(recorder, options.vcdBits, options.vcd, &error),
                     options.vcd, error, "Waveform") &&
             ok;
    if (!options.plot.empty())
        ok = Written(standin::WritePlot(options.plot, standin::RunChart(recorder, report), &error),
                     options.plot, error, "Plot") &&
             ok;
    if (!options.save.empty())
        ok = Written(standin::WriteFlowChart(options.save, standin::CurrentWorksheet(), &error),
                     options.save, error, "Flow chart") &&
             ok;
    return ok;
}

// Opens the flow chart, runs it and reports; the host is started and the plug-in set up.
int RunFlowChart(const RunOptions& options, const standin::Worksheet& sheet) {
    standin::WorksheetError error;
    std::vector<int32_t> restores;
    if (!standin::OpenFlowChart(sheet, &error, &restores)) {
        error.file = Utf8(options.flowChart);
        ConsolePrintf("%s\n", error.Text().c_str());
        return 1;
    }
    PrintModules(sheet, restores);
    standin::RunSettings settings;
    settings.msPerSample = options.ms > 0 ? options.ms : sheet.timeBase.msPerSample;
    settings.blockSize = options.block ? options.block : sheet.timeBase.blockSize;
    settings.durationMs = uint32_t(std::lround(options.seconds * 1000));
    standin::KeepReleasedBlocks(false); // the recorder keeps what the report needs
    standin::RunRecorder recorder(!options.trace.empty() || !options.plot.empty() ||
                                  !options.vcd.empty());
    std::string refusal;
    ConsolePrintf("\nExperiment: %.1f s, %g ms per sample, blocks of %u samples\n", options.seconds,
                  settings.msPerSample, settings.blockSize);
    if (!standin::StartRun(settings, recorder.Hooks(), &refusal)) {
        ConsolePrintf("The run did not start: %s.\n", refusal.c_str());
        return 1;
    }
    const standin::RunEnd end = standin::ServeRun(
        [&recorder](const standin::RunStatus& status) {
            ConsolePrintf("%s\n", standin::ProgressLine(status, recorder.PortAccesses()).c_str());
        },
        1000);
    const standin::RunReport report = recorder.Report(settings, end, standin::CurrentRun());
    ConsolePrintf("\n%s\n", standin::ReportText(report).c_str());
    const bool written = WriteOutputs(options, recorder, report);
    return report.Passed() && written ? 0 : 1;
}

} // namespace

int RunCommand(const CommandArgs& args) {
    if (HasFlag(args, L"--help")) {
        ConsolePrintf("%s", usage);
        return 0;
    }
    RunOptions options;
    if (!ReadOptions(args, &options))
        return 2;
    // The file's own faults show before the plug-in is even loaded.
    standin::Worksheet sheet;
    standin::WorksheetError error;
    if (!standin::ReadFlowChart(options.flowChart, &sheet, &error)) {
        ConsolePrintf("%s\n", error.Text().c_str());
        return 1;
    }
    if (!ChooseDriverConfig(options.flowChart, options.config) || !StartHostWithPlugin(args))
        return 1;
    const std::wstring origin = DriverConfigInUse();
    ConsolePrintf("Flow chart: %s\nSimulated driver configuration: %s\n",
                  Utf8(options.flowChart).c_str(),
                  origin.empty() ? "its default" : Utf8(origin).c_str());
    int result = 1;
    if (standin::CallSetup()) {
        // Boards another process already runs keep their configuration: say so.
        LumoSim sim{};
        if (!origin.empty() && LumoSimConnect(sim) && LumoSimText(sim.ConfigOrigin) != origin)
            ConsolePrintf("  not read: the simulated boards were already running, made from %s\n",
                          Utf8(LumoSimText(sim.ConfigOrigin)).c_str());
        result = RunFlowChart(options, sheet);
        standin::CallFinish();
    } else {
        ConsolePrintf("SetupPemoDLL returned 0: lumo31a.dll is missing or lacks an entry.\n");
    }
    standin::HostStop();
    return result;
}
