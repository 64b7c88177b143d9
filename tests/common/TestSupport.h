// What the test programs share besides their own support files: the plug-in on the stand-in
// host as a fixture, and the paths beside the test program.
#pragma once

#include <gtest/gtest.h>

#include <string>

namespace testsupport {

// Each test: the stand-in host started and the plug-in's parts, linked into the test program,
// set up on it (classes, menu, window classes, boards of the simulated driver); finished and
// the host stopped after the test.
class PluginOnHost : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

// The folder of the running test program (build/win64/bin): the plug-in and the simulated
// driver lie beside it.
std::string ProgramDirectory();
// Full path of a file beside the test program.
std::string BesideProgram(const char* fileName);

} // namespace testsupport
