#include "tests/common/PictureHandOff.h"

#include "sim/host/core/HostControl.h"
#include "sim/host/support/SafeSave.h"
#include "sim/host/support/TextCodes.h"

namespace testsupport {

void PumpFor(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
        standin::PumpMessages();
        Sleep(20);
    }
}

bool HandOffPictures(const std::wstring& folder,
                     const std::vector<std::pair<std::string, HWND>>& windows) {
    const std::wstring ready = folder + L"\\ready", done = folder + L"\\done";
    std::string list;
    for (const auto& window : windows) {
        RECT frame;
        GetWindowRect(window.second, &frame);
        char line[160];
        std::snprintf(line, sizeof line, "%s %ldx%ld+%ld+%ld\n", window.first.c_str(),
                      frame.right - frame.left, frame.bottom - frame.top, frame.left, frame.top);
        list += line;
    }
    // Saved beside and swapped in, so that the script never reads half a list.
    if (!standin::SaveFileSafely(ready, list, nullptr))
        return false;
    for (int waited = 0;
         waited < 600 && GetFileAttributesW(done.c_str()) == INVALID_FILE_ATTRIBUTES; ++waited)
        PumpFor(100);
    DeleteFileW(done.c_str());
    return true;
}

} // namespace testsupport
