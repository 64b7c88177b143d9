#include "tests/common/PictureHandOff.h"

#include "sim/host/HostControl.h"

#include <cstdio>

namespace testsupport {

void PumpFor(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
        standin::PumpMessages();
        Sleep(20);
    }
}

bool HandOffPictures(const std::string& folder,
                     const std::vector<std::pair<std::string, HWND>>& windows) {
    const std::string ready = folder + "/ready", done = folder + "/done";
    // Written under another name and renamed, so that the script never reads half a file.
    FILE* file = std::fopen((ready + ".part").c_str(), "w");
    if (!file)
        return false;
    for (const auto& window : windows) {
        RECT frame;
        GetWindowRect(window.second, &frame);
        std::fprintf(file, "%s %ldx%ld+%ld+%ld\n", window.first.c_str(), frame.right - frame.left,
                     frame.bottom - frame.top, frame.left, frame.top);
    }
    std::fclose(file);
    MoveFileA((ready + ".part").c_str(), ready.c_str());
    for (int waited = 0;
         waited < 600 && GetFileAttributesA(done.c_str()) == INVALID_FILE_ATTRIBUTES; ++waited)
        PumpFor(100);
    DeleteFileA(done.c_str());
    return true;
}

} // namespace testsupport
