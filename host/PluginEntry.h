// The plug-in's three exported functions.
#pragma once

#include "host/HostInterface.h"

extern "C" {
// Binds the plug-in to the host whose main window is given; 1 when ready, 0 on failure.
__declspec(dllexport) int PEMO_EXPORT SetupPemoDLL(HWND hostMainWindow);
// Undoes set-up before the host unloads the plug-in; always 1.
__declspec(dllexport) int PEMO_EXPORT FinishPemoDLL(int unused);
__declspec(dllexport) int PEMO_EXPORT WEP(int unused);
}
