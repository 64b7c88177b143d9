// Small helpers shared by the test programs.
#pragma once

#include <string>

namespace testsupport {

// The folder of the running test program (build/win64/bin): the plug-in and the simulated
// driver lie beside it.
std::string ProgramDirectory();
// Full path of a file beside the test program.
std::string BesideProgram(const char* fileName);

} // namespace testsupport
