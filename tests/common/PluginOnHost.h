// The setting most test programs share: the stand-in host started and the plug-in's parts,
// linked into the test program, set up on it (classes, menu, window classes, boards of the
// simulated driver); finished and the host stopped after each test.
#pragma once

#include <gtest/gtest.h>

namespace testsupport {

class PluginOnHost : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

} // namespace testsupport
