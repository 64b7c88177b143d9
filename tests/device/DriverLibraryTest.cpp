// Loading the driver library, its eight entries, and the call-throughs with and without it.
#include "tests/device/DeviceTestSupport.h"

#include "host/HostBinding.h"
#include "host/PluginEntry.h"
#include "sim/host/core/HostControl.h"

#include <cstring>

namespace devicetest {
namespace {

using DriverLibraryTest = DeviceTest;

TEST_F(DriverLibraryTest, SecondLoadFailsAndLeavesTheFirstUsable) {
    ASSERT_EQ(LoadDriverLibrary(), 1);
    EXPECT_EQ(LoadDriverLibrary(), 0);
    ASSERT_TRUE(IsDriverLibraryLoaded());
    uint32_t slot = 1;
    EXPECT_EQ(DriverCreate(&slot), 1);
    EXPECT_EQ(sim.IsOpen(1), 1);
    EXPECT_EQ(FreeDriverLibrary(), 1);
    EXPECT_FALSE(IsDriverLibraryLoaded());
    EXPECT_EQ(FreeDriverLibrary(), 0);
    EXPECT_EQ(CountCalls(LUMO_SIM_GET_VERSION), 0u) << "resolved, never called";
}

TEST_F(DriverLibraryTest, WithoutLibraryEveryCallAnswersNoAndCallsNothing) {
    ASSERT_FALSE(IsDriverLibraryLoaded());
    uint32_t slot = 0, value = 7;
    uint8_t byte = 0x33;
    DriverResourceRecord record;
    EXPECT_EQ(DriverCreate(&slot), 0);
    EXPECT_EQ(DriverClose(0), 0);
    EXPECT_EQ(DriverGetResource(0, &record), 0);
    EXPECT_EQ(DriverInPort(0, 0, &byte), 0);
    EXPECT_EQ(DriverOutPort(0, 0, 1), 0);
    EXPECT_EQ(DriverGetLastError(0), -1);
    EXPECT_EQ(DriverGetSwitchValue(0, &value), 0);
    EXPECT_EQ(AccessPort(0, 0, PORT_READ, &byte), 0);
    EXPECT_EQ(AccessPort(0, 0, PORT_WRITE, &byte), 0);
    EXPECT_EQ(value, 7u);
    EXPECT_EQ(byte, 0x33);
    EXPECT_EQ(sim.LogCount(), 0);
}

TEST_F(DriverLibraryTest, CallThroughsPassTheLowSlotAndDataBitsOnly) {
    ASSERT_EQ(OpenBoards(), 1);
    sim.ClearLog();
    uint8_t byte = 0;
    EXPECT_EQ(DriverOutPort(0x10001, 2, 0x3A5), 1);
    EXPECT_EQ(DriverInPort(0x70000, 2, &byte), 1);
    EXPECT_EQ(DriverGetLastError(0x10000), LUMO_SIM_ERR_NONE);
    EXPECT_EQ(DriverClose(0x20001), 1);
    EXPECT_SEQUENCE(Log(),
                    CALLS({LUMO_SIM_OUT_PORT, 1, 2, 0xA5, 1}, {LUMO_SIM_IN_PORT, 0, 2, 0x00, 1},
                          {LUMO_SIM_GET_LAST_ERROR, 0, -1, 0, LUMO_SIM_ERR_NONE},
                          {LUMO_SIM_CLOSE, 1, -1, 0, 1}));
}

// A library lacking any one entry is refused and given back: nothing of it is called, no lock
// is made and the table stays as it was.
class MissingEntryTest : public DeviceTest, public ::testing::WithParamInterface<const char*> {
protected:
    // The variant must be the only lumo31a.dll in the process: the plug-in's load by bare
    // name then takes it.
    void SetUp() override {
        DeviceTest::SetUp();
        FreeLibrary(driver);
        driver = nullptr;
        ASSERT_EQ(GetModuleHandleA(LUMO_DRIVER_FILE_NAME), nullptr);
        variant = LoadLibraryW(DriverWithout(GetParam()).c_str());
        ASSERT_NE(variant, nullptr);
        ASSERT_TRUE(LumoSimConnect(sim, variant));
    }
    void TearDown() override {
        DeviceTest::TearDown();
        if (variant)
            FreeLibrary(variant);
        EXPECT_EQ(GetModuleHandleA(LUMO_DRIVER_FILE_NAME), nullptr) << "the plug-in kept it";
    }
    HMODULE variant = nullptr;
};

TEST_P(MissingEntryTest, LibraryIsRefusedAndUnloaded) {
    EXPECT_EQ(GetProcAddress(variant, GetParam()), nullptr);
    EXPECT_EQ(LoadDriverLibrary(), 0);
    EXPECT_FALSE(IsDriverLibraryLoaded());
    BoardTable[3].present = 1;
    BoardTable[3].ioPortAddress = 0xBEEF;
    const BoardEntry before = BoardTable[3];
    EXPECT_EQ(OpenBoards(), 0);
    EXPECT_FALSE(IsPortLockCreated());
    EXPECT_EQ(std::memcmp(&before, &BoardTable[3], sizeof before), 0);
    EXPECT_EQ(CloseBoards(), 1);
    EXPECT_FALSE(IsPortLockCreated());
    EXPECT_EQ(sim.LogCount(), 0);
    FreeLibrary(variant);
    variant = nullptr;
}

// The host may finish a plug-in whose set-up failed at the device step.
TEST_P(MissingEntryTest, FinishAfterFailedSetupIsSafe) {
    ASSERT_TRUE(standin::HostStart());
    standin::AttachPluginEntries(SetupPemoDLL, FinishPemoDLL, WEP);
    EXPECT_EQ(standin::CallSetup(), 0);
    EXPECT_TRUE(standin::Classes().empty());
    EXPECT_EQ(standin::CallFinish(), 1);
    EXPECT_FALSE(IsPortLockCreated());
    standin::HostStop();
}

// Every entry of the driver's list: a build that sim/CMakeLists.txt did not make is not found.
std::vector<const char*> EveryEntry() {
    std::vector<const char*> names;
    for (int32_t entry = 0; entry < LUMO_SIM_ENTRY_COUNT; ++entry)
        names.push_back(LumoSimEntryName(entry));
    return names;
}

INSTANTIATE_TEST_SUITE_P(EachEntry, MissingEntryTest, ::testing::ValuesIn(EveryEntry()));

} // namespace
} // namespace devicetest
