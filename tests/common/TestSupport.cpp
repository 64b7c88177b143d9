#include "tests/common/TestSupport.h"

#include "host/HostBinding.h"
#include "host/PluginEntry.h"
#include "sim/host/HostControl.h"

namespace testsupport {

void PluginOnHost::SetUp() {
    SetPluginInstance(GetModuleHandleA(nullptr));
    ASSERT_TRUE(standin::HostStart());
    standin::AttachPluginEntries(SetupPemoDLL, FinishPemoDLL, WEP);
    ASSERT_EQ(standin::CallSetup(), 1);
}

void PluginOnHost::TearDown() {
    standin::CallFinish();
    standin::HostStop();
}

LumoSim& SimulatedDriver() {
    static LumoSim sim;
    static HMODULE driver = LoadLibraryA(BesideProgram(LUMO_DRIVER_FILE_NAME).c_str());
    static const bool connected = driver && LumoSimConnect(sim, driver);
    EXPECT_TRUE(connected) << "the simulated driver beside the test program";
    return sim;
}

void PluginOnBoards::SetUp() {
    ASSERT_EQ(SimulatedDriver().Configure(DriverSetup().c_str()), 1);
    PluginOnHost::SetUp();
}

std::string ProgramDirectory() {
    return standin::ProgramFolder();
}

std::string BesideProgram(const char* fileName) {
    return ProgramDirectory() + "\\" + fileName;
}

std::string InSourceTree(const char* relativePath) {
    return ProgramDirectory() + "\\..\\..\\..\\" + relativePath;
}

} // namespace testsupport
