// Placement of the parameter dialogs on the host window and the font their children share.
#pragma once

#include <windows.h>

// Made by the first placement, deleted through the host at finish; 0 until then.
extern HFONT sharedDialogFont;

// Centres the dialog on the reference's client area (null: the desktop), keeps it on the screen
// and gives its children the shared font.
void CenterDialog(HWND dialog, HWND reference);
// Top left corner of a dialog of the given size centred on `centre`, moved left or up to stay
// within `screen`, and right or down when it is larger than the screen.
POINT PlaceOnScreen(POINT centre, SIZE dialog, const RECT& screen);
HFONT MakeSharedDialogFont(HWND dialog);
BOOL CALLBACK ApplyFontToChild(HWND child, LPARAM font);
