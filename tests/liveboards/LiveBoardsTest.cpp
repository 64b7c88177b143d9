// The simulated boards shared by the processes of one Wine session: this test program holds
// the bench (its driver, loaded with the loopback example's configuration), pemo_host runs the
// loopback example on it, and lumo31a-sim reaches it from a third process.
#include "sim/boards/SharedBoards.h"
#include "sim/host/support/TextCodes.h"
#include "tests/common/VcdReader.h"
#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <sstream>

using testsupport::BesideProgram;
using testsupport::FileBytes;
using testsupport::InSourceTree;
using testsupport::TemporaryPath;

namespace {

// A program beside the test, its output (stdout and stderr) in a file of its own.
struct Program {
    PROCESS_INFORMATION process = {};
    std::wstring outputPath;

    Program(const wchar_t* file, const std::wstring& arguments, const wchar_t* bench = nullptr) {
        static int runs = 0;
        // Named by this process too: a program of an earlier run may still hold its file.
        outputPath = TemporaryPath((L"liveboards-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                                    std::to_wstring(++runs) + L".txt")
                                       .c_str());
        SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
        const HANDLE output = CreateFileW(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                          &inherit, CREATE_ALWAYS, 0, nullptr);
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = startup.hStdError = output;
        std::wstring command = L"\"" + BesideProgram(file) + L"\" " + arguments;
        const std::wstring own = testsupport::EnvironmentText(L"LUMO31A_SIM_BENCH");
        if (bench)
            SetEnvironmentVariableW(L"LUMO31A_SIM_BENCH", bench);
        EXPECT_NE(output, INVALID_HANDLE_VALUE) << "error " << GetLastError();
        EXPECT_TRUE(CreateProcessW(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr,
                                   testsupport::ProgramDirectory().c_str(), &startup, &process))
            << "error " << GetLastError();
        SetEnvironmentVariableW(L"LUMO31A_SIM_BENCH", own.c_str());
        CloseHandle(output);
    }
    ~Program() {
        if (process.hProcess && WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT)
            TerminateProcess(process.hProcess, 998);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        DeleteFileW(outputPath.c_str());
    }
    // Waits for the end: the exit code, 998 if it did not end in time.
    DWORD Finish(DWORD milliseconds = 120000) {
        DWORD code = 998;
        if (WaitForSingleObject(process.hProcess, milliseconds) == WAIT_OBJECT_0)
            GetExitCodeProcess(process.hProcess, &code);
        return code;
    }
    bool Runs() const { return WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT; }
    // Without the carriage returns of the console's text mode.
    std::string Output() const {
        std::string text = FileBytes(outputPath);
        text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
        return text;
    }
};

struct ToolResult {
    DWORD status;
    std::string output;
};

ToolResult Tool(const std::string& arguments, const wchar_t* bench = nullptr) {
    Program tool(L"lumo31a-sim.exe", std::wstring(arguments.begin(), arguments.end()), bench);
    const DWORD status = tool.Finish();
    return {status, tool.Output()};
}

// The lines of `text` each match the patterns in order, and there are as many.
void ExpectLines(const std::string& text, const std::vector<std::string>& patterns) {
    std::istringstream lines(text);
    std::string line;
    size_t index = 0;
    while (std::getline(lines, line)) {
        ASSERT_LT(index, patterns.size()) << "more lines than expected:\n" << text;
        EXPECT_TRUE(std::regex_match(line, std::regex(patterns[index]))) << line << "\n" << text;
        ++index;
    }
    EXPECT_EQ(index, patterns.size()) << text;
}

class LiveBoards : public ::testing::Test {
protected:
    // The bench lives while this program holds its driver: from the first test to the last.
    static void SetUpTestSuite() {
        SetEnvironmentVariableW(L"LUMO31A_SIM_CONFIG",
                                InSourceTree(L"examples\\loopback.lumo31a-sim.txt").c_str());
        ASSERT_TRUE(LumoSimConnect(testsupport::SimulatedDriver()));
    }
    LumoSim& sim = testsupport::SimulatedDriver();
};

// Usage errors (2) and failures (1) with their message; nothing of the boards changes.
TEST_F(LiveBoards, BadInputGivesItsMessageAndStatusAndChangesNothing) {
    const struct {
        const char* arguments;
        DWORD status;
        const char* message;
    } cases[] = {
        {"get 16 in 0", 2, "get: bad slot (0 to 15) '16'"},
        {"get 0 in 4", 2, "get: bad port (0 to 3) '4'"},
        {"get 0 sideways 0", 2, "get: bad direction 'sideways' (in or out)"},
        {"force 0 0 0x1FF", 2, "force: bad value (0 to 0xFF) '0x1FF'"},
        {"force 0 0 1 --mask 256", 2, "force: bad mask (0 to 0xFF) '256'"},
        {"force 0 0", 2, "force: too few arguments"},
        {"unforce 0 0 7", 2, "unforce: unexpected argument '7'"},
        {"watch 0 4", 2, "watch: bad port (0 to 3) '4'"},
        {"pull -1", 2, "pull: bad slot (0 to 15) '-1'"},
        {"fault 0 0 sideways always", 2, "fault: bad direction 'sideways' (in, out or both)"},
        {"fault 0 0 in often", 2, "fault: unknown fault setting 'often'"},
        {"record", 2, "record: too few arguments"},
        {"record a.vcd --seconds soon", 2, "record: bad seconds 'soon'"},
        {"record a.vcd b.vcd", 2, "record: unexpected argument 'b.vcd'"},
        {"record Z:\\no\\such\\folder\\a.vcd --seconds 1", 1,
         "no\\such\\folder\\a.vcd: cannot be written: "},
        {"bogus", 2, "unknown command 'bogus' (lumo31a-sim --help lists them)"},
        {"", 2, "usage: lumo31a-sim COMMAND"},
        {"insert 5", 1, "lumo31a-sim: no board in slot 5"},
        {"get 5 out 0", 1, "lumo31a-sim: no board in slot 5"},
        {"fault 3 * both always", 1, "lumo31a-sim: no board in slot 3"},
    };
    const int32_t events = sim.EventCount();
    for (const auto& c : cases) {
        const ToolResult result = Tool(c.arguments);
        EXPECT_EQ(result.status, c.status) << c.arguments << "\n" << result.output;
        EXPECT_NE(result.output.find(c.message), std::string::npos) << c.arguments << "\n"
                                                                    << result.output;
    }
    EXPECT_EQ(sim.EventCount(), events);
    EXPECT_EQ(sim.BoardState(0), LUMO_SIM_BOARD_INSERTED);
    EXPECT_EQ(sim.Forced(0, 0), 0);
    const ToolResult nowhere = Tool("info", L"nowhere");
    EXPECT_EQ(nowhere.status, 1u);
    EXPECT_EQ(nowhere.output,
              "lumo31a-sim: no simulated boards running in this session (bench nowhere)\n");
    for (const char* command :
         {"info", "get", "force", "unforce", "watch", "pull", "insert", "fault", "record"}) {
        const ToolResult help = Tool(std::string(command) + " --help");
        EXPECT_EQ(help.status, 0u) << command;
        EXPECT_EQ(help.output.find(std::string("usage: lumo31a-sim ") + command), 0u)
            << help.output;
    }
}

// A bench of another layout is refused by the tool and by the driver, naming both versions.
TEST_F(LiveBoards, AnotherVersionIsRefused) {
    const HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                              4096, L"Local\\lumo31a-sim-liveboards-old");
    ASSERT_NE(mapping, nullptr);
    auto* stamp =
        static_cast<lumosim::BoardsStamp*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0));
    *stamp = lumosim::BoardsStamp{lumosim::BOARDS_MAGIC, 99, 4096, "1.9"};
    reinterpret_cast<lumosim::BoardsRecord*>(stamp)->ready = 1;
    const std::string refusal = "the simulated boards of bench liveboards-old are version 1.9 "
                                "layout 99; this is version " +
                                lumosim::OwnVersion();
    const ToolResult tool = Tool("info", L"liveboards-old");
    EXPECT_EQ(tool.status, 1u);
    EXPECT_EQ(tool.output, "lumo31a-sim: " + refusal + "\n");
    // A second driver of the process, on that bench: no boards, and ConfigError says why.
    const std::wstring copy = TemporaryPath(L"liveboards-driver\\lumo31a-other.dll");
    CreateDirectoryW(TemporaryPath(L"liveboards-driver").c_str(), nullptr);
    ASSERT_TRUE(CopyFileW(BesideProgram(L"" LUMO_DRIVER_FILE_NAME).c_str(), copy.c_str(), FALSE));
    const std::wstring bench = lumosim::BenchName();
    SetEnvironmentVariableW(L"LUMO31A_SIM_BENCH", L"liveboards-old");
    const HMODULE old = LoadLibraryW(copy.c_str());
    ASSERT_NE(old, GetModuleHandleA(LUMO_DRIVER_FILE_NAME));
    LumoSim other{};
    ASSERT_TRUE(LumoSimConnect(other, old));
    EXPECT_EQ(standin::WideToUtf8(LumoSimText(other.ConfigError)), refusal); // its first call
    SetEnvironmentVariableW(L"LUMO31A_SIM_BENCH", bench.c_str());
    auto create = reinterpret_cast<Lumo31aCreateFn>(GetProcAddress(old, "Lumo31aCreate"));
    uint32_t slot = 0;
    EXPECT_EQ(create(&slot), 0);
    FreeLibrary(old);
    DeleteFileW(copy.c_str());
    UnmapViewOfFile(stamp);
    CloseHandle(mapping);
}

// The panel makes a bench no process holds yet and keeps it while it is open.
TEST_F(LiveBoards, PanelKeepsTheBoardsWhileOpen) {
    Program panel(L"lumo31a-sim.exe", L"panel", L"liveboards-panel");
    ToolResult info{1, ""};
    for (int wait = 0; wait < 100 && info.status != 0; ++wait, Sleep(100))
        info = Tool("info", L"liveboards-panel");
    EXPECT_TRUE(panel.Runs()) << panel.Output();
    // From the configuration the panel found (this program's, inherited).
    EXPECT_NE(info.output.find("\nboard 0 present closed"), std::string::npos) << info.output;
    EXPECT_NE(info.output.find("\nin 0 1 0x00 wire 0 0\n"), std::string::npos) << info.output;
}

// A holder of the lock that was killed does not keep the boards from anyone.
TEST_F(LiveBoards, LockOfAnEndedProcessIsTakenOver) {
    Program ended(L"lumo31a-sim.exe", L"--help");
    ASSERT_EQ(ended.Finish(), 0u);
    const HANDLE mapping = OpenFileMappingW(
        FILE_MAP_WRITE, FALSE, (L"Local\\lumo31a-sim-" + lumosim::BenchName()).c_str());
    ASSERT_NE(mapping, nullptr);
    auto* record =
        static_cast<lumosim::BoardsRecord*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0));
    record->lock = int32_t(ended.process.dwProcessId);
    const ToolResult result = Tool("get 0 out 3");
    EXPECT_EQ(result.status, 0u);
    EXPECT_EQ(result.output, "none\n");
    EXPECT_EQ(record->lock, 0);
    UnmapViewOfFile(record);
    CloseHandle(mapping);
}

// The rows of the run's trace for board 0 port 0 read by the input module: tick and byte.
std::vector<std::pair<uint32_t, unsigned>> Reads(const std::string& csv) {
    std::vector<std::pair<uint32_t, unsigned>> reads;
    std::istringstream lines(csv);
    std::string line;
    while (std::getline(lines, line)) {
        unsigned tick, ms, byte;
        int module, channel, ok;
        if (std::sscanf(line.c_str(), "%u,%u,port_read,%d,%d,0,0,0x%x,%d", &tick, &ms, &module,
                        &channel, &byte, &ok) == 6 &&
            ok)
            reads.emplace_back(tick, byte);
    }
    return reads;
}

uint32_t EventTick(const std::string& csv, const std::string& row) {
    const size_t at = csv.find(row);
    if (at == std::string::npos)
        return 0;
    return uint32_t(std::stoul(csv.substr(csv.rfind('\n', at) + 1)));
}

// A run of the loopback example, driven from outside while it runs.
TEST_F(LiveBoards, ToolDrivesTheBoardsOfARunningHost) {
    const std::wstring trace = TemporaryPath(L"liveboards-trace.csv");
    Program host(L"pemo_host.exe", L"run \"" + InSourceTree(L"examples\\loopback.json") +
                                       L"\" --seconds 600 --trace \"" + trace + L"\"");
    for (int wait = 0; wait < 600 && !sim.IsOpen(0); ++wait)
        Sleep(100);
    ASSERT_EQ(sim.IsOpen(0), 1) << host.Output();

    const ToolResult info = Tool("info");
    EXPECT_EQ(info.status, 0u);
    for (const char* line :
         {"\norigin .*loopback.lumo31a-sim.txt\n",
          "\nboard 0 present open address 0xD000 length 16 switch 0\n",
          "\nin 0 0 0x[0-9A-F]{2} counter start=0x00 step=1\n", "\nin 0 1 0x[0-9A-F]{2} wire 0 0\n",
          "\noverlaps 0\n", "\nrecorders 0\n"})
        EXPECT_TRUE(std::regex_search(info.output, std::regex(line))) << line << info.output;
    const ToolResult watch = Tool("watch 0 0 --count 2 --seconds 60");
    EXPECT_EQ(watch.status, 0u);
    const std::string change = "\\d+ 0 0 (0x[0-9A-F]{2}|none) 0x[0-9A-F]{2}";
    ExpectLines(watch.output, {change, change});

    // A killed tool (most of its time is spent holding or waiting for the lock) leaves the
    // boards to the others.
    {
        Program killed(L"lumo31a-sim.exe", L"watch");
        Sleep(1000);
        TerminateProcess(killed.process.hProcess, 9);
    }
    EXPECT_TRUE(host.Runs());

    const struct {
        const char* arguments;
        std::vector<std::string> lines;
    } steps[] = {
        {"force 0 0 0xA5", {"forced 0 0 0xA5 mask 0xFF"}},
        {"get 0 in 0", {"0xA5 10100101"}},
        {"get 0 out 0", {"0x[0-9A-F]{2} [01]{8}"}},
        {"fault 0 3 in nth=5", {"fault 0 3 in nth=5"}},
        {"unforce 0 0", {"unforced 0 0"}},
    };
    for (const auto& step : steps) {
        const ToolResult result = Tool(step.arguments);
        EXPECT_EQ(result.status, 0u) << step.arguments;
        ExpectLines(result.output, step.lines);
        Sleep(300); // some samples between the steps
    }
    EXPECT_TRUE(host.Runs());
    ExpectLines(Tool("pull 0").output, {"pulled 0"});
    EXPECT_NE(host.Finish(), 998u) << "the run stops on the failed access";
    const std::string said = host.Output();
    EXPECT_NE(said.find("ErrCode = 1"), std::string::npos) << said; // the driver's no board
    EXPECT_NE(said.find("stand-in host: warning"), std::string::npos) << said;

    // The trace says when the input was forced and released, and the module read so between.
    const std::string csv = FileBytes(trace);
    DeleteFileW(trace.c_str());
    const uint32_t forced = EventTick(csv, ",force,,,0,0,0xa5,,,,,,mask 0xff\n");
    const uint32_t released = EventTick(csv, ",unforce,,,0,0,,,,,,,\n");
    ASSERT_TRUE(forced && released > forced + 500) << csv.substr(0, 400);
    EXPECT_NE(csv.find(",fault,,,0,3,,,,,,,in nth=5\n"), std::string::npos);
    EXPECT_NE(csv.find(",pull,,,0,,,,,,,,\n"), std::string::npos);
    size_t during = 0, after = 0, changedAfter = 0;
    for (const auto& read : Reads(csv)) {
        if (read.first > forced + 50 && read.first < released) {
            ++during;
            EXPECT_EQ(read.second, 0xA5u) << "tick " << read.first;
        } else if (read.first > released + 50) {
            ++after;
            changedAfter += read.second != 0xA5u;
        }
    }
    EXPECT_GT(during, 100u);
    EXPECT_GT(changedAfter, after / 2);

    // Put back, the board serves the next run to its end.
    ExpectLines(Tool("insert 0").output, {"inserted 0"});
    ExpectLines(Tool("fault 0 3 in none").output, {"fault 0 3 in none"});
    Program again(L"pemo_host.exe",
                  L"run \"" + InSourceTree(L"examples\\loopback.json") + L"\" --seconds 1");
    EXPECT_EQ(again.Finish(), 0u) << again.Output();
    EXPECT_NE(again.Output().find("All checks passed."), std::string::npos) << again.Output();
}

// Two recordings by lumo31a-sim (both flavours) and pemo_host's own, of one run of the loopback
// example, with an input forced and released from outside: each shows the run's trace access for
// access. The files stay in the waveforms folder beside the test for the viewers' readers.
TEST_F(LiveBoards, RecordingsShowTheRunsTraceAccessForAccess) {
    const std::wstring folder = BesideProgram(L"waveforms") + L"\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    for (const std::wstring& name : testsupport::FolderNames(folder))
        DeleteFileW((folder + name).c_str());
    // Long enough for the host to start and run its 2 s under emulation too.
    const std::wstring seconds = sizeof(void*) == 4 ? L" --seconds 45" : L" --seconds 12";
    Program bitsTool(L"lumo31a-sim.exe",
                     L"record \"" + folder + L"tool-bits.vcd\" --bits" + seconds);
    Program vectorsTool(L"lumo31a-sim.exe",
                        L"record \"" + folder + L"tool-vectors.vcd\"" + seconds);
    for (int wait = 0; wait < 600 && (bitsTool.Output().find("recording ") == std::string::npos ||
                                      vectorsTool.Output().find("recording ") == std::string::npos);
         ++wait)
        Sleep(100);
    const std::wstring trace = folder + L"trace.csv";
    Program host(L"pemo_host.exe", L"run \"" + InSourceTree(L"examples\\loopback.json") +
                                       L"\" --seconds 2 --trace \"" + trace + L"\" --vcd \"" +
                                       folder + L"host-bits.vcd\" --vcd-bits");
    for (int wait = 0; wait < 600 && !sim.IsOpen(0); ++wait)
        Sleep(100);
    Sleep(500);
    EXPECT_EQ(Tool("force 0 0 0x3C --mask 0x0F").status, 0u);
    Sleep(300);
    EXPECT_EQ(Tool("unforce 0 0").status, 0u);
    EXPECT_NE(Tool("info").output.find("\nrecorders 2\n"), std::string::npos);
    ASSERT_EQ(host.Finish(), 0u) << host.Output();
    ASSERT_EQ(bitsTool.Finish(), 0u) << bitsTool.Output();
    ASSERT_EQ(vectorsTool.Finish(), 0u) << vectorsTool.Output();

    const std::string csv = FileBytes(trace);
    const std::vector<testsupport::PortAccess> traced = testsupport::CsvAccesses(csv);
    ASSERT_GT(traced.size(), 1000u);
    const std::string recorded = "recorded .*tool-(bits|vectors).vcd accesses " +
                                 std::to_string(traced.size()) + " events 2 lost 0";
    ExpectLines(bitsTool.Output(), {"recording .*tool-bits.vcd", recorded});
    for (const wchar_t* name : {L"tool-bits.vcd", L"tool-vectors.vcd", L"host-bits.vcd"}) {
        testsupport::Vcd vcd;
        ASSERT_EQ(testsupport::ReadVcd(FileBytes(folder + name), &vcd), "");
        const auto shown = testsupport::VcdAccesses(vcd);
        EXPECT_EQ(testsupport::Sequence(shown), testsupport::Sequence(traced))
            << standin::WideToUtf8(name);
        const auto histories = testsupport::Histories(vcd);
        for (const char* event : {"b0_p0_force", "b0_p0_unforce"})
            EXPECT_EQ(histories.count(event) ? histories.at(event).size() : 0, 2u) << event;
        // The tool's times are microseconds from its start tick: within the trace's tick.
        std::smatch start;
        if (!std::regex_search(vcd.comment, start, std::regex("start tick (\\d+),")))
            continue;
        EXPECT_NE(vcd.comment.find(", 0 lost,"), std::string::npos) << vcd.comment;
        size_t off = 0;
        for (size_t i = 0; i < shown.size() && i < traced.size(); ++i)
            off += std::llabs(int64_t(std::stoull(start[1]) + shown[i].time / 1000) -
                              int64_t(traced[i].time)) > 20;
        EXPECT_EQ(off, 0u) << "accesses more than 20 ms off their tick";
    }
}

} // namespace
