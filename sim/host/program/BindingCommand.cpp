// pemo_host binding: what the plug-in asked of the host and gave it during set-up.
#include "sim/host/support/Console.h"
#include "sim/host/core/HostControl.h"
#include "sim/host/program/Commands.h"

using standin::ConsolePrintf;

namespace {

void PrintNameCounts() {
    int asked[2] = {0, 0}, answered[2] = {0, 0};
    for (const standin::NameQuery& query : standin::NameQueries()) {
        ++asked[query.service];
        answered[query.service] += query.answer != 0;
    }
    ConsolePrintf("Names asked of the host:\n");
    ConsolePrintf("  variables (message 30000): %3d asked, %3d answered\n", asked[0], answered[0]);
    ConsolePrintf("  services  (message 30001): %3d asked, %3d answered\n", asked[1], answered[1]);
    for (const standin::NameQuery& query : standin::NameQueries())
        if (!query.answer)
            ConsolePrintf("  not answered: %s %s\n", query.service ? "service" : "variable",
                          query.name.c_str());
}

void PrintDefinitions() {
    ConsolePrintf("DefineDllModule calls: %d\n", standin::DefineDllModuleCalls());
    ConsolePrintf("Variables defined to the host (DefineDllVariable, %d calls):\n",
                  standin::DefineDllVariableCalls());
    for (const standin::DefinedVariable& variable : standin::DefinedVariables())
        ConsolePrintf("  %-30s %u bytes at %p\n", variable.name.c_str(), variable.size,
                      variable.address);
}

void PrintClasses() {
    ConsolePrintf("Module classes registered:\n");
    if (standin::Classes().empty())
        ConsolePrintf("  (none)\n");
    for (const standin::RegisteredClass& registered : standin::Classes())
        ConsolePrintf("  \"%s\"  id %u, parameter block %u bytes, extra block %u bytes\n",
                      Utf8(registered.className).c_str(), registered.record.classId,
                      registered.record.paramsSize, registered.record.extraSize);
}

void PrintMenuEntries() {
    ConsolePrintf("Menu commands the plug-in handles (RegisterMenuEntry):");
    if (standin::MenuEntries().empty())
        ConsolePrintf(" none");
    for (uint32_t command : standin::MenuEntries())
        ConsolePrintf(" %u", command);
    ConsolePrintf("\n");
}

} // namespace

int BindingCommand(const CommandArgs& args) {
    if (!StartHostWithPlugin(args))
        return 1;
    ConsolePrintf("Plug-in: %s, loaded at %p\n", Utf8(PluginPath(args)).c_str(),
                  static_cast<void*>(standin::PluginModule()));
    const int setup = standin::CallSetup();
    ConsolePrintf("SetupPemoDLL returned %d (%s)\n\n", setup,
                  setup ? "bound to the host" : "set-up failed");
    PrintNameCounts();
    ConsolePrintf("\n");
    PrintDefinitions();
    ConsolePrintf("\n");
    PrintClasses();
    PrintMenuEntries();
    ConsolePrintf("\n");
    if (setup)
        ConsolePrintf("FinishPemoDLL returned %d\n", standin::CallFinish());
    ConsolePrintf("WEP returned %d\n", standin::CallWep());
    for (const std::string& name : standin::UnprovidedCalls())
        ConsolePrintf("Unprovided service called: %s\n", name.c_str());
    standin::HostStop();
    return setup ? 0 : 1;
}
