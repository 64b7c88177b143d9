// Claims of input and output ports: creation, restore, deletion, and slots or ports that come
// from a damaged flow chart.
#include "tests/device/DeviceTestSupport.h"

#include "sim/host/core/HostControl.h"

#include <cstring>

namespace devicetest {
namespace {

class PortClaimsTest : public DeviceTest {
protected:
    void SetUp() override {
        DeviceTest::SetUp();
        ASSERT_EQ(sim.Configure("board 0\nboard 1\nboard 2 getswitch=fail\n"), 1);
        ASSERT_EQ(OpenBoards(), 1);
        sim.ClearLog();
    }
    static void ExpectDeviceMissingWarnings(size_t count) {
        const std::vector<standin::Warning>& warnings = standin::Warnings();
        ASSERT_EQ(warnings.size(), count);
        for (const standin::Warning& warning : warnings) {
            EXPECT_EQ(warning.title, "エラー");
            EXPECT_EQ(warning.text, "デバイスが存在しません");
        }
    }
};

TEST_F(PortClaimsTest, InputAndOutputClaimsAreIndependent) {
    ClaimPort(PortKind::Input, 1, 2);
    EXPECT_FALSE(IsPortFree(PortKind::Input, 1, 2));
    EXPECT_TRUE(IsPortFree(PortKind::Output, 1, 2));
    EXPECT_TRUE(IsPortFree(PortKind::Input, 1, 1));
    ClaimPort(PortKind::Output, 1, 2);
    ReleasePort(PortKind::Output, 1, 2);
    EXPECT_FALSE(IsPortFree(PortKind::Input, 1, 2));
    EXPECT_TRUE(IsPortFree(PortKind::Output, 1, 2));
    ReleasePort(PortKind::Output, 1, 2);
    EXPECT_EQ(BoardTable[1].outputClaimed[2], 0);
    ReleasePort(PortKind::Input, 1, 2);
    EXPECT_TRUE(IsPortFree(PortKind::Input, 1, 2));
    EXPECT_EQ(sim.LogCount(), 0) << "claims do not ask the driver";
}

TEST_F(PortClaimsTest, TwoRestoresOfOnePortAndOneDelete) {
    EXPECT_EQ(ReclaimPort(PortKind::Output, 0, 3), 1);
    EXPECT_EQ(ReclaimPort(PortKind::Output, 0, 3), 1);
    EXPECT_EQ(BoardTable[0].outputClaimed[3], 1);
    ReleasePort(PortKind::Output, 0, 3);
    EXPECT_TRUE(IsPortFree(PortKind::Output, 0, 3));
    EXPECT_EQ(CountCalls(LUMO_SIM_GET_RESOURCE), 2u);
    ExpectDeviceMissingWarnings(0);
}

TEST_F(PortClaimsTest, RestoreAsksTheDriverNotTheTable) {
    ASSERT_EQ(BoardTable[2].present, 0);
    EXPECT_EQ(ReclaimPort(PortKind::Input, 2, 0), 1);
    EXPECT_EQ(BoardTable[2].inputClaimed[0], 1);

    ASSERT_EQ(sim.RemoveBoard(1), 1);
    EXPECT_EQ(ReclaimPort(PortKind::Input, 1, 1), 0);
    EXPECT_EQ(BoardTable[1].inputClaimed[1], 0);
    EXPECT_EQ(BoardTable[1].present, 1) << "the table is not updated";
    ExpectDeviceMissingWarnings(1);
    ASSERT_EQ(sim.InsertBoard(1), 1);
    EXPECT_EQ(ReclaimPort(PortKind::Input, 1, 1), 1);

    EXPECT_EQ(ReclaimPort(PortKind::Output, 7, 0), 0) << "no board in slot 7";
    ExpectDeviceMissingWarnings(2);
}

TEST_F(PortClaimsTest, SlotOrPortOutOfRangeNeverTouchesTheTable) {
    ClaimPort(PortKind::Input, 0, 0);
    BoardEntry before[BOARD_SLOTS];
    std::memcpy(before, BoardTable, sizeof before);
    const uint16_t bad[][2] = {{16, 0}, {0, 4}, {0xFFFF, 0xFFFF}, {15, 0x8000}};
    for (const auto& slotPort : bad) {
        for (PortKind kind : {PortKind::Input, PortKind::Output}) {
            ClaimPort(kind, slotPort[0], slotPort[1]);
            ReleasePort(kind, slotPort[0], slotPort[1]);
            EXPECT_FALSE(IsPortFree(kind, slotPort[0], slotPort[1]));
            EXPECT_EQ(ReclaimPort(kind, slotPort[0], slotPort[1]), 0);
        }
    }
    EXPECT_EQ(std::memcmp(before, BoardTable, sizeof before), 0);
    ExpectDeviceMissingWarnings(8);
    EXPECT_EQ(sim.LogCount(), 0) << "refused before the driver is asked";
}

} // namespace
} // namespace devicetest
