// The maker's popup in the host's main menu, and the host's setup command 4990.
#pragma once

#include "host/HostInterface.h"

void InsertMakerMenu();
void PEMO_HOSTCALL ShowSetupMessage(void);
