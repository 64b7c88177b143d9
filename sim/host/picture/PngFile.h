// PNG pictures through the Windows Imaging Component (IWICImagingFactory), which Windows and
// Wine both provide. A picture is saved safely (SaveFileSafely). Pixels are 32-bit BGRX (as a
// 32-bit DIB section holds them), top row first.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace standin {

bool SavePng(const std::wstring& path, int width, int height, const std::vector<uint32_t>& pixels,
             std::string* error);
// Decodes any picture WIC knows; the pixels come back as BGRA, top row first.
bool LoadPng(const std::wstring& path, int* width, int* height, std::vector<uint32_t>* pixels,
             std::string* error);

} // namespace standin
