// The channel button: shows the state its parent gives it and reports mouse clicks; it never
// changes its own state on a click.
#include "host/HostBinding.h"
#include "ui/ChannelControls.h"
#include "ui/ControlPainting.h"

static void NotifyParent(HWND button, UINT message) {
    SendMessageA(GetParent(button), message, reinterpret_cast<WPARAM>(button),
                 ControlState(button));
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
        KeepFixedSize(window, reinterpret_cast<const CREATESTRUCTA*>(lParam), CHANNEL_PICTURE_WIDTH,
                      CHANNEL_PICTURE_HEIGHT);
        return 0;
    case WM_PAINT:
        PaintControl(window, nullptr, ChannelPictures());
        return 0;
    case WM_PRINTCLIENT:
        PaintControl(window, reinterpret_cast<HDC>(wParam), ChannelPictures());
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
