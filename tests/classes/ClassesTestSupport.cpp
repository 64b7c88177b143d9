#include "tests/classes/ClassesTestSupport.h"

#include "host/HostBinding.h"
#include "host/PluginEntry.h"
#include "sim/host/StandInHost.h"

#include <cstdio>

namespace classestest {

void PluginOnHost::SetUp() {
    SetPluginInstance(GetModuleHandleA(nullptr));
    ASSERT_TRUE(standin::HostStart());
    standin::AttachPluginEntries(SetupPemoDLL, FinishPemoDLL, WEP);
    ASSERT_EQ(standin::CallSetup(), 1);
}

void PluginOnHost::TearDown() {
    standin::CallFinish();
    standin::HostStop();
}

bool operator==(const SeenMessage& a, const SeenMessage& b) {
    return a.message == b.message && a.wParam == b.wParam && a.lParam == b.lParam;
}

std::string Describe(const std::vector<SeenMessage>& messages) {
    std::string text;
    for (const SeenMessage& seen : messages) {
        char line[96];
        std::snprintf(line, sizeof line, "  (%u, 0x%llx, 0x%llx)\n", seen.message,
                      static_cast<unsigned long long>(seen.wParam),
                      static_cast<unsigned long long>(seen.lParam));
        text += line;
    }
    return text.empty() ? "  (none)\n" : text;
}

static std::vector<SeenMessage> recorded;

std::vector<SeenMessage>& RecordedMessages() {
    return recorded;
}

static LRESULT CALLBACK RecordingParentProc(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
    if (message == WM_COMMAND || (message >= WM_USER && message < 0x8000))
        recorded.push_back({message, wParam, lParam});
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateRecordingParent(int x, int y, int width, int height) {
    static const char* const className = "ClassesTestParent";
    static bool registered = false;
    if (!registered) {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = RecordingParentProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        windowClass.lpszClassName = className;
        registered = RegisterClassA(&windowClass) != 0;
    }
    HWND parent = CreateWindowA(className, "parent", WS_POPUP | WS_VISIBLE, x, y, width, height,
                                nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    UpdateWindow(parent);
    recorded.clear();
    return parent;
}

std::vector<COLORREF> WindowPixels(HWND window, int width, int height) {
    std::vector<COLORREF> pixels;
    HDC dc = GetDC(window);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels.push_back(GetPixel(dc, x, y));
    ReleaseDC(window, dc);
    return pixels;
}

std::vector<COLORREF> BitmapPixels(HBITMAP bitmap, int width, int height) {
    std::vector<COLORREF> pixels;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels.push_back(GetPixel(dc, x, y));
    SelectObject(dc, previous);
    DeleteDC(dc);
    return pixels;
}

HBITMAP SolidBitmap(int width, int height, COLORREF colour) {
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    RECT all = {0, 0, width, height};
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &all, brush);
    DeleteObject(brush);
    SelectObject(dc, previous);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return bitmap;
}

std::string Cp932(const std::wstring& text) {
    if (text.empty())
        return {};
    const int size =
        WideCharToMultiByte(932, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(size, '\0');
    WideCharToMultiByte(932, 0, text.data(), int(text.size()), &bytes[0], size, nullptr, nullptr);
    return bytes;
}

} // namespace classestest
