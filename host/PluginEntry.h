// The plug-in's three exported functions and their shapes, which the host calls them by.
#pragma once

#include "host/HostInterface.h"

#include <type_traits>

typedef int(PEMO_EXPORT* SetupPemoDLLFn)(HWND hostMainWindow);
typedef int(PEMO_EXPORT* FinishPemoDLLFn)(int unused);
typedef int(PEMO_EXPORT* WEPFn)(int unused);

extern "C" {
// Binds the plug-in to the host whose main window is given; 1 when ready, 0 on failure.
__declspec(dllexport) int PEMO_EXPORT SetupPemoDLL(HWND hostMainWindow);
// Undoes set-up before the host unloads the plug-in; always 1.
__declspec(dllexport) int PEMO_EXPORT FinishPemoDLL(int unused);
__declspec(dllexport) int PEMO_EXPORT WEP(int unused);
}

// A host that calls through these types calls exactly what the plug-in defines.
static_assert(std::is_same<decltype(&SetupPemoDLL), SetupPemoDLLFn>::value, "");
static_assert(std::is_same<decltype(&FinishPemoDLL), FinishPemoDLLFn>::value, "");
static_assert(std::is_same<decltype(&WEP), WEPFn>::value, "");
