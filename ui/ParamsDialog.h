// The module parameter dialogs "LUMO31A_OUT" and "LUMO31A_IN".
#pragma once

#include <windows.h>

INT_PTR CALLBACK OutputParamsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK InputParamsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
