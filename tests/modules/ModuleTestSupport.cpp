#include "tests/modules/ModuleTestSupport.h"

#include "res/ResourceIds.h"
#include "tests/common/MessageSequence.h"
#include "sim/host/user/ModalDriver.h"
#include "tests/common/TestSupport.h"

namespace moduletest {

namespace {

std::vector<int> LoggedData(int entry, int slot, int port) {
    std::vector<int> data;
    for (const LumoSimCall& call : LumoSimLog(Sim()))
        if (call.entry == entry && call.slot == slot && call.port == port)
            data.push_back(call.data);
    return data;
}

} // namespace

LumoSim& Sim() {
    return testsupport::SimulatedDriver();
}

void ModuleTest::TearDown() {
    if (started)
        standin::StopExperimentRun({started});
    PluginModules::TearDown();
}

ModuleRecord* ModuleTest::StartRun(ModuleRecord* module) {
    EXPECT_TRUE(standin::StartExperiment({module}));
    started = module;
    Sim().ClearLog();
    standin::ClearRecords();
    return module;
}

ModuleRecord* RestoredModule(const char* className, uint16_t slot, uint16_t port, uint32_t inputs,
                             uint32_t outputs) {
    int32_t restored = -1;
    ModuleRecord* module = standin::RestoreModule(
        standin::StoredModule(className, slot, port, inputs, outputs), &restored);
    EXPECT_EQ(restored, 1);
    return module;
}

int32_t CreateThroughDialog(ModuleRecord* module, int portEntry) {
    int32_t result = -100;
    modal::RunModal(
        [&] {
            result = standin::SendModuleMessage(module, MODMSG_CREATE);
            return INT_PTR(0);
        },
        {[portEntry](HWND dialog) {
            if (portEntry < 0) {
                modal::Click(dialog, IDCANCEL);
                return;
            }
            modal::SelectComboItem(dialog, IDC_DEVSEL_PORTS, portEntry);
            modal::Click(dialog, IDOK);
        }});
    return result;
}

std::vector<int> PortWrites(int slot, int port) {
    return LoggedData(LUMO_SIM_OUT_PORT, slot, port);
}

std::vector<int> PortReads(int slot, int port) {
    return LoggedData(LUMO_SIM_IN_PORT, slot, port);
}

std::vector<std::string> WarningTitles() {
    std::vector<std::string> titles;
    for (const standin::Warning& warning : standin::Warnings())
        titles.push_back(warning.title);
    return titles;
}

} // namespace moduletest
