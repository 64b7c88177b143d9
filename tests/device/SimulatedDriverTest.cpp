// The simulated lumo31a.dll as its users rely on it: configuration text, input sources,
// injected faults, board removal and the trace.
#include "tests/device/DeviceTestSupport.h"

#include "tests/common/TestSupport.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace devicetest {
namespace {

class SimulatedDriverTest : public DeviceTest {
protected:
    void Start(const char* setup) {
        ASSERT_EQ(sim.Configure(setup), 1);
        ASSERT_EQ(OpenBoards(), 1);
        sim.ClearLog();
    }
    std::vector<int> Reads(int slot, int port, int count) {
        std::vector<int> bytes;
        for (int i = 0; i < count; ++i) {
            uint8_t byte = 0;
            bytes.push_back(AccessPort(slot, port, PORT_READ, &byte) ? byte : -1);
        }
        return bytes;
    }
    std::string ConfigError() {
        char text[200];
        sim.ConfigError(text, sizeof text);
        return text;
    }
};

TEST_F(SimulatedDriverTest, WithoutFileTheDefaultTwoBoardsLoopBack) {
    char origin[MAX_PATH];
    sim.ConfigOrigin(origin, sizeof origin);
    EXPECT_STREQ(origin, "default");
    ASSERT_EQ(OpenBoards(), 1);
    uint8_t byte = 0xC3;
    EXPECT_EQ(AccessPort(1, 3, PORT_WRITE, &byte), 1);
    EXPECT_EQ(Reads(1, 3, 1), std::vector<int>{0xC3});
    EXPECT_EQ(Reads(0, 3, 1), std::vector<int>{0x00});
}

TEST_F(SimulatedDriverTest, BadTextIsRefusedWithItsLineAndChangesNothing) {
    Start("board 3\n");
    const char* const bad[] = {"board 16\n",
                               "board 1 colour=red\n",
                               "input 3 4 constant 1\n",
                               "input 3 0 constant 256\n",
                               "fault 3 0 sideways always\n",
                               "fault 3 0 in nth=0\n",
                               "fault 3 0 in every=0\n",
                               "fault 3 0 in every=4 burst=0\n",
                               "input 3 0 square period=0\n",
                               "fast maybe\n",
                               "frobnicate\n"};
    for (const char* text : bad) {
        EXPECT_EQ(sim.Configure((std::string("# comment\n\n") + text).c_str()), 0) << text;
        EXPECT_EQ(ConfigError().rfind("line 3: ", 0), 0u) << ConfigError();
        EXPECT_EQ(sim.Apply(text), 0) << text;
    }
    EXPECT_EQ(sim.IsOpen(3), 1) << "the running configuration stays";
}

TEST_F(SimulatedDriverTest, InputSources) {
    Start("board 0\n"
          "input 0 0 constant 0xA5\n"
          "input 0 1 counter start=250 step=3\n"
          "input 0 2 square bits=0x81 period=4 base=0x10\n"
          "input 0 3 wire 1 2\n"
          "board 1\n");
    EXPECT_EQ(Reads(0, 0, 2), (std::vector<int>{0xA5, 0xA5}));
    EXPECT_EQ(Reads(0, 1, 3), (std::vector<int>{250, 253, 0}));
    EXPECT_EQ(Reads(0, 2, 5), (std::vector<int>{0x91, 0x91, 0x10, 0x10, 0x91}));
    uint8_t byte = 0x66;
    ASSERT_EQ(AccessPort(1, 2, PORT_WRITE, &byte), 1);
    EXPECT_EQ(Reads(0, 3, 1), std::vector<int>{0x66});
    ASSERT_EQ(sim.SetInput(0, 3, 0x07), 1);
    EXPECT_EQ(Reads(0, 3, 1), std::vector<int>{0x07});
}

TEST_F(SimulatedDriverTest, NthCallFaultStrikesOnce) {
    Start("board 5\nfault 5 2 in nth=3 code=77\n");
    EXPECT_EQ(Reads(5, 2, 5), (std::vector<int>{0, 0, -1, 0, 0}));
    EXPECT_EQ(DriverGetLastError(5), 77);
    EXPECT_EQ(Reads(5, 1, 4), (std::vector<int>{0, 0, 0, 0})) << "other ports unaffected";
}

// Repeated and spaced failures: which of 12 calls fail ('x').
TEST_F(SimulatedDriverTest, EveryAndBurstFaultsStrikeWhereTheySay) {
    const struct {
        const char* kind;
        const char* pattern;
    } cases[] = {
        {"nth=3 burst=4", "..xxxx......"},
        {"every=4", "...x...x...x"},
        {"every=5 burst=2", "....xx...xx."},
        {"every=2 burst=2", ".xxxxxxxxxxx"},
    };
    for (const auto& c : cases) {
        Start((std::string("board 1\nfault 1 0 out ") + c.kind + " code=9\n").c_str());
        std::string pattern;
        for (int i = 0; i < 12; ++i) {
            uint8_t byte = static_cast<uint8_t>(i);
            pattern += AccessPort(1, 0, PORT_WRITE, &byte) ? '.' : 'x';
        }
        EXPECT_EQ(pattern, c.pattern) << c.kind;
        EXPECT_EQ(DriverGetLastError(1), 9) << c.kind;
        CloseBoards();
    }
}

TEST_F(SimulatedDriverTest, ProbabilityFaultIsReproducible) {
    const char* setup = "board 0\nfault 0 * out probability=0.25 seed=9\n";
    std::string patterns[2];
    for (std::string& pattern : patterns) {
        Start(setup);
        for (int i = 0; i < 400; ++i) {
            uint8_t byte = static_cast<uint8_t>(i);
            pattern += AccessPort(0, i % 4, PORT_WRITE, &byte) ? '.' : 'x';
        }
        CloseBoards();
    }
    EXPECT_EQ(patterns[0], patterns[1]);
    const auto failed = std::count(patterns[0].begin(), patterns[0].end(), 'x');
    EXPECT_GT(failed, 60);
    EXPECT_LT(failed, 140);
    EXPECT_EQ(DriverGetLastError(0), -1) << "library unloaded";
}

TEST_F(SimulatedDriverTest, RemovedBoardAnswersNothingUntilInserted) {
    Start("board 2\n");
    ASSERT_EQ(sim.RemoveBoard(2), 1);
    DriverResourceRecord record;
    EXPECT_EQ(DriverGetResource(2, &record), 0);
    EXPECT_EQ(Reads(2, 0, 1), std::vector<int>{-1});
    EXPECT_EQ(DriverGetLastError(2), LUMO_SIM_ERR_NO_BOARD);
    ASSERT_EQ(sim.InsertBoard(2), 1);
    EXPECT_EQ(DriverGetResource(2, &record), 1);
    EXPECT_EQ(record.ioPortAddress, 0xD200u);
    EXPECT_EQ(Reads(2, 0, 1), std::vector<int>{0});
    EXPECT_EQ(sim.RemoveBoard(9), 0) << "no board configured there";
}

// The fast setting leaves port calls out of the log; they still do their work.
TEST_F(SimulatedDriverTest, FastSettingKeepsPortCallsOutOfTheLog) {
    Start("board 0\ninput 0 1 wire 0 2\nfast\n");
    uint8_t byte = 0x3C;
    EXPECT_EQ(AccessPort(0, 2, PORT_WRITE, &byte), 1);
    EXPECT_EQ(Reads(0, 1, 1), std::vector<int>{0x3C});
    EXPECT_EQ(Reads(0, 9, 1), std::vector<int>{-1});
    EXPECT_EQ(DriverGetLastError(0), LUMO_SIM_ERR_BAD_PORT);
    EXPECT_EQ(sim.OutputWrites(0, 2), 1);
    EXPECT_EQ(Log().size(), 1u) << "only Lumo31aGetLastError";
    ASSERT_EQ(sim.Apply("fast off\n"), 1);
    EXPECT_EQ(Reads(0, 1, 1), std::vector<int>{0x3C});
    EXPECT_EQ(Log().size(), 2u);
    EXPECT_EQ(sim.OverlapCount(), 0);
}

TEST_F(SimulatedDriverTest, TraceWritesOneLinePerCall) {
    Start("board 0\n");
    const std::string path = testsupport::BesideProgram("device-trace.txt");
    ASSERT_EQ(sim.Trace(path.c_str()), 1);
    uint8_t byte = 0x42;
    AccessPort(0, 1, PORT_WRITE, &byte);
    ASSERT_EQ(sim.Trace(nullptr), 1);
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    EXPECT_NE(text.str().find("Lumo31aOutPort"), std::string::npos) << text.str();
    EXPECT_NE(text.str().find("data 0x42"), std::string::npos) << text.str();
    file.close();
    DeleteFileA(path.c_str());
}

} // namespace
} // namespace devicetest
