// Text for the person at the console: UTF-8 in the program, shown as a Windows user expects.
// On a console window the text goes out as UTF-16 (WriteConsoleW), so Japanese shows whatever
// the console's code page; redirected to a file or a pipe it is written as UTF-8 bytes.
#pragma once

#include <string>

namespace standin {

void ConsolePrint(const std::string& utf8);
// printf-style, the arguments UTF-8 where they are text.
void ConsolePrintf(const char* format, ...) __attribute__((format(gnu_printf, 1, 2)));
// printf into a string of any length.
std::string FormatText(const char* format, ...) __attribute__((format(gnu_printf, 1, 2)));
// Whether standard output is a console window (not a file or a pipe).
bool OutputIsConsole();

} // namespace standin
