// pemo_host: the stand-in host as a program. It loads the plug-in and runs a flow chart with
// it, headless, reporting what the ports saw and whether the input modules kept time; other
// commands show the plug-in's binding, its classes and menu, and the boards it found; with
// no command (or "open") it is a desktop program: the window of sim/host/window/.
#include "sim/host/support/Console.h"
#include "sim/host/program/Commands.h"

using standin::ConsolePrintf;

namespace {

struct Command {
    const wchar_t* name;
    int (*run)(const CommandArgs& args);
    const char* description;
};

const Command commands[] = {
    {L"open", OpenCommand, "the window: build, edit and run flow charts (no command: the same)"},
    {L"run", RunCommand, "run a flow chart and report what it did (pemo_host run --help)"},
    {L"binding", BindingCommand, "load and set up the plug-in; what it asked for and defined"},
    {L"classes", ClassesCommand, "the module classes it registered and the host's menu bar"},
    {L"boards", BoardsCommand, "the boards the plug-in found, as the user sees them"},
};

int PrintUsage() {
    ConsolePrintf("usage: pemo_host <command> [--plugin PATH] [options]\n\n"
                  "Loads the Pemo plug-in (default: Pemo_ux1.dll beside this program) into the\n"
                  "stand-in host and shows it at work. Commands:\n");
    for (const Command& command : commands)
        ConsolePrintf("  %-8s %s\n", Utf8(command.name).c_str(), command.description);
    return 2;
}

} // namespace

// The wide entry point: the arguments come as the user typed them, whatever the code page.
int wmain(int argc, wchar_t** argv) {
    if (argc < 2)
        return OpenCommand({});
    const std::wstring name = argv[1];
    if (name == L"--help" || name == L"help")
        return PrintUsage();
    const CommandArgs args(argv + 2, argv + argc);
    for (const Command& command : commands)
        if (name == command.name)
            return command.run(args);
    ConsolePrintf("unknown command \"%s\"\n\n", Utf8(name).c_str());
    return PrintUsage();
}
