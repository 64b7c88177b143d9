// pemo_host open [FLOWCHART] [--start] (or pemo_host alone): the stand-in host's window, with
// the flow chart open when one is named, and its experiment started with --start.
#include "sim/host/support/Console.h"
#include "sim/host/program/Commands.h"
#include "sim/host/window/HostApp.h"

int OpenCommand(const CommandArgs& args) {
    std::wstring flowChart;
    bool start = false;
    for (size_t i = 0; i < args.size(); ++i) {
        if ((args[i] == L"--config" || args[i] == L"--plugin") && i + 1 < args.size())
            ++i;
        else if (args[i] == L"--start" && !start)
            start = true;
        else if (args[i].rfind(L"--", 0) == 0 || !flowChart.empty()) {
            standin::ConsolePrintf("usage: pemo_host open [FLOWCHART] [--start] [--config FILE] "
                                   "[--plugin PATH]\n");
            return 2;
        } else
            flowChart = args[i];
    }
    if (!ChooseDriverConfig(flowChart, OptionValue(args, L"--config", L"")))
        return 1;
    return standin::RunHostWindow(PluginPath(args), flowChart, start && !flowChart.empty());
}
