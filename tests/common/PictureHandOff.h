// The picture program's side of scripts/render (the sets dialogs and ui, tools/pictures): the
// windows to take, each with its name and screen rectangle, go to "ready" in the folder the
// script names, and stay on the screen until the script writes "done".
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace testsupport {

// Runs this thread's messages for that long.
void PumpFor(DWORD milliseconds);

// Writes "<name> <width>x<height>+<x>+<y>" per window to "ready" in `folder`, then runs the
// messages until "done" appears there (a minute at most) and removes it. False when "ready"
// cannot be written.
bool HandOffPictures(const std::wstring& folder,
                     const std::vector<std::pair<std::string, HWND>>& windows);

} // namespace testsupport
