// Commands of the pemo_host program: each takes the arguments after its name and returns the
// process exit code (0 done, 1 failed or a check failed, 2 wrong arguments).
#pragma once

#include <string>
#include <vector>

using CommandArgs = std::vector<std::string>;

int BindingCommand(const CommandArgs& args); // load, set up, what was resolved and defined
int ClassesCommand(const CommandArgs& args); // the registered classes, their records, the menu
int BoardsCommand(const CommandArgs& args);  // the boards the plug-in found, as the user sees them
int RunCommand(const CommandArgs& args);     // a flow chart run headless, with its report
int OpenCommand(const CommandArgs& args);    // the window: build, edit and run flow charts

// ---- Shared by the commands (CommandSupport.cpp) ----------------------------------------------

// --plugin PATH, or Pemo_ux1.dll beside the program.
std::string PluginPath(const CommandArgs& args);
// The value after `option` (e.g. "--seconds"), or `fallback` when it is not given.
std::string OptionValue(const CommandArgs& args, const char* option, const std::string& fallback);
bool HasFlag(const CommandArgs& args, const char* flag);
// --config FILE: the simulated driver reads it when the plug-in loads the driver. False (with
// the reason printed) when the file is not there.
bool UseDriverConfig(const std::string& file);
// The simulated driver's configuration for a flow chart: `config` when given, else
// LUMO31A_SIM_CONFIG as set, else the file beside the flow chart named from it, else the
// driver's own default. False (with the reason printed) when a named file is not there.
bool ChooseDriverConfig(const std::string& flowChart, const std::string& config);
// Starts the stand-in host (echo on, so warnings reach the console) and loads the plug-in;
// prints the reason and returns false when either fails. No set-up call yet.
bool StartHostWithPlugin(const CommandArgs& args);
// Code page 932 text from the plug-in, ready for the console.
std::string Utf8(const std::string& cp932);
