// The setting of the classes tests: the stand-in host with the plug-in's parts linked in, a
// parent window that records what the custom controls tell it, and pixel readers.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace classestest {

// Each test: host started, plug-in set up (classes, menu, window classes); finished and
// stopped after the test.
class PluginOnHost : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

// A message as the parent window received it.
struct SeenMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
bool operator==(const SeenMessage& a, const SeenMessage& b);
std::string Describe(const std::vector<SeenMessage>& messages);

// A visible top-level window that records the notifications its children send it
// (WM_COMMAND and every message from WM_USER on).
HWND CreateRecordingParent(int x, int y, int width, int height);
std::vector<SeenMessage>& RecordedMessages();

// Pixels of a window as painted, and of a bitmap, row by row.
std::vector<COLORREF> WindowPixels(HWND window, int width, int height);
std::vector<COLORREF> BitmapPixels(HBITMAP bitmap, int width, int height);

// A bitmap filled with one colour.
HBITMAP SolidBitmap(int width, int height, COLORREF colour);

// Code page 932 bytes of UTF-16 text.
std::string Cp932(const std::wstring& text);

} // namespace classestest
