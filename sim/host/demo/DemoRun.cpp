#include "sim/host/demo/DemoCommands.h"

#include <cstdio>

int DemoRun(const DemoArgs&) {
    std::puts("run: not available yet");
    return 0;
}
