// Names of ports as the dialogs show them, by kind; any unknown number has a name too.
#pragma once

#include "device/BoardTable.h"

const char* PortName(PortKind kind, unsigned port);
