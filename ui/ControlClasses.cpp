// The two custom window classes that the parameter dialog templates name.
#include "host/HostBinding.h"
#include "ui/ChannelControls.h"

// Both controls keep their state word in two window extra bytes.
static const int STATE_WORD_BYTES = 2;

// What differs between the two classes.
struct ControlClassTraits {
    const char* name;
    UINT style;
    WNDPROC procedure;
};

// Only the channel button tells double-clicks from two clicks.
static const ControlClassTraits channelButtonClass = {CHANNEL_BUTTON_CLASS, CS_DBLCLKS,
                                                      ChannelButtonProc};
static const ControlClassTraits lessMoreButtonClass = {LESS_MORE_BUTTON_CLASS, 0,
                                                       LessMoreButtonProc};

static void RegisterControlClass(const ControlClassTraits& traits) {
    WNDCLASSA windowClass = {};
    windowClass.style = traits.style;
    windowClass.lpfnWndProc = traits.procedure;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = STATE_WORD_BYTES;
    windowClass.hInstance = hostBinding.instance;
    windowClass.hIcon = nullptr;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(DKGRAY_BRUSH));
    windowClass.lpszMenuName = nullptr;
    windowClass.lpszClassName = traits.name;
    RegisterClassA(&windowClass);
}

void RegisterControlClasses() {
    RegisterControlClass(channelButtonClass);
    RegisterControlClass(lessMoreButtonClass);
}

void UnregisterControlClasses() {
    UnregisterClassA(channelButtonClass.name, hostBinding.instance);
    UnregisterClassA(lessMoreButtonClass.name, hostBinding.instance);
}
