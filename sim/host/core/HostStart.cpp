// Start and stop of the whole stand-in host: each part in turn, in an order where every part
// finds what it needs already made.
#include "sim/host/core/HostInternal.h"

#include <algorithm>
#include <vector>

namespace standin {

namespace {

HostOptions options;
HostFaults faults;
bool started = false;
std::vector<void (*)()> stopActions; // AtHostStop

} // namespace

HostOptions& Options() {
    return options;
}

HostFaults& Faults() {
    return faults;
}

void AtHostStop(void (*action)()) {
    if (std::find(stopActions.begin(), stopActions.end(), action) == stopActions.end())
        stopActions.push_back(action);
}

bool HostStart(const HostOptions& startOptions) {
    if (started)
        HostStop();
    options = startOptions;
    faults = HostFaults();
    started = true;
    // Memory first: the name table, bitmaps arrays and modules live in it.
    if (StartMemory(options.guardPages) && StartMainWindow() && StartBitmaps() &&
        StartNameTable() && StartHelpWindow())
        return true;
    HostStop();
    return false;
}

void HostStop() {
    if (!started)
        return;
    for (auto action = stopActions.rbegin(); action != stopActions.rend(); ++action)
        (*action)();
    StopPlugin();
    StopExperiments();
    StopBlocks();
    StopModules();
    StopClasses();
    StopFonts();
    StopHelpWindow();
    StopNameTable();
    StopBitmaps();
    StopMainWindow();
    ClearRecords();
    StopMemory();
    faults = HostFaults();
    started = false;
}

} // namespace standin
