// Saving beside the target and swapping: the target is either the old file or the whole new
// one, never a half-written mix, whatever fails on the way.
#include "sim/host/support/SafeSave.h"

#include "sim/host/support/Files.h"
#include "sim/host/support/TextCodes.h"

#include <windows.h>

#include <algorithm>
#include <atomic>

namespace standin {

namespace {

std::atomic<int64_t> writeLimitForTests{-1};
std::atomic<unsigned> saveCounter{0};

constexpr DWORD CHUNK_BYTES = 1 << 20;
// A name may hold 255 characters: the new file's name keeps at most this much of the target's,
// so that its suffix still fits.
constexpr size_t TEMPORARY_NAME_KEPT = 200;

bool Fail(const std::wstring& path, DWORD code, std::string* error) {
    if (error)
        *error = WideToUtf8(path) + ": cannot be written: " + SystemReason(code);
    return false;
}

// A new file beside the target, created exclusively so that no other file is overwritten;
// INVALID_HANDLE_VALUE with the system's error when none can be made.
HANDLE CreateBeside(const std::wstring& target, std::wstring* temporary) {
    const size_t nameStart = target.find_last_of(L'\\') + 1;
    size_t kept = std::min(target.size() - nameStart, TEMPORARY_NAME_KEPT);
    if (kept > 0 && IS_HIGH_SURROGATE(target[nameStart + kept - 1]))
        --kept; // a character is not cut in halves
    const std::wstring stem = target.substr(0, nameStart + kept) + L".saving-" +
                              std::to_wstring(GetCurrentProcessId()) + L"-";
    for (int attempt = 0; attempt < 100; ++attempt) {
        *temporary = stem + std::to_wstring(++saveCounter) + L".tmp";
        const HANDLE file = CreateFileW(temporary->c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS)
            return file;
    }
    return INVALID_HANDLE_VALUE;
}

// Writes `bytes` after the `written` bytes already in the file.
bool WriteAll(HANDLE file, const std::string& bytes, int64_t& written) {
    const int64_t limit = writeLimitForTests;
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD chunk = DWORD(std::min<size_t>(bytes.size() - done, CHUNK_BYTES));
        const bool full = limit >= 0 && written + int64_t(chunk) > limit;
        if (full)
            chunk = DWORD(std::max<int64_t>(limit - written, 0));
        DWORD wrote = 0;
        if (chunk > 0 && !WriteFile(file, bytes.data() + done, chunk, &wrote, nullptr))
            return false;
        if (full || wrote != chunk) {
            SetLastError(ERROR_DISK_FULL); // a short write is a full disk
            return false;
        }
        done += wrote;
        written += wrote;
    }
    return true;
}

bool CanBeReplaced(const std::wstring& target) {
    const HANDLE file =
        CreateFileW(target.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}

// The new file, complete and on the disk, takes the target's place.
bool Swap(const std::wstring& temporary, const std::wstring& target, bool targetExists) {
    if (targetExists && ReplaceFileW(target.c_str(), temporary.c_str(), nullptr,
                                     REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr))
        return true;
    // Without a target, or where ReplaceFileW cannot serve (a file system without it, the
    // target just gone): a plain rename, which still either happens whole or not at all.
    return MoveFileExW(temporary.c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

} // namespace

bool SaveFileSafely(const std::wstring& path, const std::string& bytes, std::string* error) {
    bool given = false;
    return SaveFileSafely(
        path,
        [&](DWORD*) {
            const bool first = !given;
            given = true;
            return first ? &bytes : nullptr;
        },
        error);
}

bool SaveFileSafely(const std::wstring& path,
                    const std::function<const std::string*(DWORD* failed)>& next,
                    std::string* error) {
    // The full path, in the \\?\ form when it (with the new file's suffix) is too long for the
    // plain one.
    const std::wstring target = LongPathForm(path);
    if (target.empty())
        return Fail(path, ERROR_INVALID_NAME, error);
    const DWORD attributes = GetFileAttributesW(target.c_str());
    const bool targetExists = attributes != INVALID_FILE_ATTRIBUTES;
    // ReplaceFileW replaces a read-only file on some systems; the user's protection stands.
    if (targetExists && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        return Fail(path, ERROR_ACCESS_DENIED, error);

    // A target another program holds open without sharing its deletion cannot be swapped; it is
    // refused before anything is written (Wine's ReplaceFileW would leave a file of its own
    // behind).
    if (targetExists && !CanBeReplaced(target))
        return Fail(path, GetLastError(), error);

    std::wstring temporary;
    const HANDLE file = CreateBeside(target, &temporary);
    if (file == INVALID_HANDLE_VALUE)
        return Fail(path, GetLastError(), error);
    int64_t size = 0;
    DWORD failed = 0;
    bool written = true;
    for (const std::string* piece; written && (piece = next(&failed));)
        written = WriteAll(file, *piece, size);
    if (failed) {
        written = false;
        SetLastError(failed);
    }
    written = written && FlushFileBuffers(file);
    DWORD code = GetLastError();
    if (!CloseHandle(file) && written) {
        written = false;
        code = GetLastError();
    }
    if (written && Swap(temporary, target, targetExists))
        return true;
    if (written)
        code = GetLastError();
    DeleteFileW(temporary.c_str());
    return Fail(path, code, error);
}

void SetSaveWriteLimitForTests(int64_t bytes) {
    writeLimitForTests = bytes;
}

} // namespace standin
