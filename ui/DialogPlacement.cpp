// Placement of the parameter dialogs and the font their children share.
#include "ui/DialogPlacement.h"

#include "host/HostBinding.h"

#include <cstring>

HFONT sharedDialogFont;

static SIZE WindowSize(HWND window) {
    RECT frame;
    GetWindowRect(window, &frame);
    return {frame.right - frame.left, frame.bottom - frame.top};
}

// The centre of the reference's client area in screen coordinates, kept signed: a host window
// left of or above the primary screen has a negative centre. Without a reference, the centre
// of the desktop.
static POINT ReferenceCentre(HWND reference) {
    RECT area;
    if (!reference) {
        GetWindowRect(GetDesktopWindow(), &area);
        return {(area.right - area.left) / 2, (area.bottom - area.top) / 2};
    }
    GetClientRect(reference, &area);
    POINT centre = {(area.right - area.left) / 2, (area.bottom - area.top) / 2};
    ClientToScreen(reference, &centre);
    return centre;
}

// The screen that shows the centre, or the one nearest to it.
static RECT ScreenAround(POINT centre) {
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    if (GetMonitorInfoA(MonitorFromPoint(centre, MONITOR_DEFAULTTONEAREST), &monitor))
        return monitor.rcMonitor;
    return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

POINT PlaceOnScreen(POINT centre, SIZE dialog, const RECT& screen) {
    POINT corner = {centre.x - dialog.cx / 2, centre.y - dialog.cy / 2};
    if (corner.x + dialog.cx > screen.right)
        corner.x = screen.right - dialog.cx;
    if (corner.y + dialog.cy > screen.bottom)
        corner.y = screen.bottom - dialog.cy;
    // The top left corner wins when the dialog is larger than the screen.
    if (corner.x < screen.left)
        corner.x = screen.left;
    if (corner.y < screen.top)
        corner.y = screen.top;
    return corner;
}

void CenterDialog(HWND dialog, HWND reference) {
    const SIZE size = WindowSize(dialog);
    const POINT centre = ReferenceCentre(reference);
    const POINT corner = PlaceOnScreen(centre, size, ScreenAround(centre));
    MoveWindow(dialog, corner.x, corner.y, size.cx, size.cy, FALSE);
    if (!sharedDialogFont)
        sharedDialogFont = MakeSharedDialogFont(dialog);
    EnumChildWindows(dialog, ApplyFontToChild, reinterpret_cast<LPARAM>(sharedDialogFont));
}

// The dialog's own font at normal weight, made by the host so that the host can account for it.
HFONT MakeSharedDialogFont(HWND dialog) {
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
    if (!font)
        return nullptr;
    LOGFONTA description;
    if (!GetObjectA(font, sizeof description, &description))
        return nullptr;
    description.lfWeight = FW_NORMAL;
    return hostBinding.services.CreateStackedFontIndirect(&description);
}

// Edit fields, list boxes and combo boxes keep the dialog's own font.
static bool KeepsDialogFont(const char* className) {
    return _stricmp(className, "EDIT") == 0 || _stricmp(className, "LISTBOX") == 0 ||
           _stricmp(className, "COMBOBOX") == 0;
}

BOOL CALLBACK ApplyFontToChild(HWND child, LPARAM font) {
    static char className[100];
    GetClassNameA(child, className, sizeof className);
    if (!KeepsDialogFont(className))
        SendMessageA(child, WM_SETFONT, static_cast<WPARAM>(font), 0);
    return TRUE;
}
