#include "sim/host/support/Console.h"

#include "sim/host/support/TextCodes.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <vector>

namespace standin {

namespace {

std::mutex consoleMutex; // the processing thread's echo and the program's lines do not mix

} // namespace

bool OutputIsConsole() {
    DWORD mode;
    return GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
}

void ConsolePrint(const std::string& utf8) {
    std::lock_guard<std::mutex> lock(consoleMutex);
    if (!OutputIsConsole()) {
        std::fwrite(utf8.data(), 1, utf8.size(), stdout);
        std::fflush(stdout);
        return;
    }
    const std::wstring wide = Utf8ToWide(utf8);
    DWORD written;
    WriteConsoleW(GetStdHandle(STD_OUTPUT_HANDLE), wide.data(), DWORD(wide.size()), &written,
                  nullptr);
}

namespace {

std::string FormatList(const char* format, va_list arguments) {
    va_list again;
    va_copy(again, arguments);
    const int length = std::vsnprintf(nullptr, 0, format, arguments);
    std::vector<char> text(size_t(length > 0 ? length : 0) + 1);
    std::vsnprintf(text.data(), text.size(), format, again);
    va_end(again);
    return std::string(text.data(), text.size() - 1);
}

} // namespace

void ConsolePrintf(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    const std::string text = FormatList(format, arguments);
    va_end(arguments);
    ConsolePrint(text);
}

std::string FormatText(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    std::string text = FormatList(format, arguments);
    va_end(arguments);
    return text;
}

} // namespace standin
