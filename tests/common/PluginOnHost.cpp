#include "tests/common/PluginOnHost.h"

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

} // namespace testsupport
