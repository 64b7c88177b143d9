// Files by UTF-16 path, as Windows names them: whatever letters a user's folders hold, however
// deep they lie. Writing a file a user may already have goes through SaveFileSafely
// (SafeSave.h), never through these.
#pragma once

#include <string>

namespace standin {

// The whole file as bytes. False, with one UTF-8 line "<path>: cannot be read: <reason>" in
// `error`, when it cannot be opened or read.
bool ReadWholeFile(const std::wstring& path, std::string* bytes, std::string* error = nullptr);
bool FileExists(const std::wstring& path); // a file, not a folder
// The full path of `path` (relative to the current folder), any length; `path` itself when
// Windows cannot make one.
std::wstring FullPath(const std::wstring& path);
// What Windows says of an error code, one line without its full stop's line break.
std::string SystemReason(unsigned long errorCode);
// The full path for Win32 file functions: with the \\?\ prefix when it (or a file saved beside
// it) is longer than MAX_PATH allows.
std::wstring LongPathForm(const std::wstring& path);

} // namespace standin
