#include "tests/classes/ClassesTestSupport.h"

#include "ui/ChannelControls.h"

namespace classestest {

static std::vector<COLORREF> PixelsOf(HDC dc, int width, int height) {
    std::vector<COLORREF> pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels.push_back(GetPixel(dc, x, y));
    return pixels;
}

std::vector<COLORREF> WindowPixels(HWND window, int width, int height) {
    HDC dc = GetDC(window);
    std::vector<COLORREF> pixels = PixelsOf(dc, width, height);
    ReleaseDC(window, dc);
    return pixels;
}

std::vector<COLORREF> BitmapPixels(HBITMAP bitmap, int width, int height) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    std::vector<COLORREF> pixels = PixelsOf(dc, width, height);
    SelectObject(dc, previous);
    DeleteDC(dc);
    return pixels;
}

std::vector<COLORREF> PrintedPixels(HWND control, int width, int height,
                                    std::initializer_list<WORD> states) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(nullptr, screen);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    for (WORD state : states) {
        SendMessageA(control, CTLM_SETSTATE, state, 0);
        SendMessageA(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    }
    std::vector<COLORREF> pixels = PixelsOf(dc, width, height);
    SelectObject(dc, previous);
    DeleteObject(bitmap);
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
