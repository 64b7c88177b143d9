#include "tests/standin/StandInTestSupport.h"

namespace standintest {

std::wstring LoopbackPath() {
    return testsupport::InSourceTree(L"examples\\loopback.json");
}

std::string Loopback::DriverSetup() const {
    return FileBytes(standin::DriverConfigBeside(LoopbackPath()));
}

void Loopback::SetUp() {
    PluginOnBoards::SetUp();
    if (HasFatalFailure())
        return;
    standin::WorksheetError error;
    std::vector<int32_t> restores;
    ASSERT_TRUE(standin::OpenFlowChart(LoopbackPath(), &error, &restores)) << error.Text();
    EXPECT_EQ(restores, (std::vector<int32_t>{1, 1, 1}));
    testsupport::SimulatedDriver().ClearLog();
}

} // namespace standintest
