// The one place where text changes its code: UTF-16 for paths and everything Windows shows,
// UTF-8 for files, reports and the console, code page 932 for what goes to the plug-in or
// comes from it. A conversion into code page 932 is exact or refused: a character the code
// page lacks is never replaced by "?" on its way to the plug-in.
#pragma once

#include <string>

namespace standin {

std::wstring Utf8ToWide(const std::string& utf8);
std::string WideToUtf8(const std::wstring& wide);
std::wstring Cp932ToWide(const std::string& cp932);
std::string Cp932ToUtf8(const std::string& cp932);
// False, with `out` cleared, when a character has no place in code page 932 (or the UTF-8 is
// not valid); `lacking` (when given) then holds the first such character, as UTF-8.
bool WideToCp932(const std::wstring& wide, std::string* out, std::string* lacking = nullptr);
bool Utf8ToCp932(const std::string& utf8, std::string* out, std::string* lacking = nullptr);
// For literals of our own sources, which the compiler stores in code page 932.
inline std::wstring Wide932(const char* cp932) {
    return Cp932ToWide(cp932);
}

} // namespace standin
