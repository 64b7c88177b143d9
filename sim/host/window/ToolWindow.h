// What the host's tool windows (the strip chart, the board panel) share: a class of their own,
// a frame owned by the main window that closing only hides, and painting through a memory
// bitmap, since they redraw several times a second.
#pragma once

#include <windows.h>

#include <functional>

namespace standin {

struct ToolWindowShape {
    const char* className;
    WNDPROC procedure;
    LPCSTR cursor; // a system cursor (IDC_ARROW, IDC_HAND)
    const char* title;
    DWORD style;
    int x, y, width, height; // the frame, in screen coordinates
};

// Registers the class (once) and makes the window, hidden, owned by `owner`.
HWND MakeToolWindow(HWND owner, const ToolWindowShape& shape);
// The messages a tool window's procedure leaves: the background is not erased (the paint
// covers it), closing hides, the rest go to DefWindowProcA.
LRESULT ToolWindowDefault(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// WM_PAINT: `draw` paints the whole client area on a memory bitmap, which then goes to the
// screen in one copy.
void PaintBuffered(HWND window, const std::function<void(HDC, const RECT&)>& draw);

} // namespace standin
