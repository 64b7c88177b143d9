// Pixel readers and text helpers of the classes tests.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace classestest {

// Pixels of a window as painted on the screen, and of a bitmap, row by row.
std::vector<COLORREF> WindowPixels(HWND window, int width, int height);
std::vector<COLORREF> BitmapPixels(HBITMAP bitmap, int width, int height);

// A memory bitmap selected into a device context, for controls to paint into (WM_PRINTCLIENT).
class MemoryCanvas {
public:
    MemoryCanvas(int width, int height);
    ~MemoryCanvas();
    MemoryCanvas(const MemoryCanvas&) = delete;
    MemoryCanvas& operator=(const MemoryCanvas&) = delete;
    // Has the control paint its client area here.
    void Print(HWND control);
    std::vector<COLORREF> Pixels() const;

private:
    int width, height;
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ previous;
};

// A bitmap filled with one colour.
HBITMAP SolidBitmap(int width, int height, COLORREF colour);

// Code page 932 bytes of UTF-16 text.
std::string Cp932(const std::wstring& text);

} // namespace classestest
