// Placement of the parameter dialogs on the host window and the font their children share.
#pragma once

#include <windows.h>

// Made by the first placement, deleted through the host at finish; 0 until then.
extern HFONT sharedDialogFont;

void CenterDialog(HWND dialog, HWND reference);
HFONT MakeSharedDialogFont(HWND dialog);
BOOL CALLBACK ApplyFontToChild(HWND child, LPARAM font);
