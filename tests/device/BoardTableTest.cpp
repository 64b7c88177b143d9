// Device set-up and shut-down: the driver calls they make and the board table they leave.
#include "tests/device/DeviceTestSupport.h"

#include <cstring>

namespace devicetest {
namespace {

using BoardTableTest = DeviceTest;

// Calls made for a slot without a board.
msgseq::Call NoBoard(int32_t slot) {
    return {LUMO_SIM_CREATE, slot, -1, slot, 0};
}

TEST_F(BoardTableTest, SetUpAsksEverySlotInOrderAndShutDownClosesThePresentOnes) {
    BoardTable[5].inputClaimed[2] = 1;
    BoardTable[0].outputClaimed[3] = 1;
    ASSERT_EQ(OpenBoards(), 1);
    EXPECT_TRUE(IsPortLockCreated());
    msgseq::Table<msgseq::Call> setUp =
        CALLS({LUMO_SIM_CREATE, 0, -1, 0, 1}, {LUMO_SIM_GET_RESOURCE, 0, -1, 0xD000, 1},
              {LUMO_SIM_GET_SWITCH_VALUE, 0, -1, 0, 1}, {LUMO_SIM_CREATE, 1, -1, 1, 1},
              {LUMO_SIM_GET_RESOURCE, 1, -1, 0xD100, 1}, {LUMO_SIM_GET_SWITCH_VALUE, 1, -1, 1, 1});
    for (int32_t slot = 2; slot < BOARD_SLOTS; ++slot)
        setUp.entries.push_back(NoBoard(slot));
    EXPECT_SEQUENCE(Log(), setUp);

    const BoardEntry first = {1, 0xD000, 16, 0, {0, 0, 0, 0}, {0, 0, 0, 0}};
    const BoardEntry second = {1, 0xD100, 16, 1, {0, 0, 0, 0}, {0, 0, 0, 0}};
    const BoardEntry none = {};
    EXPECT_EQ(std::memcmp(&BoardTable[0], &first, sizeof first), 0);
    EXPECT_EQ(std::memcmp(&BoardTable[1], &second, sizeof second), 0);
    for (int slot = 2; slot < BOARD_SLOTS; ++slot)
        EXPECT_EQ(std::memcmp(&BoardTable[slot], &none, sizeof none), 0) << "slot " << slot;

    sim.ClearLog();
    BoardTable[1].inputClaimed[0] = 1;
    EXPECT_EQ(CloseBoards(), 1);
    EXPECT_SEQUENCE(Log(), CALLS({LUMO_SIM_CLOSE, 0, -1, 0, 1}, {LUMO_SIM_CLOSE, 1, -1, 0, 1}));
    EXPECT_FALSE(IsDriverLibraryLoaded());
    EXPECT_FALSE(IsPortLockCreated());
    EXPECT_EQ(BoardTable[1].present, 1) << "the table keeps its contents";
    EXPECT_EQ(BoardTable[1].inputClaimed[0], 1) << "claims are not cleared at shut-down";
}

TEST_F(BoardTableTest, DriverWithoutBoardsStillSetsUp) {
    ASSERT_EQ(sim.Configure(""), 1);
    BoardTable[15].outputClaimed[1] = 1;
    ASSERT_EQ(OpenBoards(), 1);
    const BoardEntry none = {};
    for (int slot = 0; slot < BOARD_SLOTS; ++slot)
        EXPECT_EQ(std::memcmp(&BoardTable[slot], &none, sizeof none), 0) << "slot " << slot;
    sim.ClearLog();
    EXPECT_EQ(CloseBoards(), 1);
    EXPECT_EQ(sim.LogCount(), 0);
}

// One board in slot 4 whose three set-up answers vary; the switch value would be 9.
struct BoardAnswers {
    const char* settings;
    int32_t present;
    uint32_t address;
    int32_t length;
    uint32_t switchValue; // 0x5555: left as it was before set-up
    size_t calls;         // driver calls made for the slot at set-up
};

class BoardAnswersTest : public DeviceTest, public ::testing::WithParamInterface<BoardAnswers> {};

TEST_P(BoardAnswersTest, EntryFollowsTheDriversAnswers) {
    const BoardAnswers& answers = GetParam();
    const std::string setup =
        std::string("board 4 address=0xE040 length=32 switch=9 ") + answers.settings;
    ASSERT_EQ(sim.Configure(setup.c_str()), 1);
    BoardTable[4].switchValue = 0x5555;
    BoardTable[4].present = 1;
    BoardTable[4].ioPortAddress = 0x1111;
    ASSERT_EQ(OpenBoards(), 1);
    EXPECT_EQ(BoardTable[4].present, answers.present);
    EXPECT_EQ(BoardTable[4].ioPortAddress, answers.address);
    EXPECT_EQ(BoardTable[4].ioPortLength, answers.length);
    EXPECT_EQ(BoardTable[4].switchValue, answers.switchValue);
    size_t callsForSlot = 0;
    for (const LumoSimCall& call : Log())
        callsForSlot += call.slot == 4;
    EXPECT_EQ(callsForSlot, answers.calls);
    sim.ClearLog();
    CloseBoards();
    EXPECT_EQ(CountCalls(LUMO_SIM_CLOSE), answers.present == 1 ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(CreateResourceSwitch, BoardAnswersTest,
                         ::testing::Values(BoardAnswers{"", 1, 0xE040, 32, 9, 3},
                                           BoardAnswers{"create=fail", 0, 0, 0, 0x5555, 1},
                                           BoardAnswers{"create=2", 0, 0, 0, 0x5555, 1},
                                           BoardAnswers{"resource=fail", 1, 0, 0, 9, 3},
                                           BoardAnswers{"resource=2", 1, 0, 0, 9, 3},
                                           BoardAnswers{"getswitch=fail", 0, 0xE040, 32, 0, 3},
                                           BoardAnswers{"getswitch=3", 1, 0xE040, 32, 9, 3},
                                           BoardAnswers{"resource=fail getswitch=fail", 0, 0, 0, 0,
                                                        3}));

// The two queries after Lumo31aCreate go to the slot the driver left; the table keeps the index.
TEST_F(BoardTableTest, QueriesUseTheSlotLeftByCreate) {
    ASSERT_EQ(sim.Configure("board 0 createslot=6\nboard 6 address=0xE600 switch=66\n"), 1);
    ASSERT_EQ(OpenBoards(), 1);
    EXPECT_EQ(BoardTable[0].present, 1);
    EXPECT_EQ(BoardTable[0].ioPortAddress, 0xE600u);
    EXPECT_EQ(BoardTable[0].switchValue, 66u);
    std::vector<LumoSimCall> calls = Log();
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(calls[1].entry, LUMO_SIM_GET_RESOURCE);
    EXPECT_EQ(calls[1].slot, 6);
    EXPECT_EQ(calls[2].slot, 6);
    sim.ClearLog();
    CloseBoards();
    EXPECT_SEQUENCE(Log(), CALLS({LUMO_SIM_CLOSE, 0, -1, 0, 1}, {LUMO_SIM_CLOSE, 6, -1, 0, 1}));
}

} // namespace
} // namespace devicetest
