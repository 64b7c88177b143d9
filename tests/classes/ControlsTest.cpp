// The channel button and the less/more button. Each gesture is a table row: the messages the
// control receives (as the system would deliver them), then the notifications the parent must
// receive, the state word, the capture and whether a repaint is pending.
#include "host/HostBinding.h"
#include "res/ResourceIds.h"
#include "sim/host/core/HostControl.h"
#include "tests/classes/ClassesTestSupport.h"
#include "tests/common/MessageSequence.h"
#include "tests/common/TestSupport.h"
#include "ui/ChannelControls.h"
#include "ui/ControlPainting.h"

#include <string>
#include <vector>

using msgseq::Message;

namespace {

enum InputKind { SEND, STEAL_CAPTURE };

struct Input {
    InputKind kind;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

Input Mouse(UINT message, int x, int y) {
    const WPARAM keys = message == WM_LBUTTONUP || message == WM_RBUTTONUP         ? 0
                        : message == WM_RBUTTONDOWN || message == WM_RBUTTONDBLCLK ? MK_RBUTTON
                                                                                   : MK_LBUTTON;
    return {SEND, message, keys, MAKELPARAM(x, y)};
}
const Input PRESS = Mouse(WM_LBUTTONDOWN, 5, 5);
const Input RELEASE = Mouse(WM_LBUTTONUP, 5, 5);
const Input RELEASE_OUTSIDE = Mouse(WM_LBUTTONUP, -60, 200);
const Input DOUBLE_PRESS = Mouse(WM_LBUTTONDBLCLK, 5, 5);
const Input RIGHT_PRESS = Mouse(WM_RBUTTONDOWN, 5, 5);
const Input RIGHT_RELEASE = Mouse(WM_RBUTTONUP, 5, 5);
const Input RIGHT_DOUBLE_PRESS = Mouse(WM_RBUTTONDBLCLK, 5, 5);
const Input DESELECT = {SEND, CTLM_DESELECT, 0, 0};
const Input STEAL = {STEAL_CAPTURE, 0, 0, 0};
Input SetState(WPARAM state) {
    return {SEND, CTLM_SETSTATE, state, 0};
}

// What a gesture row says besides its states: the setting during the gesture, and what holds
// after it.
enum : unsigned {
    DURING_EXPERIMENT = 1u << 0, // bExperimentIsRunning is 1
    KEEPS_CAPTURE = 1u << 1,     // the control holds the capture afterwards
    REPAINT_PENDING = 1u << 2,   // a repaint is pending afterwards
};

struct Gesture {
    const char* name;
    int controlId;
    WORD initialState;
    unsigned flags;
    std::vector<Input> inputs;
    msgseq::Table<Message> expected; // what the parent receives, in order
    WORD finalState;
};

// The notices of a channel button: its own handle and the state of the moment; the command of
// a less/more button: its id, lParam 0.
Message Notice(UINT message, WORD state) {
    return {message, msgseq::WPARAM_IS_SELF | msgseq::CHECK_LPARAM, 0, state};
}
const auto Down = [](WORD state) { return Notice(CTLM_CHANNELDOWN, state); };
const auto Up = [](WORD state) { return Notice(CTLM_CHANNELUP, state); };
const auto DoubleClick = [](WORD state) { return Notice(CTLM_CHANNELDBLCLK, state); };
const auto RightDoubleClick = [](WORD state) { return Notice(CTLM_CHANNELRDBLCLK, state); };
const auto Command = [](WPARAM id) -> Message {
    return {WM_COMMAND, msgseq::CHECK_WPARAM | msgseq::CHECK_LPARAM, id, 0};
};

// clang-format off
const Gesture CHANNEL_GESTURES[] = {
    {"click", IDC_CHANNEL0 + 1, CHANNEL_IN_USE, 0, {PRESS, RELEASE},
     MESSAGES(Down(CHANNEL_IN_USE), Up(CHANNEL_IN_USE)), CHANNEL_IN_USE},
    {"double-click", IDC_CHANNEL0 + 1, CHANNEL_SELECTED, 0, {PRESS, RELEASE, DOUBLE_PRESS, RELEASE},
     MESSAGES(Down(CHANNEL_SELECTED), Up(CHANNEL_SELECTED), DoubleClick(CHANNEL_SELECTED),
              Up(CHANNEL_SELECTED)), CHANNEL_SELECTED},
    {"double-click during an experiment drops the second press", IDC_CHANNEL0 + 1,
     CHANNEL_SELECTED, DURING_EXPERIMENT, {PRESS, RELEASE, DOUBLE_PRESS, RELEASE},
     MESSAGES(Down(CHANNEL_SELECTED), Up(CHANNEL_SELECTED), Up(CHANNEL_SELECTED)),
     CHANNEL_SELECTED},
    {"single right clicks send nothing", IDC_CHANNEL0 + 1, CHANNEL_IN_USE, 0,
     {RIGHT_PRESS, RIGHT_RELEASE, RIGHT_PRESS, RIGHT_RELEASE}, MESSAGES(), CHANNEL_IN_USE},
    {"right double-click", IDC_CHANNEL0 + 1, CHANNEL_UNUSED, 0,
     {RIGHT_PRESS, RIGHT_RELEASE, RIGHT_DOUBLE_PRESS, RIGHT_RELEASE},
     MESSAGES(RightDoubleClick(CHANNEL_UNUSED)), CHANNEL_UNUSED},
    {"right double-click during an experiment", IDC_CHANNEL0 + 1, CHANNEL_UNUSED,
     DURING_EXPERIMENT, {RIGHT_PRESS, RIGHT_RELEASE, RIGHT_DOUBLE_PRESS, RIGHT_RELEASE},
     MESSAGES(), CHANNEL_UNUSED},
    {"a click never changes the state; each notice carries the state of its moment",
     IDC_CHANNEL0 + 2, CHANNEL_INITIAL, REPAINT_PENDING,
     {PRESS, SetState(CHANNEL_UNUSED), RELEASE, SetState(0x10000 | CHANNEL_SELECTED), PRESS},
     MESSAGES(Down(CHANNEL_INITIAL), Up(CHANNEL_UNUSED), Down(CHANNEL_SELECTED)),
     CHANNEL_SELECTED},
    {"deselect turns selected into in use", IDC_CHANNEL0 + 1, CHANNEL_SELECTED,
     REPAINT_PENDING, {DESELECT}, MESSAGES(), CHANNEL_IN_USE},
    {"deselect leaves state 0 alone", IDC_CHANNEL0 + 1, CHANNEL_INITIAL, 0, {DESELECT},
     MESSAGES(), CHANNEL_INITIAL},
    {"deselect leaves state 2 alone", IDC_CHANNEL0 + 1, CHANNEL_IN_USE, 0, {DESELECT},
     MESSAGES(), CHANNEL_IN_USE},
    {"deselect leaves state 3 alone", IDC_CHANNEL0 + 1, CHANNEL_UNUSED, 0, {DESELECT},
     MESSAGES(), CHANNEL_UNUSED},
};

const Gesture LESS_MORE_GESTURES[] = {
    {"press shows the pressed less picture at once and takes the capture", IDC_LESS, LESS_UP,
     KEEPS_CAPTURE, {PRESS}, MESSAGES(), LESS_PRESSED},
    {"less click", IDC_LESS, LESS_UP, 0, {PRESS, RELEASE}, MESSAGES(Command(IDC_LESS)), LESS_UP},
    {"less click released outside the control", IDC_LESS, LESS_UP, 0, {PRESS, RELEASE_OUTSIDE},
     MESSAGES(Command(IDC_LESS)), LESS_UP},
    {"more click", IDC_MORE, MORE_UP, 0, {PRESS, RELEASE}, MESSAGES(Command(IDC_MORE)), MORE_UP},
    {"more click during an experiment", IDC_MORE, MORE_UP, DURING_EXPERIMENT, {PRESS, RELEASE},
     MESSAGES(Command(IDC_MORE)), MORE_UP},
    {"the command follows the state, not the id", IDC_LESS, MORE_UP, 0, {PRESS, RELEASE},
     MESSAGES(Command(IDC_MORE)), MORE_UP},
    {"a state beyond 5 counts as the more side", IDC_MORE, 7, 0, {PRESS, RELEASE},
     MESSAGES(Command(IDC_MORE)), MORE_UP},
    {"disabled less ignores clicks", IDC_LESS, LESS_DISABLED, 0,
     {PRESS, RELEASE, PRESS, DOUBLE_PRESS, RELEASE}, MESSAGES(), LESS_DISABLED},
    {"disabled more ignores clicks", IDC_MORE, MORE_DISABLED, 0, {PRESS, RELEASE}, MESSAGES(),
     MORE_DISABLED},
    {"a double-click arrives as two clicks and sends two commands", IDC_MORE, MORE_UP, 0,
     {PRESS, RELEASE, PRESS, RELEASE}, MESSAGES(Command(IDC_MORE), Command(IDC_MORE)), MORE_UP},
    {"a release without a press does nothing", IDC_LESS, LESS_UP, 0, {RELEASE}, MESSAGES(),
     LESS_UP},
    {"capture taken away: stays pressed and silent until pressed and released again",
     IDC_LESS, LESS_UP, 0, {PRESS, STEAL, RELEASE}, MESSAGES(), LESS_PRESSED},
    {"capture taken away, then a new click completes", IDC_LESS, LESS_UP, 0,
     {PRESS, STEAL, RELEASE, PRESS, RELEASE}, MESSAGES(Command(IDC_LESS)), LESS_UP},
    {"the parent sets the up state during the press", IDC_LESS, LESS_UP, 0,
     {PRESS, SetState(LESS_UP), RELEASE}, MESSAGES(Command(IDC_LESS)), LESS_UP},
    {"the parent switches sides during the press", IDC_MORE, MORE_UP, 0,
     {PRESS, SetState(LESS_UP), RELEASE}, MESSAGES(Command(IDC_LESS)), LESS_UP},
    {"the parent disables the button during the press: the capture stays", IDC_LESS, LESS_UP,
     KEEPS_CAPTURE | REPAINT_PENDING, {PRESS, SetState(LESS_DISABLED), RELEASE}, MESSAGES(),
     LESS_DISABLED},
    {"set state keeps the low 16 bits", IDC_LESS, LESS_DISABLED, REPAINT_PENDING,
     {SetState(0x10000 | LESS_UP)}, MESSAGES(), LESS_UP},
};
// clang-format on

class ControlsOnHost : public testsupport::PluginOnHost {
protected:
    void SetUp() override {
        PluginOnHost::SetUp();
        parent = recorder.CreateParent(200, 150, 300, 200);
        thief = CreateWindowA("STATIC", "", WS_CHILD | WS_VISIBLE, 250, 100, 10, 10, parent,
                              nullptr, nullptr, nullptr);
    }
    void TearDown() override {
        standin::SetExperimentRunning(0);
        ReleaseCapture();
        DestroyWindow(parent);
        PluginOnHost::TearDown();
    }
    HWND CreateControl(const char* className, int id, int x = 20, int y = 20) {
        return CreateWindowA(className, "", WS_CHILD | WS_VISIBLE, x, y, 50, 50, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                             GetModuleHandleA(nullptr), nullptr);
    }
    // A control of the class in `state`, its notices recorded from now on.
    HWND Prepare(const char* className, int id, WORD state, unsigned flags, int at = 20) {
        HWND control = CreateControl(className, id, at, at);
        SendMessageA(control, CTLM_SETSTATE, state, 0);
        UpdateWindow(control);
        standin::SetExperimentRunning(flags & DURING_EXPERIMENT ? 1 : 0);
        standin::PumpMessages();
        recorder.subject = control;
        recorder.Clear();
        return control;
    }
    void Run(const char* className, const Gesture& gesture);
    msgseq::Recorder recorder; // what the parent receives
    HWND parent = nullptr;
    HWND thief = nullptr; // takes the capture away
};

void ControlsOnHost::Run(const char* className, const Gesture& gesture) {
    SCOPED_TRACE(gesture.name);
    HWND control = Prepare(className, gesture.controlId, gesture.initialState, gesture.flags);
    ASSERT_NE(control, nullptr);
    for (const Input& input : gesture.inputs) {
        if (input.kind == STEAL_CAPTURE)
            SetCapture(thief);
        else
            EXPECT_EQ(SendMessageA(control, input.message, input.wParam, input.lParam), 0);
    }
    EXPECT_SEQUENCE(recorder, gesture.expected);
    EXPECT_EQ(GetWindowWord(control, 0), gesture.finalState);
    EXPECT_EQ(GetCapture() == control, (gesture.flags & KEEPS_CAPTURE) != 0);
    EXPECT_EQ(GetUpdateRect(control, nullptr, FALSE) != FALSE,
              (gesture.flags & REPAINT_PENDING) != 0);
    ReleaseCapture();
    standin::SetExperimentRunning(0);
    DestroyWindow(control);
}

} // namespace

TEST_F(ControlsOnHost, ChannelButtonGestures) {
    for (const Gesture& gesture : CHANNEL_GESTURES)
        Run(CHANNEL_BUTTON_CLASS, gesture);
}

TEST_F(ControlsOnHost, LessMoreButtonGestures) {
    for (const Gesture& gesture : LESS_MORE_GESTURES)
        Run(LESS_MORE_BUTTON_CLASS, gesture);
}

namespace {

// Real mouse input, so that the system decides what a double-click is and where a release
// goes while a control holds the capture.
struct RealInput {
    bool overControl; // where the pointer is: the control's centre or far outside it
    DWORD buttons;    // MOUSEEVENTF_ flags
};
const RealInput DOWN = {true, MOUSEEVENTF_LEFTDOWN};
const RealInput UP = {true, MOUSEEVENTF_LEFTUP};
const RealInput UP_OUTSIDE = {false, MOUSEEVENTF_LEFTUP};
const RealInput RIGHT_DOWN = {true, MOUSEEVENTF_RIGHTDOWN};
const RealInput RIGHT_UP = {true, MOUSEEVENTF_RIGHTUP};

struct RealGesture {
    const char* name;
    const char* className;
    int controlId;
    WORD initialState;
    unsigned flags;
    std::vector<RealInput> inputs;
    msgseq::Table<Message> expected;
    WORD finalState;
};

// clang-format off
const RealGesture REAL_GESTURES[] = {
    {"channel double-click", CHANNEL_BUTTON_CLASS, IDC_CHANNEL0, CHANNEL_IN_USE, 0,
     {DOWN, UP, DOWN, UP},
     MESSAGES(Down(CHANNEL_IN_USE), Up(CHANNEL_IN_USE), DoubleClick(CHANNEL_IN_USE),
              Up(CHANNEL_IN_USE)), CHANNEL_IN_USE},
    {"channel double-click during an experiment", CHANNEL_BUTTON_CLASS, IDC_CHANNEL0,
     CHANNEL_IN_USE, DURING_EXPERIMENT, {DOWN, UP, DOWN, UP},
     MESSAGES(Down(CHANNEL_IN_USE), Up(CHANNEL_IN_USE), Up(CHANNEL_IN_USE)), CHANNEL_IN_USE},
    {"channel right double-click", CHANNEL_BUTTON_CLASS, IDC_CHANNEL0, CHANNEL_SELECTED, 0,
     {RIGHT_DOWN, RIGHT_UP, RIGHT_DOWN, RIGHT_UP}, MESSAGES(RightDoubleClick(CHANNEL_SELECTED)),
     CHANNEL_SELECTED},
    {"less/more double-click is two clicks", LESS_MORE_BUTTON_CLASS, IDC_LESS, LESS_UP, 0,
     {DOWN, UP, DOWN, UP}, MESSAGES(Command(IDC_LESS), Command(IDC_LESS)), LESS_UP},
    {"less/more released far outside", LESS_MORE_BUTTON_CLASS, IDC_MORE, MORE_UP, 0,
     {DOWN, UP_OUTSIDE}, MESSAGES(Command(IDC_MORE)), MORE_UP},
};
// clang-format on

void SendButtons(DWORD buttons) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = buttons;
    SendInput(1, &input, sizeof input);
    standin::PumpMessages();
}

} // namespace

TEST_F(ControlsOnHost, RealMouseGestures) {
    SetForegroundWindow(parent);
    for (const RealGesture& gesture : REAL_GESTURES) {
        SCOPED_TRACE(gesture.name);
        HWND control =
            Prepare(gesture.className, gesture.controlId, gesture.initialState, gesture.flags, 40);
        RECT frame;
        GetWindowRect(control, &frame);
        for (const RealInput& input : gesture.inputs) {
            if (input.overControl)
                SetCursorPos((frame.left + frame.right) / 2, (frame.top + frame.bottom) / 2);
            else
                SetCursorPos(900, 700);
            SendButtons(input.buttons);
        }
        EXPECT_SEQUENCE(recorder, gesture.expected);
        EXPECT_EQ(GetWindowWord(control, 0), gesture.finalState);
        EXPECT_EQ(GetCapture(), nullptr);
        standin::SetExperimentRunning(0);
        DestroyWindow(control);
    }
}

TEST_F(ControlsOnHost, ClassesAsRegistered) {
    struct Expected {
        const char* name;
        UINT style;
    } classes[] = {{CHANNEL_BUTTON_CLASS, CS_DBLCLKS}, {LESS_MORE_BUTTON_CLASS, 0}};
    for (const Expected& expected : classes) {
        SCOPED_TRACE(expected.name);
        WNDCLASSA info = {};
        ASSERT_TRUE(GetClassInfoA(GetModuleHandleA(nullptr), expected.name, &info));
        EXPECT_EQ(info.style, expected.style);
        EXPECT_EQ(info.cbWndExtra, 2);
        EXPECT_EQ(info.cbClsExtra, 0);
        EXPECT_EQ(info.hCursor, LoadCursorA(nullptr, IDC_ARROW));
        EXPECT_EQ(info.hbrBackground, GetStockObject(DKGRAY_BRUSH));
        EXPECT_EQ(info.hIcon, nullptr);
    }
    standin::CallFinish();
    WNDCLASSA info = {};
    EXPECT_FALSE(GetClassInfoA(GetModuleHandleA(nullptr), CHANNEL_BUTTON_CLASS, &info));
    EXPECT_FALSE(GetClassInfoA(GetModuleHandleA(nullptr), LESS_MORE_BUTTON_CLASS, &info));
    standin::AttachPluginEntries(nullptr, nullptr, nullptr); // nothing left to finish
}

namespace {

struct PictureCase {
    const char* className;
    int id;
    int width, height; // the control's fixed size
    const Addr32* (*hostPictures)();
    unsigned count;
};
const PictureCase PICTURE_CASES[] = {
    {CHANNEL_BUTTON_CLASS, IDC_CHANNEL0, 22, 30, standin::ChannelBitmaps, 4},
    {LESS_MORE_BUTTON_CLASS, IDC_LESS, 24, 32, standin::LessMoreBitmaps, 6},
};

int DifferingPixels(const std::vector<COLORREF>& a, const std::vector<COLORREF>& b) {
    int count = 0;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i)
        count += a[i] != b[i];
    return count + int(a.size() > b.size() ? a.size() - b.size() : b.size() - a.size());
}

std::vector<COLORREF> PictureOf(const PictureCase& pictures, unsigned state) {
    return classestest::BitmapPixels(HandleFromAddr32<HBITMAP>(pictures.hostPictures()[state]),
                                     pictures.width, pictures.height);
}

} // namespace

TEST_F(ControlsOnHost, EachStatePaintsTheHostPictureOfThatState) {
    for (const PictureCase& pictures : PICTURE_CASES) {
        HWND control = CreateControl(pictures.className, pictures.id);
        for (WORD state = 0; state < pictures.count; ++state)
            EXPECT_EQ(DifferingPixels(classestest::PrintedPixels(control, pictures.width,
                                                                 pictures.height, {state}),
                                      PictureOf(pictures, state)),
                      0)
                << pictures.className << " state " << state;
        DestroyWindow(control);
    }
    // All pictures differ, so the comparisons above tell the states apart.
    for (const PictureCase& pictures : PICTURE_CASES)
        for (unsigned a = 0; a < pictures.count; ++a)
            for (unsigned b = a + 1; b < pictures.count; ++b)
                EXPECT_NE(DifferingPixels(PictureOf(pictures, a), PictureOf(pictures, b)), 0);
}

// On the screen: the press repaints the window itself before anything else runs.
TEST_F(ControlsOnHost, PressShowsThePressedPictureBeforeTheMessageQueueRuns) {
    const PictureCase& lessMore = PICTURE_CASES[1];
    HWND control = CreateControl(LESS_MORE_BUTTON_CLASS, IDC_MORE);
    SendMessageA(control, CTLM_SETSTATE, MORE_UP, 0);
    UpdateWindow(control);
    SendMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    EXPECT_EQ(DifferingPixels(classestest::WindowPixels(control, 24, 32),
                              PictureOf(lessMore, MORE_PRESSED)),
              0);
    SendMessageA(control, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    EXPECT_EQ(
        DifferingPixels(classestest::WindowPixels(control, 24, 32), PictureOf(lessMore, MORE_UP)),
        0);
}

// The host provides 4 and 6 pictures. Here each array is followed by one more picture, as
// whatever memory follows the host's array would be; a state beyond the host's pictures must
// leave the control as it was rather than draw that.
TEST_F(ControlsOnHost, StatesBeyondTheHostPicturesDrawNothing) {
    HBITMAP stray = classestest::SolidBitmap(24, 32, RGB(255, 0, 255));
    const HostVariables saved = hostBinding.variables;
    static Addr32 channel[5], lessMore[7];
    for (int i = 0; i < 4; ++i)
        channel[i] = standin::ChannelBitmaps()[i];
    for (int i = 0; i < 6; ++i)
        lessMore[i] = standin::LessMoreBitmaps()[i];
    channel[4] = lessMore[6] = HandleToAddr32(stray);
    hostBinding.variables.hBitChannel = ToAddr32(channel);
    hostBinding.variables.hBitLessMore = ToAddr32(lessMore);

    for (const PictureCase& pictures : PICTURE_CASES) {
        SCOPED_TRACE(pictures.className);
        HWND control = CreateControl(pictures.className, pictures.id);
        const WORD last = WORD(pictures.count - 1);
        for (WORD beyond : {WORD(pictures.count), WORD(0xFFFF)}) {
            const std::vector<COLORREF> printed = classestest::PrintedPixels(
                control, pictures.width, pictures.height, {last, beyond});
            EXPECT_EQ(GetWindowWord(control, 0), beyond);
            EXPECT_EQ(DifferingPixels(printed, PictureOf(pictures, last)), 0) << "state " << beyond;
        }
        DestroyWindow(control);
    }
    hostBinding.variables = saved;
    DeleteObject(stray);
}

namespace {

// An in-memory dialog template holding custom controls of the given dialog-unit sizes.
struct TemplateControl {
    const wchar_t* className;
    short x, y, cx, cy;
};

void AppendDword(std::vector<WORD>& words, DWORD value) {
    words.push_back(LOWORD(value));
    words.push_back(HIWORD(value));
}

void AppendText(std::vector<WORD>& words, const wchar_t* text) {
    for (; *text; ++text)
        words.push_back(*text);
    words.push_back(0);
}

std::vector<WORD> DialogTemplate(const std::vector<TemplateControl>& controls, WORD points) {
    std::vector<WORD> words;
    AppendDword(words, WS_POPUP | (points ? DS_SETFONT : 0));
    AppendDword(words, 0);
    words.push_back(WORD(controls.size()));
    for (short value : {0, 0, 300, 200})
        words.push_back(value);
    words.insert(words.end(), {0, 0, 0}); // no menu, default class, no title
    if (points) {
        words.push_back(points);
        AppendText(words, L"MS Shell Dlg");
    }
    WORD id = 100;
    for (const TemplateControl& control : controls) {
        if (words.size() % 2)
            words.push_back(0);
        AppendDword(words, WS_CHILD | WS_VISIBLE);
        AppendDword(words, 0);
        for (short value : {control.x, control.y, control.cx, control.cy})
            words.push_back(value);
        words.push_back(id++);
        AppendText(words, control.className);
        words.insert(words.end(), {0, 0}); // no text, no creation data
    }
    return words;
}

INT_PTR CALLBACK PlainDialogProc(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

} // namespace

TEST_F(ControlsOnHost, FixedPixelSizeAtTheTemplatePositionWhateverTheTemplateSize) {
    const wchar_t* channel = L"ZAV:CONTROLKANAL";
    const wchar_t* lessMore = L"ZAV:CONTROLLESSMORE";
    const std::vector<TemplateControl> controls = {
        {channel, 10, 10, 11, 15},  {channel, 40, 10, 1, 1},  {channel, 80, 10, 120, 90},
        {lessMore, 10, 60, 12, 16}, {lessMore, 40, 60, 2, 3}, {lessMore, 90, 60, 150, 100},
    };
    for (WORD points : {WORD(0), WORD(8), WORD(20)}) {
        SCOPED_TRACE("font points " + std::to_string(points));
        const std::vector<WORD> words = DialogTemplate(controls, points);
        HWND dialog = CreateDialogIndirectParamA(GetModuleHandleA(nullptr),
                                                 reinterpret_cast<const DLGTEMPLATE*>(words.data()),
                                                 nullptr, PlainDialogProc, 0);
        ASSERT_NE(dialog, nullptr);
        WORD id = 100;
        for (const TemplateControl& control : controls) {
            HWND window = GetDlgItem(dialog, id++);
            ASSERT_NE(window, nullptr);
            RECT frame;
            GetWindowRect(window, &frame);
            MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&frame), 2);
            RECT position = {control.x, control.y, control.x, control.y};
            MapDialogRect(dialog, &position);
            const bool isChannel = control.className == channel;
            EXPECT_EQ(frame.left, position.left);
            EXPECT_EQ(frame.top, position.top);
            EXPECT_EQ(frame.right - frame.left, isChannel ? 22 : 24);
            EXPECT_EQ(frame.bottom - frame.top, isChannel ? 30 : 32);
        }
        DestroyWindow(dialog);
    }
}
