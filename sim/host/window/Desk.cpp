// The desk: the open flow chart on the main window (the core draws the modules' windows; the
// connections and the selection are drawn here), and the main window's messages the program takes.
#include "sim/host/window/WindowState.h"

#include <commctrl.h>

namespace standin {

namespace {

POINT Pin(ModuleRecord* module, bool output, uint32_t channel) {
    const POINT at = ModulePosition(module);
    return POINT{at.x + (output ? MODULE_WIDTH : 0), at.y + ModulePinY(channel)};
}

void PaintDesk(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT area;
    GetClientRect(window, &area);
    FillRect(dc, &area, GetSysColorBrush(COLOR_APPWORKSPACE));
    HPEN pen = CreatePen(PS_SOLID, 2, RGB(0, 0, 160));
    HGDIOBJ old = SelectObject(dc, pen);
    for (const Connection& connection : Connections()) {
        const POINT from = Pin(connection.from, true, connection.outChannel);
        const POINT to = Pin(connection.to, false, connection.inChannel);
        MoveToEx(dc, from.x, from.y, nullptr);
        const int middle = (from.x + to.x) / 2;
        LineTo(dc, middle, from.y);
        LineTo(dc, middle, to.y);
        LineTo(dc, to.x, to.y);
    }
    SelectObject(dc, old);
    DeleteObject(pen);
    if (app.selected) {
        const POINT at = ModulePosition(app.selected);
        RECT mark = {at.x - 4, at.y - 4, at.x + MODULE_WIDTH + 4, at.y + MODULE_HEIGHT + 4};
        HBRUSH brush = CreateSolidBrush(RGB(255, 200, 0));
        FillRect(dc, &mark, brush);
        DeleteObject(brush);
    }
    EndPaint(window, &paint);
}

} // namespace

bool OnMainMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    switch (message) {
    case WM_PAINT:
        PaintDesk(window);
        return true;
    case WM_ERASEBKGND:
        *result = 1;
        return true;
    case WM_SIZE:
        SendMessageA(app.statusBar, WM_SIZE, wParam, lParam);
        {
            const int width = LOWORD(lParam);
            const int parts[4] = {width / 5, 2 * width / 5, width / 2, -1};
            SendMessageA(app.statusBar, SB_SETPARTS, 4, LPARAM(parts));
        }
        return false;
    case WM_TIMER:
        if (wParam != RUN_TIMER)
            return false;
        OnRunTimer();
        return true;
    case HOSTMSG_MODULE_PICKED:
        SelectModule(reinterpret_cast<ModuleRecord*>(lParam));
        return true;
    case HOSTMSG_MODULE_MOVED:
        MarkChanged();
        Refresh();
        return true;
    case WM_LBUTTONDOWN:
        SelectModule(nullptr);
        return true;
    }
    return false;
}

} // namespace standin
