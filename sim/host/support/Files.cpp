#include "sim/host/support/Files.h"

#include "sim/host/support/TextCodes.h"

#include <windows.h>

namespace standin {

std::wstring FullPath(const std::wstring& path) {
    if (path.empty())
        return path;
    const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0)
        return path;
    std::wstring full(size, L'\0');
    const DWORD length = GetFullPathNameW(path.c_str(), size, &full[0], nullptr);
    if (length == 0 || length >= size)
        return path;
    full.resize(length);
    return full;
}

std::wstring LongPathForm(const std::wstring& path) {
    const std::wstring full = FullPath(path);
    // Room for the name of a file saved beside it (".saving-<pid>-<counter>.tmp").
    if (full.size() + 40 < MAX_PATH || full.compare(0, 4, L"\\\\?\\") == 0 ||
        full.compare(0, 4, L"\\\\.\\") == 0)
        return full;
    if (full.compare(0, 2, L"\\\\") == 0) // \\server\share\...
        return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

std::string SystemReason(unsigned long errorCode) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, errorCode, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring reason = length && text ? std::wstring(text, length) : std::wstring();
    if (text)
        LocalFree(text);
    while (!reason.empty() && (reason.back() == L'\n' || reason.back() == L'\r' ||
                               reason.back() == L' ' || reason.back() == L'.'))
        reason.pop_back();
    if (reason.empty())
        return "error " + std::to_string(errorCode);
    return WideToUtf8(reason);
}

bool FileExists(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(LongPathForm(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool ReadWholeFile(const std::wstring& path, std::string* bytes, std::string* error) {
    bytes->clear();
    HANDLE file = CreateFileW(LongPathForm(path).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD failure = file == INVALID_HANDLE_VALUE ? GetLastError() : 0;
    LARGE_INTEGER size = {};
    if (!failure && !GetFileSizeEx(file, &size))
        failure = GetLastError();
    if (!failure && size.QuadPart > 0x40000000) // a gigabyte is no file of ours
        failure = ERROR_FILE_TOO_LARGE;
    if (!failure) {
        bytes->resize(size_t(size.QuadPart));
        size_t at = 0;
        while (at < bytes->size()) {
            DWORD got = 0;
            if (!ReadFile(file, &(*bytes)[at], DWORD(bytes->size() - at), &got, nullptr)) {
                failure = GetLastError();
                break;
            }
            if (got == 0)
                break;
            at += got;
        }
        bytes->resize(at);
    }
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    if (failure) {
        bytes->clear();
        if (error)
            *error = WideToUtf8(path) + ": cannot be read: " + SystemReason(failure);
        return false;
    }
    return true;
}

} // namespace standin
