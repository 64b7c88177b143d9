#include "sim/host/demo/DemoCommands.h"

#include <cstdio>

int DemoBoards(const DemoArgs&) {
    std::puts("boards: not available yet");
    return 0;
}
