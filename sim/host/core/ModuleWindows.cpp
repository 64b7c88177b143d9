// A module's window on the host's desk: its class picture, its name and its channel marks; a
// click picks it, a drag moves it, a double click opens its dialog.
#include "sim/host/core/HostInternal.h"

#include <algorithm>

namespace standin {

namespace {

const char moduleWindowClass[] = "PemoStandInModule";
bool windowClassRegistered = false;

ModuleRecord* RecordOf(HWND window) {
    return reinterpret_cast<ModuleRecord*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

// Small marks on the left edge for the input channels and on the right for the outputs, where
// the desk draws the connections.
void PaintPins(HDC dc, const ModuleRecord* record) {
    HBRUSH brush = CreateSolidBrush(RGB(0, 0, 160));
    for (int side = 0; side < 2; ++side) {
        const uint32_t count = side ? record->outputChannelCount : record->inputChannelCount;
        for (uint32_t channel = 0; channel < count && channel < MODULE_PINS; ++channel) {
            const int y = ModulePinY(channel);
            const RECT pin = {side ? MODULE_WIDTH - 6 : 0, y - 2, side ? MODULE_WIDTH : 4, y + 2};
            FillRect(dc, &pin, brush);
        }
    }
    DeleteObject(brush);
}

void PaintModule(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    // The whole face, not left to the background erase: under Wine's X driver a module was
    // seen left in the desk's colour.
    RECT face;
    GetClientRect(window, &face);
    FillRect(dc, &face, GetSysColorBrush(COLOR_BTNFACE));
    ModuleRecord* record = RecordOf(window);
    const RegisteredClass* moduleClass = record ? ClassOfModule(record) : nullptr;
    if (moduleClass && moduleClass->record.largeBitmap) {
        HDC memory = CreateCompatibleDC(dc);
        HGDIOBJ old =
            SelectObject(memory, HandleFromAddr32<HBITMAP>(moduleClass->record.largeBitmap));
        BitBlt(dc, 10, 2, 64, 46, memory, 0, 0, SRCCOPY);
        SelectObject(memory, old);
        DeleteDC(memory);
    }
    if (record) {
        PaintPins(dc, record);
        RECT box;
        GetClientRect(window, &box);
        box.top = box.bottom - 18;
        SetBkMode(dc, TRANSPARENT);
        DrawTextA(dc, record->moduleName, -1, &box, DT_CENTER | DT_SINGLELINE | DT_VCENTER);
    }
    EndPaint(window, &paint);
}

// The drag in progress: where the button went down, in the module's client coordinates.
struct Drag {
    HWND window = nullptr;
    POINT grip = {0, 0}; // from the window's corner, in the desk's pixels
    bool moved = false;
} drag;

POINT OnDesk(HWND window, LPARAM lParam) {
    POINT point = {short(LOWORD(lParam)), short(HIWORD(lParam))};
    MapWindowPoints(window, GetParent(window), &point, 1);
    return point;
}

void DragTo(HWND window, LPARAM lParam) {
    const POINT point = OnDesk(window, lParam);
    const int x = std::max<int>(0, point.x - drag.grip.x);
    const int y = std::max<int>(0, point.y - drag.grip.y);
    MoveModule(RecordOf(window), x, y);
    drag.moved = true;
    // The desk redraws the connections as the module goes.
    PostMessageA(GetParent(window), HOSTMSG_MODULE_MOVED, 0,
                 reinterpret_cast<LPARAM>(RecordOf(window)));
}

LRESULT CALLBACK ModuleWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        PaintModule(window);
        return 0;
    case WM_LBUTTONDOWN:
        drag = Drag{window, OnDesk(window, lParam), false};
        drag.grip.x -= ModulePosition(RecordOf(window)).x;
        drag.grip.y -= ModulePosition(RecordOf(window)).y;
        SetCapture(window);
        if (GetParent(window))
            PostMessageA(GetParent(window), HOSTMSG_MODULE_PICKED, 0,
                         reinterpret_cast<LPARAM>(RecordOf(window)));
        return 0;
    case WM_MOUSEMOVE:
        if (drag.window == window && (wParam & MK_LBUTTON))
            DragTo(window, lParam);
        return 0;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
        if (drag.window == window) {
            const bool moved = drag.moved;
            drag = Drag{};
            if (GetCapture() == window)
                ReleaseCapture();
            if (moved && GetParent(window))
                PostMessageA(GetParent(window), HOSTMSG_MODULE_MOVED, 0,
                             reinterpret_cast<LPARAM>(RecordOf(window)));
        }
        return 0;
    case WM_LBUTTONDBLCLK: {
        ModuleRecord* record = RecordOf(window);
        if (record)
            SendModuleMessage(record, MODMSG_PARAMETER_DIALOG);
        return 0;
    }
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void RegisterModuleWindowClass() {
    if (windowClassRegistered)
        return;
    WNDCLASSA windowClass = {};
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = ModuleWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = moduleWindowClass;
    windowClassRegistered = RegisterClassA(&windowClass) != 0;
}

} // namespace

HWND MakeModuleWindow(ModuleRecord* record, POINT position) {
    RegisterModuleWindowClass();
    HWND parent = MainWindow();
    const DWORD style = parent ? WS_CHILD | WS_VISIBLE | WS_BORDER : WS_POPUP | WS_BORDER;
    HWND window = CreateWindowExA(0, moduleWindowClass, record->moduleName, style, position.x,
                                  position.y, MODULE_WIDTH, MODULE_HEIGHT, parent, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    if (window)
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(record));
    return window;
}

void ForgetModuleWindowClass() {
    if (windowClassRegistered)
        UnregisterClassA(moduleWindowClass, GetModuleHandleA(nullptr));
    windowClassRegistered = false;
}

} // namespace standin
