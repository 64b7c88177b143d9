// pemo_host as a user runs it on a flow chart of their own: in folders named in Japanese, in
// letters code page 932 lacks, with blanks, deeper than MAX_PATH; and saves over a file they
// already have that cannot be replaced (the kinds of failure: SafeSaveTest).
#include "sim/host/flowchart/FlowChartFile.h"
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
