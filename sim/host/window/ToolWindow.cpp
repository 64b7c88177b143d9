#include "sim/host/window/ToolWindow.h"

namespace standin {

HWND MakeToolWindow(HWND owner, const ToolWindowSpec& spec) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = spec.procedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursorA(nullptr, spec.cursor);
    windowClass.lpszClassName = spec.className;
    RegisterClassA(&windowClass); // fails harmlessly when still registered
    return CreateWindowExA(WS_EX_TOOLWINDOW, spec.className, spec.title, spec.style, spec.x, spec.y,
                           spec.width, spec.height, owner, nullptr, GetModuleHandleA(nullptr),
                           nullptr);
}

LRESULT ToolWindowDefault(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_CLOSE:
        ShowWindow(window, SW_HIDE);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void PaintBuffered(HWND window, const std::function<void(HDC, const RECT&)>& draw) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT area;
    GetClientRect(window, &area);
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, area.right, area.bottom);
    HGDIOBJ old = SelectObject(memory, bitmap);
    draw(memory, area);
    BitBlt(dc, 0, 0, area.right, area.bottom, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    EndPaint(window, &paint);
}

} // namespace standin
