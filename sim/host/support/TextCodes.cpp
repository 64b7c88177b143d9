#include "sim/host/support/TextCodes.h"

#include <windows.h>

namespace standin {

namespace {

std::wstring ToWide(UINT codePage, DWORD flags, const std::string& text, bool* valid = nullptr) {
    if (valid)
        *valid = true;
    if (text.empty())
        return {};
    const int length =
        MultiByteToWideChar(codePage, flags, text.data(), int(text.size()), nullptr, 0);
    if (length <= 0) {
        if (valid)
            *valid = false;
        return {};
    }
    std::wstring wide(size_t(length), L'\0');
    MultiByteToWideChar(codePage, flags, text.data(), int(text.size()), &wide[0], length);
    return wide;
}

std::string FromWide(UINT codePage, const std::wstring& wide) {
    if (wide.empty())
        return {};
    const int length = WideCharToMultiByte(codePage, 0, wide.data(), int(wide.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string text(size_t(length > 0 ? length : 0), '\0');
    if (length > 0)
        WideCharToMultiByte(codePage, 0, wide.data(), int(wide.size()), &text[0], length, nullptr,
                            nullptr);
    return text;
}

// One character (a surrogate pair whole) of `wide` at `at`.
std::wstring CharacterAt(const std::wstring& wide, size_t at) {
    const bool pair = wide[at] >= 0xD800 && wide[at] <= 0xDBFF && at + 1 < wide.size();
    return wide.substr(at, pair ? 2 : 1);
}

} // namespace

std::wstring Utf8ToWide(const std::string& utf8) {
    return ToWide(CP_UTF8, 0, utf8);
}

std::string WideToUtf8(const std::wstring& wide) {
    return FromWide(CP_UTF8, wide);
}

std::wstring Cp932ToWide(const std::string& cp932) {
    return ToWide(932, 0, cp932);
}

std::string Cp932ToUtf8(const std::string& cp932) {
    return WideToUtf8(Cp932ToWide(cp932));
}

bool WideToCp932(const std::wstring& wide, std::string* out, std::string* lacking) {
    out->clear();
    // Character by character, so that the first one the code page lacks can be named; best-fit
    // mappings (é to e) count as lacking.
    for (size_t at = 0; at < wide.size();) {
        const std::wstring character = CharacterAt(wide, at);
        char bytes[8];
        BOOL lost = FALSE;
        const int length =
            WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, character.data(), int(character.size()),
                                bytes, sizeof bytes, nullptr, &lost);
        if (length <= 0 || lost || Cp932ToWide(std::string(bytes, size_t(length))) != character) {
            if (lacking)
                *lacking = WideToUtf8(character);
            out->clear();
            return false;
        }
        out->append(bytes, size_t(length));
        at += character.size();
    }
    return true;
}

bool Utf8ToCp932(const std::string& utf8, std::string* out, std::string* lacking) {
    bool valid = true;
    const std::wstring wide = ToWide(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, &valid);
    if (!valid) {
        out->clear();
        if (lacking)
            lacking->clear();
        return false;
    }
    return WideToCp932(wide, out, lacking);
}

} // namespace standin
