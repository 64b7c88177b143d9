// The setting of the stand-in host's own tests: the plug-in on simulated boards with the
// loopback example open, as `pemo_host run examples/loopback.json` has it.
#pragma once

#include "sim/host/flowchart/FlowChartFile.h"
#include "sim/host/core/HostControl.h"
#include "tests/common/TestSupport.h"

#include <string>

namespace standintest {

std::wstring LoopbackPath(); // examples/loopback.json of the source tree
using testsupport::FileBytes;
using testsupport::PutFile;
using testsupport::TemporaryPath;

// The driver configured from the example's own configuration, the flow chart opened.
class Loopback : public testsupport::PluginOnBoards {
protected:
    std::string DriverSetup() const override;
    void SetUp() override;
};

} // namespace standintest
