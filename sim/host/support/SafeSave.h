// Saving a file the user may already have, so that a failure never loses it: the new content
// goes to a file of its own beside the target and takes the target's place in one rename.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

namespace standin {

// Puts `bytes` in place as the whole content of `path`: written to a new file beside it (same
// folder, so the swap is a rename on one volume), flushed, then put in the target's place with
// ReplaceFileW (keeping the target's attributes and ACL) or, when there is no target or
// ReplaceFileW cannot serve, MoveFileExW(MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH).
// A read-only target is refused (ERROR_ACCESS_DENIED). On any failure (disk full, read-only
// target, folder gone, target held open without share rights, ...) the previous file stays as
// it was, the new file is removed, and *error (if given) holds one UTF-8 line:
// "<path>: cannot be written: <the system's reason>". Any path: relative, non-ASCII, longer
// than MAX_PATH.
bool SaveFileSafely(const std::wstring& path, const std::string& bytes, std::string* error);
// The same for content too large to hold at once: `next` gives it piece by piece, null after the
// last; a system error code it sets in `*failed` abandons the save with that reason.
bool SaveFileSafely(const std::wstring& path,
                    const std::function<const std::string*(DWORD* failed)>& next,
                    std::string* error);

// For tests only: each SaveFileSafely writes at most `bytes` bytes of its new file, then its
// write fails with ERROR_DISK_FULL, as on a disk that fills up; -1 (the default): no limit.
void SetSaveWriteLimitForTests(int64_t bytes);

} // namespace standin
