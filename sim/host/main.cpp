// pemo_host: the stand-in host as a program. It loads the plug-in and shows, command by
// command, what the plug-in does in a host: its binding, its classes and menu, the boards it
// found, an experiment run.
#include "sim/host/demo/DemoCommands.h"

#include <cstdio>
#include <cstring>

namespace {

struct Command {
    const char* name;
    int (*run)(const DemoArgs& args);
    const char* description;
};

const Command commands[] = {
    {"binding", DemoBinding, "load and set up the plug-in; what it asked for and defined"},
    {"classes", DemoClasses, "the module classes it registered and the host's menu bar"},
    {"boards", DemoBoards, "the boards the plug-in found, as the user sees them"},
    {"run", DemoRun, "an input and an output module in an experiment run"},
};

int PrintUsage() {
    std::printf("usage: pemo_host <command> [--plugin PATH] [options]\n\n");
    std::printf("Loads the Pemo plug-in (default: Pemo_ux1.dll beside this program) into the\n"
                "stand-in host and shows it at work. Commands:\n");
    for (const Command& command : commands)
        std::printf("  %-8s %s\n", command.name, command.description);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return PrintUsage();
    const DemoArgs args(argv + 2, argv + argc);
    for (const Command& command : commands)
        if (std::strcmp(argv[1], command.name) == 0)
            return command.run(args);
    std::printf("unknown command \"%s\"\n\n", argv[1]);
    return PrintUsage();
}
