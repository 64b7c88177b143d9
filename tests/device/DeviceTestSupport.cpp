#include "tests/device/DeviceTestSupport.h"

#include "host/HostBinding.h"
#include "sim/host/StandInHost.h"
#include "tests/common/TestSupport.h"

#include <cstring>
#include <sstream>

namespace devicetest {

namespace {

std::string Describe(int32_t entry, int32_t slot, int32_t port, int32_t data, int32_t result) {
    std::ostringstream text;
    text << LumoSimEntryName(entry) << "(slot " << slot << ", port " << port << ", data 0x"
         << std::hex << data << std::dec << ") -> " << result;
    return text.str();
}

std::string DescribeAll(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += "  " + line + "\n";
    return text;
}

} // namespace

void DeviceTest::SetUp() {
    SetPluginInstance(GetModuleHandleA(nullptr));
    hostBinding.services.ShowWarning =
        reinterpret_cast<ShowWarningFn>(standin::AnswerService("ShowWarning"));
    standin::ClearRecords();
    std::memset(BoardTable, 0, sizeof BoardTable);
    ASSERT_EQ(GetModuleHandleA(LUMO_DRIVER_FILE_NAME), nullptr) << "a driver was left loaded";
    driver = LoadLibraryA(testsupport::BesideProgram(LUMO_DRIVER_FILE_NAME).c_str());
    ASSERT_NE(driver, nullptr);
    ASSERT_TRUE(LumoSimConnect(sim, driver));
}

void DeviceTest::TearDown() {
    FreeDriverLibrary();
    DeletePortLock();
    if (driver)
        FreeLibrary(driver);
}

std::vector<LumoSimCall> DeviceTest::Log() const {
    std::vector<LumoSimCall> calls(static_cast<size_t>(sim.LogCount()));
    for (size_t index = 0; index < calls.size(); ++index)
        sim.LogEntry(static_cast<int32_t>(index), &calls[index]);
    return calls;
}

void DeviceTest::ExpectCalls(const std::vector<ExpectedCall>& expected) const {
    std::vector<std::string> want, got;
    for (const ExpectedCall& call : expected)
        want.push_back(Describe(call.entry, call.slot, call.port, call.data, call.result));
    for (const LumoSimCall& call : Log())
        got.push_back(Describe(call.entry, call.slot, call.port, call.data, call.result));
    EXPECT_EQ(want, got) << "expected:\n" << DescribeAll(want) << "logged:\n" << DescribeAll(got);
}

size_t DeviceTest::CountCalls(int32_t entry) const {
    size_t count = 0;
    for (const LumoSimCall& call : Log())
        count += call.entry == entry;
    return count;
}

std::string DriverWithout(const char* entry) {
    return testsupport::ProgramDirectory() + "\\without\\" + entry + "\\" + LUMO_DRIVER_FILE_NAME;
}

} // namespace devicetest
