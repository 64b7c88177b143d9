// pemo_host binding: what the plug-in asked of the host and gave it during set-up.
#include "sim/host/StandInHost.h"
#include "sim/host/demo/DemoCommands.h"

#include <cstdio>

namespace {

void PrintNameCounts() {
    int asked[2] = {0, 0}, answered[2] = {0, 0};
    for (const standin::NameQuery& query : standin::NameQueries()) {
        ++asked[query.service];
        answered[query.service] += query.answer != 0;
    }
    std::printf("Names asked of the host:\n");
    std::printf("  variables (message 30000): %3d asked, %3d answered\n", asked[0], answered[0]);
    std::printf("  services  (message 30001): %3d asked, %3d answered\n", asked[1], answered[1]);
    for (const standin::NameQuery& query : standin::NameQueries())
        if (!query.answer)
            std::printf("  not answered: %s %s\n", query.service ? "service" : "variable",
                        query.name.c_str());
}

void PrintDefinitions() {
    std::printf("DefineDllModule calls: %d\n", standin::DefineDllModuleCalls());
    std::printf("Variables defined to the host (DefineDllVariable, %d calls):\n",
                standin::DefineDllVariableCalls());
    for (const standin::DefinedVariable& variable : standin::DefinedVariables())
        std::printf("  %-30s %u bytes at %p\n", variable.name.c_str(), variable.size,
                    variable.address);
}

void PrintClasses() {
    std::printf("Module classes registered:\n");
    if (standin::Classes().empty())
        std::printf("  (none)\n");
    for (const standin::RegisteredClass& registered : standin::Classes())
        std::printf("  \"%s\"  id %u, parameter block %u bytes, extra block %u bytes\n",
                    Utf8(registered.className).c_str(), registered.record.classId,
                    registered.record.paramsSize, registered.record.extraSize);
}

void PrintMenuEntries() {
    std::printf("Menu commands the plug-in handles (RegisterMenuEntry):");
    if (standin::MenuEntries().empty())
        std::printf(" none");
    for (uint32_t command : standin::MenuEntries())
        std::printf(" %u", command);
    std::printf("\n");
}

} // namespace

int DemoBinding(const DemoArgs& args) {
    if (!StartHostWithPlugin(args))
        return 1;
    std::printf("Plug-in: %s, loaded at %p\n", PluginPath(args).c_str(),
                static_cast<void*>(standin::PluginModule()));
    const int setup = standin::CallSetup();
    std::printf("SetupPemoDLL returned %d (%s)\n\n", setup,
                setup ? "bound to the host" : "set-up failed");
    PrintNameCounts();
    std::printf("\n");
    PrintDefinitions();
    std::printf("\n");
    PrintClasses();
    PrintMenuEntries();
    std::printf("\n");
    if (setup)
        std::printf("FinishPemoDLL returned %d\n", standin::CallFinish());
    std::printf("WEP returned %d\n", standin::CallWep());
    for (const std::string& name : standin::UnprovidedCalls())
        std::printf("Unprovided service called: %s\n", name.c_str());
    standin::HostStop();
    return setup ? 0 : 1;
}
