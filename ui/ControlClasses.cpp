// The two custom window classes that the parameter dialog templates name.
#include "host/HostBinding.h"
#include "ui/ChannelControls.h"

// Both controls keep their state word in two window extra bytes.
static const int STATE_WORD_BYTES = 2;

static void RegisterControlClass(const char* name, UINT style, WNDPROC procedure) {
    WNDCLASSA windowClass = {};
    windowClass.style = style;
    windowClass.lpfnWndProc = procedure;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = STATE_WORD_BYTES;
    windowClass.hInstance = hostBinding.instance;
    windowClass.hIcon = nullptr;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(DKGRAY_BRUSH));
    windowClass.lpszMenuName = nullptr;
    windowClass.lpszClassName = name;
    RegisterClassA(&windowClass);
}

void RegisterControlClasses() {
    // Only the channel button tells double-clicks from two clicks.
    RegisterControlClass(CHANNEL_BUTTON_CLASS, CS_DBLCLKS, ChannelButtonProc);
    RegisterControlClass(LESS_MORE_BUTTON_CLASS, 0, LessMoreButtonProc);
}

void UnregisterControlClasses() {
    UnregisterClassA(CHANNEL_BUTTON_CLASS, hostBinding.instance);
    UnregisterClassA(LESS_MORE_BUTTON_CLASS, hostBinding.instance);
}
