// The maker's popup in the host's main menu, and the host's setup command
// (HOSTCMD_DEVICE_SETUP).
#pragma once

#include "host/HostInterface.h"

void InsertMakerMenu();
void PEMO_HOSTCALL ShowSetupMessage(void);
