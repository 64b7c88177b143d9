// The simulated lumo31a.dll as its users rely on it: configuration text, input sources,
// injected faults, board removal and the trace.
#include "tests/device/DeviceTestSupport.h"

#include "tests/common/TestSupport.h"

#include <algorithm>
#include <cstdio>

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
    static std::wstring Text(LumoSimTextFn read) { return LumoSimText(read); }
    std::wstring ConfigError() { return Text(sim.ConfigError); }
    // Loads the driver afresh from `file`, so that it reads its configuration again.
    void ReloadDriver(const std::wstring& file) {
        FreeLibrary(driver);
        driver = LoadLibraryW(file.c_str());
        ASSERT_NE(driver, nullptr) << GetLastError();
        ASSERT_TRUE(LumoSimConnect(sim, driver));
    }
};

TEST_F(SimulatedDriverTest, WithoutFileTheDefaultTwoBoardsLoopBack) {
    EXPECT_EQ(Text(sim.ConfigOrigin), L"default");
    wchar_t cut[4];
    EXPECT_EQ(sim.ConfigOrigin(cut, 4), 7) << "sizes count characters";
    EXPECT_STREQ(cut, L"def");
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
        EXPECT_EQ(ConfigError().rfind(L"line 3: ", 0), 0u) << ConfigError();
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
            pattern += AccessPort(0, i % BOARD_PORTS, PORT_WRITE, &byte) ? '.' : 'x';
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

std::string Utf8(const std::wstring& text) {
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &utf8[0], length, nullptr, nullptr);
    return utf8.c_str();
}

std::string FileText(const std::wstring& path) {
    std::string text;
    if (FILE* file = _wfopen(path.c_str(), L"rb")) {
        char buffer[4096];
        while (const size_t count = std::fread(buffer, 1, sizeof buffer, file))
            text.append(buffer, count);
        std::fclose(file);
    }
    return text;
}

// A fresh folder under the temporary folder, removed with its contents at the end of the test,
// and LUMO31A_SIM_CONFIG unset again.
struct TempFolder {
    std::wstring path;
    TempFolder() {
        wchar_t temp[MAX_PATH + 1];
        GetTempPathW(MAX_PATH + 1, temp);
        path = temp + (L"lumo31a-paths-" + std::to_wstring(GetCurrentProcessId()));
        CreateDirectoryW(path.c_str(), nullptr);
    }
    ~TempFolder() {
        SetEnvironmentVariableW(L"LUMO31A_SIM_CONFIG", nullptr);
        Remove(path);
    }
    // Makes `relative` and the folders above it; its full path.
    std::wstring Make(const std::wstring& relative) const {
        for (size_t end = relative.find(L'\\');; end = relative.find(L'\\', end + 1)) {
            CreateDirectoryW((path + L"\\" + relative.substr(0, end)).c_str(), nullptr);
            if (end == std::wstring::npos)
                return path + L"\\" + relative;
        }
    }
    static void Remove(const std::wstring& folder) {
        WIN32_FIND_DATAW found;
        const HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
        for (BOOL more = search != INVALID_HANDLE_VALUE; more;
             more = FindNextFileW(search, &found)) {
            const std::wstring name = found.cFileName, item = folder + L"\\" + name;
            if (name == L"." || name == L"..")
                continue;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                Remove(item);
            else
                DeleteFileW(item.c_str());
        }
        if (search != INVALID_HANDLE_VALUE)
            FindClose(search);
        RemoveDirectoryW(folder.c_str());
    }
};

TEST_F(SimulatedDriverTest, TraceWritesOneLinePerCall) {
    Start("board 0\n");
    TempFolder folder;
    const std::wstring path = folder.path + L"\\device-trace.txt";
    ASSERT_EQ(sim.Trace(path.c_str()), 1);
    uint8_t byte = 0x42;
    AccessPort(0, 1, PORT_WRITE, &byte);
    ASSERT_EQ(sim.Trace(nullptr), 1);
    const std::string text = FileText(path);
    EXPECT_NE(text.find("Lumo31aOutPort"), std::string::npos) << text;
    EXPECT_NE(text.find("data 0x42"), std::string::npos) << text;
}

// The folders Japanese users keep their flow charts in: code page 932 trail bytes that equal a
// backslash (表 95 5C, ソ 83 5C), letters code page 932 lacks, spaces, and more than MAX_PATH
// characters. The driver finds its configuration there, named by LUMO31A_SIM_CONFIG or beside
// the DLL, tells its path back unchanged, and writes its traces there.
TEST_F(SimulatedDriverTest, ConfigurationAndTraceInAnyFolder) {
    TempFolder temp;
    const std::wstring deep =
        std::wstring(60, L'表') + L"\\" + std::wstring(90, L'ü') + L"\\" + std::wstring(100, L'x');
    const std::wstring folders[] = {L"実験データ\\表ソ", L"Müller é", L"with  spaces", deep};
    wchar_t program[MAX_PATH];
    const std::wstring original(program, GetModuleFileNameW(driver, program, MAX_PATH));
    for (const std::wstring& relative : folders) {
        const std::wstring folder = temp.Make(relative), config = folder + L"\\lumo31a-sim.txt";
        const std::wstring configTrace = folder + L"\\trace  ü.txt";
        const std::wstring controlTrace = folder + L"\\control ソ.txt";
        SCOPED_TRACE(Utf8(config) + " (" + std::to_string(config.size()) + " characters)");
        const std::string text = "\xEF\xBB\xBF# two boards\r\nboard 3\r\nboard 7\r\ntrace " +
                                 Utf8(configTrace) + "  \r\n";
        FILE* file = _wfopen(config.c_str(), L"wb");
        ASSERT_NE(file, nullptr);
        std::fwrite(text.data(), 1, text.size(), file);
        std::fclose(file);
        ASSERT_TRUE(CopyFileW(original.c_str(), (folder + L"\\lumo31a.dll").c_str(), FALSE));
        // Named by the variable, the driver beside the test; then beside the driver's copy.
        for (const bool named : {true, false}) {
            SetEnvironmentVariableW(L"LUMO31A_SIM_CONFIG", named ? config.c_str() : nullptr);
            ReloadDriver(named ? original : folder + L"\\lumo31a.dll");
            EXPECT_EQ(Text(sim.ConfigOrigin), config);
            EXPECT_EQ(ConfigError(), L"");
            ASSERT_EQ(OpenBoards(), 1);
            for (int slot = 0; slot < BOARD_SLOTS; ++slot)
                EXPECT_EQ(BoardTable[slot].present, int(slot == 3 || slot == 7)) << slot;
            ASSERT_EQ(sim.Trace(controlTrace.c_str()), 1);
            CloseBoards();
            ASSERT_EQ(sim.Trace(nullptr), 1);
            EXPECT_NE(FileText(configTrace).find("configuration: " + Utf8(config) + "\r\n"),
                      std::string::npos);
            EXPECT_NE(FileText(configTrace).find("Lumo31aCreate"), std::string::npos);
            EXPECT_NE(FileText(controlTrace).find("Lumo31aClose"), std::string::npos);
        }
    }
    const std::wstring missing = temp.path + L"\\" + folders[0] + L"\\なし.txt";
    SetEnvironmentVariableW(L"LUMO31A_SIM_CONFIG", missing.c_str());
    ReloadDriver(original);
    EXPECT_EQ(ConfigError(), missing + L": cannot be read");
    EXPECT_EQ(sim.BoardState(0), LUMO_SIM_BOARD_NONE);
    SetEnvironmentVariableW(L"LUMO31A_SIM_CONFIG", nullptr);
    ReloadDriver(original); // lets go of the copies, so that the folder can go
}

} // namespace
} // namespace devicetest
