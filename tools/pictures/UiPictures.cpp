// The set "ui" (scripts/render ui): the about box and both custom controls in every state. It
// shows the windows, writes the screen rectangle of each picture to "ready" in the folder, and
// keeps them on the screen until the script has written "done" there.
#include "host/HostBinding.h"
#include "sim/host/core/HostControl.h"
#include "tests/common/PictureHandOff.h"
#include "tests/common/TestSupport.h"
#include "tools/pictures/Pictures.h"
#include "ui/AboutBox.h"
#include "ui/ChannelControls.h"

#include <string>

namespace {

const int CELL = 40; // horizontal distance of two controls in the row

void Label(HWND parent, const char* text, int x, int y, int width) {
    HWND label = CreateWindowA("STATIC", text, WS_CHILD | WS_VISIBLE | SS_CENTER, x, y, width, 16,
                               parent, nullptr, nullptr, nullptr);
    SendMessageA(label, WM_SETFONT, WPARAM(GetStockObject(DEFAULT_GUI_FONT)), 0);
}

// One row of controls of a class, one per state, each with its state number beneath.
void ControlRow(HWND parent, const char* className, int states, int x, int y) {
    Label(parent, className, x, y, states * CELL);
    for (int state = 0; state < states; ++state) {
        const int left = x + state * CELL + 8;
        HWND control = CreateWindowA(className, "", WS_CHILD | WS_VISIBLE, left, y + 22, 10, 10,
                                     parent, nullptr, GetModuleHandleA(nullptr), nullptr);
        SendMessageA(control, CTLM_SETSTATE, state, 0);
        Label(parent, std::to_string(state).c_str(), left - 8, y + 58, CELL);
    }
}

HWND ControlsWindow() {
    HWND window = CreateWindowA("STATIC", "", WS_POPUP | WS_VISIBLE | WS_BORDER, 20, 220,
                                10 * CELL + 60, 100, nullptr, nullptr, nullptr, nullptr);
    ControlRow(window, CHANNEL_BUTTON_CLASS, 4, 10, 10);
    ControlRow(window, LESS_MORE_BUTTON_CLASS, 6, 4 * CELL + 40, 10);
    return window;
}

class UiPictures : public testsupport::PluginOnHost {};

} // namespace

TEST_F(UiPictures, AboutBoxAndControls) {
    ShowWindow(standin::MainWindow(), SW_HIDE);

    HWND about = CreateDialogParamA(hostBinding.instance, "ABOUTLUMO35", nullptr, AboutBoxProc, 0);
    ASSERT_NE(about, nullptr);
    SetWindowPos(about, HWND_TOP, 20, 20, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    HWND controls = ControlsWindow();
    SetForegroundWindow(about); // an active caption, as when the user opened it
    testsupport::PumpFor(1500);

    ASSERT_TRUE(testsupport::HandOffPictures(pictures::Folder(),
                                             {{"about-box", about}, {"controls", controls}}));

    DestroyWindow(controls);
    DestroyWindow(about);
}
