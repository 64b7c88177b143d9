// Options and start-up shared by the pemo_host commands.
#include "sim/host/support/Console.h"
#include "sim/host/support/Files.h"
#include "sim/host/flowchart/FlowChartFile.h"
#include "sim/host/core/StandInHost.h"
#include "sim/host/program/Commands.h"

using standin::ConsolePrintf;

namespace {

const wchar_t configVariable[] = L"LUMO31A_SIM_CONFIG";

} // namespace

std::wstring OptionValue(const CommandArgs& args, const wchar_t* option,
                         const std::wstring& fallback) {
    for (size_t i = 0; i + 1 < args.size(); ++i)
        if (args[i] == option)
            return args[i + 1];
    return fallback;
}

bool HasFlag(const CommandArgs& args, const wchar_t* flag) {
    for (const std::wstring& arg : args)
        if (arg == flag)
            return true;
    return false;
}

std::wstring PluginPath(const CommandArgs& args) {
    return OptionValue(args, L"--plugin", standin::ProgramFolder() + L"\\Pemo_ux1.dll");
}

bool UseDriverConfig(const std::wstring& file) {
    const std::wstring path = standin::FullPath(file);
    if (!standin::FileExists(path)) {
        ConsolePrintf("Cannot find the simulated driver's configuration %s.\n", Utf8(file).c_str());
        return false;
    }
    SetEnvironmentVariableW(configVariable, path.c_str());
    return true;
}

std::wstring DriverConfigInUse() {
    const DWORD size = GetEnvironmentVariableW(configVariable, nullptr, 0);
    if (size == 0)
        return {};
    std::wstring value(size, L'\0');
    value.resize(GetEnvironmentVariableW(configVariable, &value[0], size));
    return value;
}

bool ChooseDriverConfig(const std::wstring& flowChart, const std::wstring& config) {
    if (!config.empty())
        return UseDriverConfig(config);
    if (!DriverConfigInUse().empty())
        return true;
    const std::wstring beside = standin::DriverConfigBeside(flowChart);
    if (!flowChart.empty() && standin::FileExists(beside))
        return UseDriverConfig(beside);
    return true;
}

bool StartHostWithPlugin(const CommandArgs& args) {
    standin::HostOptions options;
    options.echo = true;
    options.interactive = HasFlag(args, L"--interactive");
    if (!standin::HostStart(options)) {
        ConsolePrintf("The stand-in host could not start (main window, bitmaps or memory).\n");
        return false;
    }
    const std::wstring path = PluginPath(args);
    if (!standin::LoadPlugin(path)) {
        ConsolePrintf("Cannot load the plug-in %s: missing, not a DLL of this program's width "
                      "(32 or 64 bits), or without SetupPemoDLL, FinishPemoDLL and WEP.\n",
                      Utf8(path).c_str());
        standin::HostStop();
        return false;
    }
    return true;
}

std::string Utf8(const std::string& cp932) {
    return standin::Cp932ToUtf8(cp932);
}

std::string Utf8(const std::wstring& text) {
    return standin::WideToUtf8(text);
}
