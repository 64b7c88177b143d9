#include "tests/standin/StandInTestSupport.h"

#include <fstream>
#include <sstream>

namespace standintest {

std::string LoopbackPath() {
    return testsupport::InSourceTree("examples\\loopback.json");
}

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

std::string TemporaryPath(const char* name) {
    char folder[MAX_PATH] = "";
    GetTempPathA(sizeof folder, folder);
    return std::string(folder) + name;
}

std::string Loopback::DriverSetup() const {
    return ReadFile(standin::DriverConfigBeside(LoopbackPath()));
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
