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
