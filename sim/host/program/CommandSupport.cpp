// Options and start-up shared by the pemo_host commands.
#include "sim/host/Console.h"
#include "sim/host/FlowChartFile.h"
#include "sim/host/StandInHost.h"
#include "sim/host/program/Commands.h"

using standin::ConsolePrintf;

std::string OptionValue(const CommandArgs& args, const char* option, const std::string& fallback) {
    for (size_t i = 0; i + 1 < args.size(); ++i)
        if (args[i] == option)
            return args[i + 1];
    return fallback;
}

bool HasFlag(const CommandArgs& args, const char* flag) {
    for (const std::string& arg : args)
        if (arg == flag)
            return true;
    return false;
}

std::string PluginPath(const CommandArgs& args) {
    return OptionValue(args, "--plugin", standin::ProgramFolder() + "\\Pemo_ux1.dll");
}

bool UseDriverConfig(const std::string& file) {
    char path[MAX_PATH];
    const DWORD length = GetFullPathNameA(file.c_str(), MAX_PATH, path, nullptr);
    if (length == 0 || length >= MAX_PATH || GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) {
        ConsolePrintf("Cannot find the simulated driver's configuration %s.\n", Utf8(file).c_str());
        return false;
    }
    SetEnvironmentVariableA("LUMO31A_SIM_CONFIG", path);
    return true;
}

bool ChooseDriverConfig(const std::string& flowChart, const std::string& config) {
    if (!config.empty())
        return UseDriverConfig(config);
    char set[MAX_PATH];
    if (GetEnvironmentVariableA("LUMO31A_SIM_CONFIG", set, sizeof set))
        return true;
    const std::string beside = standin::DriverConfigBeside(flowChart);
    if (!flowChart.empty() && GetFileAttributesA(beside.c_str()) != INVALID_FILE_ATTRIBUTES)
        return UseDriverConfig(beside);
    return true;
}

bool StartHostWithPlugin(const CommandArgs& args) {
    standin::HostOptions options;
    options.echo = true;
    options.interactive = HasFlag(args, "--interactive");
    if (!standin::HostStart(options)) {
        ConsolePrintf("The stand-in host could not start (main window, bitmaps or memory).\n");
        return false;
    }
    const std::string path = PluginPath(args);
    if (!standin::LoadPlugin(path.c_str())) {
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
