// Pixel readers and text helpers of the classes tests.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace classestest {

// Pixels of a window as painted on the screen, and of a bitmap, row by row.
std::vector<COLORREF> WindowPixels(HWND window, int width, int height);
std::vector<COLORREF> BitmapPixels(HBITMAP bitmap, int width, int height);

// What the control paints into a memory bitmap of that size (WM_PRINTCLIENT), set to each of
// the states in turn, all into the same bitmap.
std::vector<COLORREF> PrintedPixels(HWND control, int width, int height,
                                    std::initializer_list<WORD> states);

// A bitmap filled with one colour.
HBITMAP SolidBitmap(int width, int height, COLORREF colour);

// Code page 932 bytes of UTF-16 text.
std::string Cp932(const std::wstring& text);

} // namespace classestest
