#include "tests/common/TestSupport.h"

#include "device/BoardTable.h"
#include "host/HostBinding.h"
#include "host/PluginEntry.h"
#include "modules/Lumo31a_IN/TickSource.h"
#include "modules/ModuleRecords.h"
#include "sim/host/support/Files.h"
#include "sim/host/core/HostControl.h"
#include "sim/host/support/SafeSave.h"

namespace testsupport {

void PluginOnHost::SetUp() {
    SetPluginInstance(GetModuleHandleA(nullptr));
    ASSERT_TRUE(standin::HostStart());
    standin::AttachPluginEntries(SetupPemoDLL, FinishPemoDLL, WEP);
    ASSERT_EQ(standin::CallSetup(), 1);
}

void PluginOnHost::TearDown() {
    standin::CallFinish();
    ExpectNoComplaint();
    standin::HostStop();
}

void ExpectNoComplaint() {
    for (const std::string& complaint : standin::Complaints())
        ADD_FAILURE() << "host complaint: " << complaint;
}

const char* const OUTPUT_CLASS = OUTPUT_CLASS_NAME;
const char* const INPUT_CLASS = INPUT_CLASS_NAME;

uint32_t fakeTicks;

namespace {

DWORD WINAPI FakeTickCount() {
    return fakeTicks;
}

} // namespace

void PluginModules::SetUp() {
    PluginOnBoards::SetUp();
    if (HasFatalFailure())
        return;
    ASSERT_NE(standin::FindClass(OUTPUT_CLASS), nullptr);
    ASSERT_NE(standin::FindClass(INPUT_CLASS), nullptr);
    fakeTicks = 1000;
    ReadTickCount = FakeTickCount;
    SimulatedDriver().ClearLog();
    standin::ClearRecords();
}

void PluginModules::TearDown() {
    UseRealClock();
    PluginOnBoards::TearDown();
}

void PluginModules::UseRealClock() {
    ReadTickCount = GetTickCount;
}

std::string ClaimsPicture() {
    std::string picture;
    for (PortKind kind : {PortKind::Input, PortKind::Output})
        for (uint16_t slot = 0; slot < BOARD_SLOTS; ++slot)
            for (uint16_t port = 0; port < BOARD_PORTS; ++port)
                picture += IsPortFree(kind, slot, port) ? '.' : 'x';
    return picture;
}

LumoSim& SimulatedDriver() {
    static LumoSim sim;
    static HMODULE driver = LoadLibraryW(BesideProgram(L"" LUMO_DRIVER_FILE_NAME).c_str());
    static const bool connected = driver && LumoSimConnect(sim, driver);
    EXPECT_TRUE(connected) << "the simulated driver beside the test program";
    return sim;
}

void PluginOnBoards::SetUp() {
    ASSERT_EQ(SimulatedDriver().Configure(DriverSetup().c_str()), 1);
    PluginOnHost::SetUp();
}

std::wstring ProgramDirectory() {
    return standin::ProgramFolder();
}

std::wstring BesideProgram(const wchar_t* fileName) {
    return ProgramDirectory() + L"\\" + fileName;
}

std::wstring InSourceTree(const wchar_t* relativePath) {
    return ProgramDirectory() + L"\\..\\..\\..\\" + relativePath;
}

std::string FileBytes(const std::wstring& path) {
    std::string bytes;
    standin::ReadWholeFile(path, &bytes);
    return bytes;
}

void PutFile(const std::wstring& path, const std::string& bytes) {
    std::string error;
    EXPECT_TRUE(standin::SaveFileSafely(path, bytes, &error)) << error;
}

std::wstring TemporaryPath(const wchar_t* name) {
    std::wstring folder(MAX_PATH + 1, L'\0');
    folder.resize(GetTempPathW(DWORD(folder.size()), &folder[0]));
    return folder + name;
}

const wchar_t* const userFolders[4] = {
    L"pemo 実験データ\\表ソ", L"pemo Müller é", L"pemo with spaces",
    L"pemo-long\\0123456789012345678901234567890123456789012345678901234567890123456789\\"
    L"0123456789012345678901234567890123456789012345678901234567890123456789\\"
    L"0123456789012345678901234567890123456789012345678901234567890123456789\\"
    L"フォルダー表示ソフト"};

std::wstring EnvironmentText(const wchar_t* name) {
    const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
    std::wstring value(size, L'\0');
    value.resize(size ? GetEnvironmentVariableW(name, &value[0], size) : 0);
    return value;
}

std::vector<std::wstring> FolderNames(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((standin::LongPathForm(folder) + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (wcscmp(found.cFileName, L".") != 0 && wcscmp(found.cFileName, L"..") != 0)
            names.push_back(found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

namespace {

void RemoveTree(const std::wstring& folder) {
    for (const std::wstring& name : FolderNames(folder)) {
        const std::wstring path = standin::LongPathForm(folder + L"\\" + name);
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (!DeleteFileW(path.c_str()))
            RemoveTree(folder + L"\\" + name);
    }
    RemoveDirectoryW(standin::LongPathForm(folder).c_str());
}

} // namespace

TemporaryFolder::TemporaryFolder(const std::wstring& name)
    : top_(TemporaryPath(name.substr(0, name.find(L'\\')).c_str())),
      path_(TemporaryPath(name.c_str())) {
    RemoveTree(top_);
    for (size_t at = name.find(L'\\'); at != std::wstring::npos; at = name.find(L'\\', at + 1))
        CreateDirectoryW(standin::LongPathForm(TemporaryPath(name.substr(0, at).c_str())).c_str(),
                         nullptr);
    EXPECT_TRUE(CreateDirectoryW(standin::LongPathForm(path_).c_str(), nullptr))
        << Shown(path_) << ": error " << GetLastError();
}

TemporaryFolder::~TemporaryFolder() {
    RemoveTree(top_);
}

std::string RunHostProgram(const std::wstring& arguments, DWORD* exitCode) {
    // A name of its own each time: a service Wine starts for the program (pictures start COM)
    // may inherit the handle and keep the file from going.
    static int runs = 0;
    const std::wstring outputPath =
        BesideProgram((L"pemo-host-output-" + std::to_wstring(++runs) + L".txt").c_str());
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE output = CreateFileW(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                CREATE_ALWAYS, 0, nullptr);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = output;
    startup.hStdError = output;
    PROCESS_INFORMATION process = {};
    std::wstring command = L"\"" + BesideProgram(L"pemo_host.exe") + L"\" " + arguments;
    *exitCode = 999;
    // Boards of its own, as before boards were shared: the program reads its configuration
    // rather than reaching the boards of this test's driver.
    const std::wstring bench = EnvironmentText(L"LUMO31A_SIM_BENCH");
    SetEnvironmentVariableW(
        L"LUMO31A_SIM_BENCH",
        ((bench.empty() ? L"default" : bench) + L"-run" + std::to_wstring(runs)).c_str());
    const BOOL started = CreateProcessW(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr,
                                        ProgramDirectory().c_str(), &startup, &process);
    SetEnvironmentVariableW(L"LUMO31A_SIM_BENCH", bench.empty() ? nullptr : bench.c_str());
    if (started) {
        if (WaitForSingleObject(process.hProcess, 300000) == WAIT_OBJECT_0)
            GetExitCodeProcess(process.hProcess, exitCode);
        else
            TerminateProcess(process.hProcess, 998);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(output);
    const std::string text = FileBytes(outputPath);
    DeleteFileW(outputPath.c_str());
    return text;
}

std::string Shown(const std::wstring& text) {
    return standin::WideToUtf8(text);
}

} // namespace testsupport
