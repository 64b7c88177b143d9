// What the test programs share besides their own support files: the plug-in on the stand-in
// host as a fixture, and the paths beside the test program.
#pragma once

#include "sim/driver/LumoSimControl.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

// Each test: the stand-in host started and the plug-in's parts, linked into the test program,
// set up on it (classes, menu, window classes, boards of the simulated driver); finished and
// the host stopped after the test, which fails if the host complained of the plug-in.
class PluginOnHost : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

// The same on simulated boards: the driver configured with `DriverSetup()` before set-up.
class PluginOnBoards : public PluginOnHost {
protected:
    void SetUp() override;
    // The simulated boards; by default one board in slot 2.
    virtual std::string DriverSetup() const { return "board 2\n"; }
};

// The plug-in's module classes by name.
extern const char* const OUTPUT_CLASS; // "Lumo-P31 OUT"
extern const char* const INPUT_CLASS;  // "Lumo-P31 IN"

// The clock the input module reads in a PluginModules test (see ReadTickCount).
extern uint32_t fakeTicks;

// The plug-in on simulated boards with both classes registered and the input module paced by
// fakeTicks, standing at 1000; the driver's log and the host's records start empty. The real
// clock is back after the test.
class PluginModules : public PluginOnBoards {
protected:
    void SetUp() override;
    void TearDown() override;
    void UseRealClock();
};

// A failure for each complaint the host recorded of the plug-in's calls.
void ExpectNoComplaint();
// The plug-in's port claims, every kind, slot and port, one byte each ('x': claimed).
std::string ClaimsPicture();

// Control of the simulated lumo31a.dll the plug-in uses. It stays loaded for the whole test
// program, so that it can be configured before each set-up; the plug-in's own load and unload
// only count references.
LumoSim& SimulatedDriver();

// The folder of the running test program (build/win64/bin): the plug-in and the simulated
// driver lie beside it.
std::wstring ProgramDirectory();
// Full path of a file beside the test program.
std::wstring BesideProgram(const wchar_t* fileName);
// Path of a file of the source tree, e.g. L"examples\\loopback.json" (the build folder lies
// in it: build/<configuration>/bin).
std::wstring InSourceTree(const wchar_t* relativePath);
// Whole files by path, for what tests set up and read back (an empty text when unreadable).
std::string FileBytes(const std::wstring& path);
void PutFile(const std::wstring& path, const std::string& bytes);
// A file or folder of this name in the temporary folder.
std::wstring TemporaryPath(const wchar_t* name);
// Folders as users name them, in the temporary folder: Japanese (表 and ソ have 0x5C, "\\",
// as their second byte in code page 932), letters code page 932 lacks, blanks, and deeper
// than MAX_PATH.
extern const wchar_t* const userFolders[4];
// A new empty folder `name` (L"a\\b" makes both) in the temporary folder, removed with all
// it holds when the object goes.
class TemporaryFolder {
public:
    explicit TemporaryFolder(const std::wstring& name);
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;
    const std::wstring& Path() const { return path_; }
    std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring top_, path_;
};
// The value of an environment variable (a path, say), empty when it is not set.
std::wstring EnvironmentText(const wchar_t* name);
// The names in a folder (not "." and ".."), as a listing shows them.
std::vector<std::wstring> FolderNames(const std::wstring& folder);
// Runs pemo_host.exe beside the test program with `arguments` (a command line, UTF-16) in its
// folder; what it printed (UTF-8) and its exit code (999: it did not start, 998: it hung).
std::string RunHostProgram(const std::wstring& arguments, DWORD* exitCode);
// The console's text of a UTF-16 string, for test messages.
std::string Shown(const std::wstring& text);

} // namespace testsupport
