// The about box: only its OK button (or Enter) closes it.
#include "ui/AboutBox.h"

#include "host/HostBinding.h"
#include "res/ResourceIds.h"

static INT_PTR OnAboutInitDialog(HWND dialog) {
    char version[128];
    LoadStringA(hostBinding.instance, IDS_VERSION_TEXT, version, sizeof version);
    SetDlgItemTextA(dialog, IDC_ABOUT_TEXT, version);
    return TRUE;
}

// Escape arrives as command 2 and is swallowed like every command but a plain IDOK.
static INT_PTR OnAboutCommand(HWND dialog, WPARAM wParam) {
    if (wParam == IDOK)
        EndDialog(dialog, 0);
    return TRUE;
}

INT_PTR CALLBACK AboutBoxProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        return OnAboutInitDialog(dialog);
    case WM_COMMAND:
        return OnAboutCommand(dialog, wParam);
    case WM_CLOSE: // the close box does nothing
        return TRUE;
    default:
        return FALSE;
    }
}
