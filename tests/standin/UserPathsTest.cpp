// pemo_host as a user runs it on a flow chart of their own: in folders named in Japanese, in
// letters code page 932 lacks, with blanks, deeper than MAX_PATH; and saves over files they
// already have.
#include "sim/host/FlowChartFile.h"
#include "sim/host/SafeSave.h"
#include "tests/standin/StandInTestSupport.h"

namespace {

using testsupport::FileBytes;
using testsupport::PutFile;
using testsupport::Shown;
using testsupport::TemporaryFolder;

std::wstring Quoted(const std::wstring& path) {
    return L"\"" + path + L"\"";
}

// The loopback example and its driver configuration, copied into `folder` under a name of its
// own; the flow chart's path.
std::wstring CopyLoopback(const TemporaryFolder& folder, const std::wstring& name) {
    const std::wstring chart = folder / (name + L".json");
    PutFile(chart, FileBytes(standintest::LoopbackPath()));
    PutFile(standin::DriverConfigBeside(chart),
            FileBytes(standin::DriverConfigBeside(standintest::LoopbackPath())));
    return chart;
}

TEST(UserPaths, ARunFindsItsBoardsAndWritesEveryOutputWhereAsked) {
    for (const wchar_t* name : testsupport::userFolders) {
        SCOPED_TRACE(Shown(name));
        TemporaryFolder folder(name);
        const std::wstring chart = CopyLoopback(folder, L"ループ ソ表");
        const std::wstring outputs[] = {folder / L"報告 ü.json", folder / L"記録 表.csv",
                                        folder / L"図 ソ.png", folder / L"保存 é.json"};
        DWORD exitCode = 0;
        const std::string said = testsupport::RunHostProgram(
            L"run " + Quoted(chart) + L" --seconds 0.4 --report " + Quoted(outputs[0]) +
                L" --trace " + Quoted(outputs[1]) + L" --plot " + Quoted(outputs[2]) + L" --save " +
                Quoted(outputs[3]),
            &exitCode);
        EXPECT_EQ(exitCode, 0u) << said;
        EXPECT_NE(said.find("Simulated driver configuration: " +
                            Shown(standin::DriverConfigBeside(chart))),
                  std::string::npos)
            << Shown(standin::DriverConfigBeside(chart)) << "\n"
            << said;
        EXPECT_NE(said.find("All checks passed."), std::string::npos) << said;
        EXPECT_EQ(said.find("stand-in host: warning"), std::string::npos) << said;
        for (const std::wstring& output : outputs) {
            EXPECT_NE(said.find("written to " + Shown(output)), std::string::npos) << said;
            EXPECT_FALSE(FileBytes(output).empty()) << Shown(output);
        }
        standin::Worksheet saved;
        standin::WorksheetError error;
        EXPECT_TRUE(standin::ReadFlowChart(outputs[3], &saved, &error)) << error.Text();
    }
}

// What stands in the way of a save, each tried on a file the user already has.
struct Obstacle {
    const char* what;
    void (*before)(const std::wstring& target, HANDLE* held);
};

const Obstacle obstacles[] = {
    {"a disk that fills during the write",
     [](const std::wstring&, HANDLE*) { standin::SetSaveWriteLimitForTests(100); }},
    {"a read-only file",
     [](const std::wstring& target, HANDLE*) {
         SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_READONLY);
     }},
    {"a file another program holds open without sharing",
     [](const std::wstring& target, HANDLE* held) {
         *held = CreateFileW(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
     }},
};

// The library's save as pemo_host run --save uses it: the old file stays byte for byte, nothing
// else is left in the folder, and one line names the file and the reason.
TEST(UserPaths, ASaveThatFailsKeepsTheFileThereBefore) {
    TemporaryFolder folder(L"pemo 上書き 表");
    const std::wstring target = folder / L"フロー ü.json";
    const std::string before = FileBytes(standintest::LoopbackPath());
    for (const Obstacle& obstacle : obstacles) {
        SCOPED_TRACE(obstacle.what);
        PutFile(target, before);
        HANDLE held = INVALID_HANDLE_VALUE;
        obstacle.before(target, &held);
        std::string error;
        EXPECT_FALSE(standin::WriteFlowChart(target, standin::Worksheet{}, &error));
        standin::SetSaveWriteLimitForTests(-1);
        if (held != INVALID_HANDLE_VALUE)
            CloseHandle(held);
        SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
        EXPECT_EQ(error.rfind(Shown(target) + ": cannot be written: ", 0), 0u) << error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << error;
        EXPECT_EQ(FileBytes(target), before);
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((folder / L"*").c_str(), &found);
        int files = 0;
        do
            files += !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
        while (FindNextFileW(search, &found));
        FindClose(search);
        EXPECT_EQ(files, 1) << "a partial file was left beside it";
    }
}

// The program says so and fails; the old file stays.
TEST(UserPaths, TheProgramReportsASaveItCouldNotMake) {
    TemporaryFolder folder(L"pemo 読み取り専用");
    const std::wstring chart = CopyLoopback(folder, L"ループ");
    const std::wstring target = folder / L"保存先.json";
    PutFile(target, "the user's own file\n");
    SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_READONLY);
    DWORD exitCode = 0;
    const std::string said = testsupport::RunHostProgram(
        L"run " + Quoted(chart) + L" --seconds 0.2 --save " + Quoted(target), &exitCode);
    SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(exitCode, 1u) << said;
    EXPECT_NE(said.find(Shown(target) + ": cannot be written: "), std::string::npos) << said;
    EXPECT_EQ(FileBytes(target), "the user's own file\n");
}

} // namespace
