// The channel button: shows the state its parent gives it and reports mouse clicks; it never
// changes its own state on a click.
#include "host/HostBinding.h"
#include "ui/ChannelControls.h"
#include "ui/ControlPainting.h"

// Fixed pixel size, whatever the dialog units of the template.
static const int CHANNEL_BUTTON_WIDTH = 22;
static const int CHANNEL_BUTTON_HEIGHT = 30;

static void NotifyParent(HWND button, UINT message) {
    SendMessageA(GetParent(button), message, reinterpret_cast<WPARAM>(button),
                 ControlState(button));
}

static void OnChannelCreate(HWND button, const CREATESTRUCTA* creation) {
    MoveWindow(button, creation->x, creation->y, CHANNEL_BUTTON_WIDTH, CHANNEL_BUTTON_HEIGHT, TRUE);
}

static void OnChannelSetState(HWND button, WPARAM state) {
    SetControlState(button, LOWORD(state));
    InvalidateRect(button, nullptr, FALSE);
}

// Double-clicks mean nothing while an experiment runs.
static void OnChannelDoubleClick(HWND button, UINT notification) {
    if (!hostBinding.bExperimentIsRunning)
        NotifyParent(button, notification);
}

static void OnChannelDeselect(HWND button) {
    if (ControlState(button) != CHANNEL_SELECTED)
        return;
    SetControlState(button, CHANNEL_IN_USE);
    InvalidateRect(button, nullptr, FALSE);
}

LRESULT CALLBACK ChannelButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        OnChannelCreate(window, reinterpret_cast<const CREATESTRUCTA*>(lParam));
        return 0;
    case WM_PAINT:
        PaintControl(window, ChannelPictures());
        return 0;
    case CTLM_SETSTATE:
        OnChannelSetState(window, wParam);
        return 0;
    case WM_LBUTTONDOWN:
        NotifyParent(window, CTLM_CHANNELDOWN);
        return 0;
    case WM_LBUTTONUP:
        NotifyParent(window, CTLM_CHANNELUP);
        return 0;
    case WM_LBUTTONDBLCLK:
        OnChannelDoubleClick(window, CTLM_CHANNELDBLCLK);
        return 0;
    case WM_RBUTTONDBLCLK:
        OnChannelDoubleClick(window, CTLM_CHANNELRDBLCLK);
        return 0;
    case CTLM_DESELECT:
        OnChannelDeselect(window);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}
