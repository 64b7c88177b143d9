// The millisecond tick count that paces the input module. Tests that link the plug-in's parts
// put their own clock here so that the cases at a due tick are exact.
#pragma once

#include <windows.h>

typedef DWORD(WINAPI* TickCountFn)(void);

// GetTickCount unless replaced.
extern TickCountFn ReadTickCount;
