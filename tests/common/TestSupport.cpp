#include "tests/common/TestSupport.h"

#include <windows.h>

namespace testsupport {

std::string ProgramDirectory() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string directory(path, length);
    const size_t slash = directory.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : directory.substr(0, slash);
}

std::string BesideProgram(const char* fileName) {
    return ProgramDirectory() + "\\" + fileName;
}

} // namespace testsupport
