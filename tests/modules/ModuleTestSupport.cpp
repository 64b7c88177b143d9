#include "tests/modules/ModuleTestSupport.h"

#include "modules/Lumo31a_IN/TickSource.h"
#include "res/ResourceIds.h"
#include "tests/common/MessageSequence.h"
#include "tests/common/ModalDriver.h"
#include "tests/common/TestSupport.h"

namespace moduletest {

const char* const OUTPUT_CLASS = "Lumo-P31 OUT";
const char* const INPUT_CLASS = "Lumo-P31 IN";

uint32_t fakeTicks;

namespace {

DWORD WINAPI FakeTickCount() {
    return fakeTicks;
}

// The simulated driver stays loaded for the whole program, so that it can be configured
// before each set-up; the plug-in's own load and unload only count references.
HMODULE LoadSimulatedDriver() {
    static HMODULE driver = LoadLibraryA(testsupport::BesideProgram(LUMO_DRIVER_FILE_NAME).c_str());
    return driver;
}

LumoSim sim;

std::vector<int> LoggedData(int entry, int slot, int port) {
    std::vector<int> data;
    for (const LumoSimCall& call : msgseq::DriverLog(sim))
        if (call.entry == entry && call.slot == slot && call.port == port)
            data.push_back(call.data);
    return data;
}

} // namespace

LumoSim& Sim() {
    return sim;
}

void ModuleTest::SetUp() {
    ASSERT_NE(LoadSimulatedDriver(), nullptr);
    ASSERT_TRUE(LumoSimConnect(sim));
    ASSERT_EQ(sim.Configure(DriverSetup().c_str()), 1);
    PluginOnHost::SetUp();
    if (HasFatalFailure())
        return;
    ASSERT_NE(standin::FindClass(OUTPUT_CLASS), nullptr);
    ASSERT_NE(standin::FindClass(INPUT_CLASS), nullptr);
    fakeTicks = 1000;
    ReadTickCount = FakeTickCount;
    sim.ClearLog();
    standin::ClearRecords();
}

void ModuleTest::TearDown() {
    if (started)
        standin::StopExperimentRun({started});
    ReadTickCount = GetTickCount;
    for (const std::string& complaint : standin::Complaints())
        ADD_FAILURE() << "host complaint: " << complaint;
    PluginOnHost::TearDown();
}

ModuleRecord* ModuleTest::StartRun(ModuleRecord* module) {
    EXPECT_TRUE(standin::StartExperiment({module}));
    started = module;
    sim.ClearLog();
    standin::ClearRecords();
    return module;
}

void ModuleTest::UseRealClock() {
    ReadTickCount = GetTickCount;
}

ModuleRecord* RestoredModule(const char* className, uint16_t slot, uint16_t port, uint32_t inputs,
                             uint32_t outputs) {
    ModuleRecord* module = standin::NewModule(*standin::FindClass(className), inputs, outputs);
    standin::StorePort(module, slot, port);
    EXPECT_EQ(standin::SendModuleMessage(module, MODMSG_RESTORE), 1);
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
