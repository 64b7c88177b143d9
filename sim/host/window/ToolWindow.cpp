#include "sim/host/window/ToolWindow.h"

namespace standin {

HWND MakeToolWindow(HWND owner, const ToolWindowShape& shape) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = shape.procedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursorA(nullptr, shape.cursor);
    windowClass.lpszClassName = shape.className;
    RegisterClassA(&windowClass); // fails harmlessly when still registered
    return CreateWindowExA(WS_EX_TOOLWINDOW, shape.className, shape.title, shape.style, shape.x,
                           shape.y, shape.width, shape.height, owner, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
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
