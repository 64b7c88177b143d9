#include "tests/device/DeviceTestSupport.h"

#include "host/HostBinding.h"
#include "sim/host/core/HostControl.h"
#include "tests/common/TestSupport.h"

#include <cstring>

namespace devicetest {

void DeviceTest::SetUp() {
    SetPluginInstance(GetModuleHandleA(nullptr));
    hostBinding.services.ShowWarning =
        reinterpret_cast<ShowWarningFn>(standin::AnswerService("ShowWarning"));
    standin::ClearRecords();
    std::memset(BoardTable, 0, sizeof BoardTable);
    ASSERT_EQ(GetModuleHandleA(LUMO_DRIVER_FILE_NAME), nullptr) << "a driver was left loaded";
    driver = LoadLibraryW(testsupport::BesideProgram(L"" LUMO_DRIVER_FILE_NAME).c_str());
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
    return LumoSimLog(sim);
}

size_t DeviceTest::CountCalls(int32_t entry) const {
    size_t count = 0;
    for (const LumoSimCall& call : Log())
        count += call.entry == entry;
    return count;
}

std::wstring DriverWithout(const char* entry) {
    return testsupport::ProgramDirectory() + L"\\without\\" + standin::Utf8ToWide(entry) +
           L"\\" LUMO_DRIVER_FILE_NAME;
}

} // namespace devicetest
