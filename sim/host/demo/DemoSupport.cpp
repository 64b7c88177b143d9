// Options and start-up shared by the pemo_host commands.
#include "sim/host/StandInHost.h"
#include "sim/host/demo/DemoCommands.h"

#include <cstdio>

std::string OptionValue(const DemoArgs& args, const char* option, const std::string& fallback) {
    for (size_t i = 0; i + 1 < args.size(); ++i)
        if (args[i] == option)
            return args[i + 1];
    return fallback;
}

bool HasFlag(const DemoArgs& args, const char* flag) {
    for (const std::string& arg : args)
        if (arg == flag)
            return true;
    return false;
}

std::string PluginPath(const DemoArgs& args) {
    return OptionValue(args, "--plugin", standin::ProgramFolder() + "\\Pemo_ux1.dll");
}

bool StartHostWithPlugin(const DemoArgs& args) {
    standin::HostOptions options;
    options.echo = true;
    options.interactive = HasFlag(args, "--interactive");
    if (!standin::HostStart(options)) {
        std::puts("The stand-in host could not start (main window, bitmaps or memory).");
        return false;
    }
    const std::string path = PluginPath(args);
    if (!standin::LoadPlugin(path.c_str())) {
        std::printf("Cannot load the plug-in %s: missing, not a 64-bit DLL, or without "
                    "SetupPemoDLL, FinishPemoDLL and WEP.\n",
                    path.c_str());
        standin::HostStop();
        return false;
    }
    return true;
}

std::string Utf8(const std::string& cp932) {
    return standin::Cp932ToUtf8(cp932);
}
