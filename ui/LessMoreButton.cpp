// The less/more button: a push button with its own press, capture and release logic. Its state
// says which side it is (0 to 2 less, 3 and up more) and how it looks.
#include "res/ResourceIds.h"
#include "ui/ChannelControls.h"
#include "ui/ControlPainting.h"

static bool IsDisabledState(WORD state) {
    return state == LESS_DISABLED || state == MORE_DISABLED;
}

static bool IsLessSide(WORD state) {
    return state < MORE_DISABLED;
}

// Shows a new state before anything else happens.
static void ShowState(HWND button, WORD state) {
    SetControlState(button, state);
    InvalidateRect(button, nullptr, FALSE);
    UpdateWindow(button);
}

static void OnLessMoreSetState(HWND button, WPARAM state) {
    SetControlState(button, LOWORD(state));
    InvalidateRect(button, nullptr, FALSE);
}

static void OnLessMorePress(HWND button) {
    const WORD state = ControlState(button);
    if (IsDisabledState(state))
        return;
    ShowState(button, IsLessSide(state) ? LESS_PRESSED : MORE_PRESSED);
    SetCapture(button);
}

// Completes a click only while the press holds the capture: a release anywhere on the screen
// counts, and a lost capture leaves the button pressed and silent.
static void OnLessMoreRelease(HWND button) {
    if (GetCapture() != button)
        return;
    const WORD state = ControlState(button);
    if (IsDisabledState(state))
        return;
    ReleaseCapture();
    const bool less = IsLessSide(state);
    ShowState(button, less ? LESS_UP : MORE_UP);
    SendMessageA(GetParent(button), WM_COMMAND, less ? IDC_LESS : IDC_MORE, 0);
}

LRESULT CALLBACK LessMoreButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        KeepFixedSize(window, reinterpret_cast<const CREATESTRUCTA*>(lParam),
                      LESS_MORE_PICTURE_WIDTH, LESS_MORE_PICTURE_HEIGHT);
        return 0;
    case WM_PAINT:
        PaintControl(window, nullptr, LessMorePictures());
        return 0;
    case WM_PRINTCLIENT:
        PaintControl(window, reinterpret_cast<HDC>(wParam), LessMorePictures());
        return 0;
    case CTLM_SETSTATE:
        OnLessMoreSetState(window, wParam);
        return 0;
    case WM_LBUTTONDOWN:
        OnLessMorePress(window);
        return 0;
    case WM_LBUTTONUP:
        OnLessMoreRelease(window);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}
