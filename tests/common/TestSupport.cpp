#include "tests/common/TestSupport.h"

#include "host/HostBinding.h"
#include "host/PluginEntry.h"
#include "sim/host/StandInHost.h"

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

std::string ProgramDirectory() {
    return standin::ProgramFolder();
}

std::string BesideProgram(const char* fileName) {
    return ProgramDirectory() + "\\" + fileName;
}

} // namespace testsupport
