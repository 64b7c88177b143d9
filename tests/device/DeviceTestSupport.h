// The setting of the device tests: the plug-in's device parts linked in, the simulated
// lumo31a.dll loaded by the test itself (so that it can be configured before the plug-in loads
// it and its log read after the plug-in has let it go), and the stand-in host's ShowWarning.
#pragma once

#include "device/BoardTable.h"
#include "device/DriverLibrary.h"
#include "device/PortAccess.h"
#include "sim/driver/LumoSimControl.h"
#include "tests/common/MessageSequence.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace devicetest {

class DeviceTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The calls logged since the log was last cleared; EXPECT_SEQUENCE(Log(), CALLS(...))
    // holds them against a table (tests/common/MessageSequence.h).
    std::vector<LumoSimCall> Log() const;
    size_t CountCalls(int32_t entry) const;

    HMODULE driver = nullptr; // the test's own reference to the simulated driver
    LumoSim sim{};
};

// Path of the simulated driver build that lacks `entry` (bin/without/<entry>/lumo31a.dll).
std::wstring DriverWithout(const char* entry);

} // namespace devicetest
