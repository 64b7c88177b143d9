// Commands of the pemo_host program: each takes the arguments after its name and returns the
// process exit code.
#pragma once

#include <string>
#include <vector>

using DemoArgs = std::vector<std::string>;

int DemoBinding(const DemoArgs& args); // load, set up, print what was resolved and defined
int DemoClasses(const DemoArgs& args); // the registered classes, their records, the menu
int DemoBoards(const DemoArgs& args);  // the boards the plug-in found, as the user sees them
int DemoRun(const DemoArgs& args);     // an input and an output module in an experiment run

// ---- Shared by the commands (DemoSupport.cpp) ------------------------------------------------

// --plugin PATH, or Pemo_ux1.dll beside the program.
std::string PluginPath(const DemoArgs& args);
// The value after `option` (e.g. "--seconds"), or `fallback` when it is not given.
std::string OptionValue(const DemoArgs& args, const char* option, const std::string& fallback);
bool HasFlag(const DemoArgs& args, const char* flag);
// Starts the stand-in host (echo on, so warnings reach the terminal) and loads the plug-in;
// prints the reason and returns false when either fails. No set-up call yet.
bool StartHostWithPlugin(const DemoArgs& args);
// Code page 932 text from the plug-in, ready for the terminal.
std::string Utf8(const std::string& cp932);
