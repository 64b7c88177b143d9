// Commands of the pemo_host program: each takes the arguments after its name (UTF-16, as the
// command line has them) and returns the process exit code (0 done, 1 failed or a check
// failed, 2 wrong arguments).
#pragma once

#include <string>
#include <vector>

using CommandArgs = std::vector<std::wstring>;

int BindingCommand(const CommandArgs& args); // load, set up, what was resolved and defined
int ClassesCommand(const CommandArgs& args); // the registered classes, their records, the menu
int BoardsCommand(const CommandArgs& args);  // the boards the plug-in found, as the user sees them
int RunCommand(const CommandArgs& args);     // a flow chart run headless, with its report
int OpenCommand(const CommandArgs& args);    // the window: build, edit and run flow charts

// ---- Shared by the commands (CommandSupport.cpp) ----------------------------------------------

// --plugin PATH, or Pemo_ux1.dll beside the program.
std::wstring PluginPath(const CommandArgs& args);
// The value after `option` (e.g. L"--seconds"), or `fallback` when it is not given.
std::wstring OptionValue(const CommandArgs& args, const wchar_t* option,
                         const std::wstring& fallback);
bool HasFlag(const CommandArgs& args, const wchar_t* flag);
// --config FILE: the simulated driver reads it when the plug-in loads the driver. False (with
// the reason printed) when the file is not there.
bool UseDriverConfig(const std::wstring& file);
// The simulated driver's configuration for a flow chart: `config` when given, else
// LUMO31A_SIM_CONFIG as set, else the file beside the flow chart named from it, else the
// driver's own default. False (with the reason printed) when a named file is not there.
bool ChooseDriverConfig(const std::wstring& flowChart, const std::wstring& config);
// The configuration the simulated driver reads at load (LUMO31A_SIM_CONFIG), empty for its
// default.
std::wstring DriverConfigInUse();
// Starts the stand-in host (echo on, so warnings reach the console) and loads the plug-in;
// prints the reason and returns false when either fails. No set-up call yet.
bool StartHostWithPlugin(const CommandArgs& args);
// Code page 932 text from the plug-in, ready for the console.
std::string Utf8(const std::string& cp932);
// A path or an argument, ready for the console.
std::string Utf8(const std::wstring& text);
