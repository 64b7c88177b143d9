// The setting of the module tests: the plug-in's modules on simulated boards with a clock the
// test moves by hand (testsupport::PluginModules), a run per test, and readers of what reached
// the ports.
#pragma once

#include "device/BoardTable.h"
#include "modules/ModuleRecords.h"
#include "sim/driver/LumoSimControl.h"
#include "sim/host/core/HostControl.h"
#include "sim/host/flowchart/Worksheet.h"
#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace moduletest {

using testsupport::fakeTicks;
using testsupport::INPUT_CLASS;
using testsupport::OUTPUT_CLASS;

// Driver control of the simulated lumo31a.dll that the plug-in uses.
LumoSim& Sim();

class ModuleTest : public testsupport::PluginModules {
protected:
    void TearDown() override;
    // Starts an experiment with the module (MODMSG_EXPERIMENT_START), then clears the logs;
    // the run is stopped (MODMSG_EXPERIMENT_STOP) at tear-down.
    ModuleRecord* StartRun(ModuleRecord* module);

    ModuleRecord* started = nullptr; // the module of StartRun
};

// A module of the class whose stored block names slot and port, restored (MODMSG_RESTORE) as
// when a flow chart is loaded.
ModuleRecord* RestoredModule(const char* className, uint16_t slot, uint16_t port, uint32_t inputs,
                             uint32_t outputs);
// MODMSG_CREATE with the user confirming "DEV_SEL" after choosing combo box entry `portEntry`
// (or cancelling when portEntry is -1). Returns the handler's result.
int32_t CreateThroughDialog(ModuleRecord* module, int portEntry);

// Driver calls of one entry for a slot and port since the log was cleared: the data bytes.
std::vector<int> PortWrites(int slot, int port);
std::vector<int> PortReads(int slot, int port);
// Titles and texts of the warnings the plug-in showed.
std::vector<std::string> WarningTitles();

} // namespace moduletest
