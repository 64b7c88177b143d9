// What the test programs share besides their own support files: the plug-in on the stand-in
// host as a fixture, and the paths beside the test program.
#pragma once

#include "sim/driver/LumoSimControl.h"

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

// The same on simulated boards: the driver configured with `DriverSetup()` before set-up.
class PluginOnBoards : public PluginOnHost {
protected:
    void SetUp() override;
    // The simulated boards; by default one board in slot 2.
    virtual std::string DriverSetup() const { return "board 2\n"; }
};

// Control of the simulated lumo31a.dll the plug-in uses. It stays loaded for the whole test
// program, so that it can be configured before each set-up; the plug-in's own load and unload
// only count references.
LumoSim& SimulatedDriver();

// The folder of the running test program (build/win64/bin): the plug-in and the simulated
// driver lie beside it.
std::string ProgramDirectory();
// Full path of a file beside the test program.
std::string BesideProgram(const char* fileName);
// Path of a file of the source tree, e.g. "examples\\loopback.json" (the build folder lies
// in it: build/<configuration>/bin).
std::string InSourceTree(const char* relativePath);

} // namespace testsupport
