// The host's help window. WinHelpA hands every request to the window of class "MS_WINHELP" as
// WM_COPYDATA; with this window present the request returns at once (without it, WinHelpA
// waits for a help viewer). Each request is recorded with its command and help file.
#include "sim/host/core/HostInternal.h"

#include <cstring>

namespace standin {

namespace {

const char helpWindowClass[] = "MS_WINHELP";
// dwData of the WM_COPYDATA that carries a help request.
const ULONG_PTR helpRequestMark = 0xA1DE505;

// The request as WinHelpA lays it out: fixed fields, then the file name and copied data.
struct HelpRequestData {
    uint16_t size;
    uint16_t command;
    int32_t data;
    int32_t reserved;
    uint16_t ofsFilename;
    uint16_t ofsData;
};

HWND helpWindow = nullptr;
std::vector<HelpRequest> requests;

void OnHelpRequest(const COPYDATASTRUCT* copy) {
    if (!copy || copy->dwData != helpRequestMark || copy->cbData < sizeof(HelpRequestData))
        return;
    const auto* bytes = static_cast<const char*>(copy->lpData);
    HelpRequestData fixed;
    std::memcpy(&fixed, bytes, sizeof fixed);
    HelpRequest request{fixed.command, "", uint32_t(fixed.data)};
    // The file name lies inside the copied data; never read beyond it.
    if (fixed.ofsFilename >= sizeof fixed && fixed.ofsFilename < copy->cbData) {
        const char* name = bytes + fixed.ofsFilename;
        request.file.assign(name, strnlen(name, copy->cbData - fixed.ofsFilename));
    }
    requests.push_back(request);
    Echo("help request " + std::to_string(request.command) + " for " + request.file);
}

LRESULT CALLBACK HelpWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COPYDATA) {
        OnHelpRequest(reinterpret_cast<const COPYDATASTRUCT*>(lParam));
        return TRUE;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

bool StartHelpWindow() {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = HelpWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = helpWindowClass;
    RegisterClassA(&windowClass);
    helpWindow = CreateWindowExA(0, helpWindowClass, "Pemo help", WS_POPUP, 0, 0, 0, 0, nullptr,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
    return helpWindow != nullptr;
}

void StopHelpWindow() {
    if (helpWindow)
        DestroyWindow(helpWindow);
    helpWindow = nullptr;
    UnregisterClassA(helpWindowClass, GetModuleHandleA(nullptr));
}

void ClearHelpRecords() {
    requests.clear();
}

const std::vector<HelpRequest>& HelpRequests() {
    return requests;
}

} // namespace standin
