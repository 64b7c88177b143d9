// The about box "ABOUTLUMO35", opened by the parameter dialogs' version button.
#pragma once

#include <windows.h>

INT_PTR CALLBACK AboutBoxProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
