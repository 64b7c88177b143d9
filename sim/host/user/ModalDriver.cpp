#include "sim/host/user/ModalDriver.h"

#include "sim/host/support/TextCodes.h"

#include <cstring>

namespace modal {

namespace {

// Ticks to wait, once the steps have run out, before ending a dialog that is still open.
constexpr int IDLE_TICKS_BEFORE_FORCED_END = 20;
// Ticks to wait for a dialog to show (the dialog loop shows it once its queue is first empty,
// and a tick may come before) before acting on it anyway.
constexpr int HIDDEN_TICKS_BEFORE_ACTING = 50;

struct Run {
    std::vector<Step> steps;
    size_t nextStep = 0;
    std::vector<HWND> dialogs; // open "#32770" windows of this thread, innermost last
    std::vector<HWND> busy;    // dialogs whose step is still running, innermost last
    Outcome* outcome = nullptr;
    int idleTicks = 0;
    int hiddenTicks = 0;
};

Run* currentRun; // the run of RunModal on this thread, null outside it

bool IsDialogClass(HWND window) {
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    return std::strcmp(name, "#32770") == 0;
}

LRESULT CALLBACK OnCbt(int code, WPARAM wParam, LPARAM lParam) {
    HWND window = reinterpret_cast<HWND>(wParam);
    if (currentRun && code == HCBT_CREATEWND && IsDialogClass(window)) {
        currentRun->dialogs.push_back(window);
        currentRun->outcome->dialogsCreated++;
    } else if (currentRun && code == HCBT_DESTROYWND) {
        auto& dialogs = currentRun->dialogs;
        for (size_t i = 0; i < dialogs.size(); i++)
            if (dialogs[i] == window) {
                dialogs.erase(dialogs.begin() + i);
                break;
            }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void EndIdleDialog(Run* run, HWND dialog) {
    if (++run->idleTicks < IDLE_TICKS_BEFORE_FORCED_END)
        return;
    char title[256] = {};
    GetWindowTextA(dialog, title, sizeof title);
    run->outcome->forcedEnd = true;
    run->outcome->forcedTitle = title;
    run->idleTicks = 0;
    EndDialog(dialog, FORCED_END);
}

void CALLBACK OnTick(HWND, UINT, UINT_PTR, DWORD) {
    Run* run = currentRun;
    HWND dialog = run ? TopDialog() : nullptr;
    // A step that pumps messages itself holds back the next one until it returns, unless it
    // opened a nested dialog.
    if (!dialog || (!run->busy.empty() && run->busy.back() == dialog))
        return;
    if (IsWindowVisible(dialog)) {
        run->outcome->shown = true;
        run->hiddenTicks = 0;
    } else if (++run->hiddenTicks < HIDDEN_TICKS_BEFORE_ACTING) {
        return;
    }
    if (run->nextStep == run->steps.size()) {
        EndIdleDialog(run, dialog);
        return;
    }
    // Taken before running: a step that opens a nested dialog re-enters here.
    Step step = run->steps[run->nextStep++];
    run->outcome->stepsRun++;
    run->idleTicks = 0;
    run->busy.push_back(dialog);
    step(dialog);
    run->busy.pop_back();
}

HWND Control(HWND dialog, int id) {
    return GetDlgItem(dialog, id);
}

std::vector<std::string> Items(HWND dialog, int id, UINT countMessage, UINT lengthMessage,
                               UINT textMessage) {
    std::vector<std::string> items;
    const LRESULT count = SendDlgItemMessageA(dialog, id, countMessage, 0, 0);
    for (LRESULT i = 0; i < count; i++) {
        const LRESULT length = SendDlgItemMessageA(dialog, id, lengthMessage, i, 0);
        std::string text(length > 0 ? length + 1 : 1, '\0');
        SendDlgItemMessageA(dialog, id, textMessage, i, reinterpret_cast<LPARAM>(&text[0]));
        text.resize(std::strlen(text.c_str()));
        items.push_back(text);
    }
    return items;
}

} // namespace

Outcome RunModal(const std::function<INT_PTR()>& open, std::vector<Step> steps) {
    Outcome outcome;
    Run run;
    run.steps = std::move(steps);
    run.outcome = &outcome;
    Run* outer = currentRun;
    currentRun = &run;
    HHOOK hook = SetWindowsHookExA(WH_CBT, OnCbt, nullptr, GetCurrentThreadId());
    const UINT_PTR timer = SetTimer(nullptr, 0, USER_TIMER_MINIMUM, OnTick);
    outcome.result = open();
    KillTimer(nullptr, timer);
    UnhookWindowsHookEx(hook);
    currentRun = outer;
    // Drop a tick that was generated but not yet handled.
    MSG message;
    while (PeekMessageA(&message, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE)) {
    }
    return outcome;
}

HWND TopDialog() {
    if (!currentRun)
        return nullptr;
    auto& dialogs = currentRun->dialogs;
    while (!dialogs.empty() && !IsWindow(dialogs.back()))
        dialogs.pop_back();
    return dialogs.empty() ? nullptr : dialogs.back();
}

void Click(HWND dialog, int id) {
    SendMessageA(Control(dialog, id), BM_CLICK, 0, 0);
}

void Command(HWND dialog, int id, int code) {
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, code),
                 reinterpret_cast<LPARAM>(Control(dialog, id)));
}

void Key(HWND dialog, UINT virtualKey) {
    HWND focus = GetFocus();
    HWND target = focus && (focus == dialog || IsChild(dialog, focus)) ? focus : dialog;
    const UINT scan = MapVirtualKeyA(virtualKey, 0);
    PostMessageA(target, WM_KEYDOWN, virtualKey, 1 | (scan << 16));
    PostMessageA(target, WM_KEYUP, virtualKey, 1 | (scan << 16) | 0xC0000000u);
}

void CloseBox(HWND dialog) {
    SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
}

void Focus(HWND dialog, int id) {
    SetFocus(Control(dialog, id));
}

void Type(HWND dialog, int id, const std::string& text) {
    HWND control = Control(dialog, id);
    SetFocus(control);
    SendMessageA(control, EM_SETSEL, 0, -1);
    // As the keyboard delivers them: whole characters, a double-byte one included.
    const std::wstring characters = standin::Cp932ToWide(text);
    for (wchar_t c : characters)
        SendMessageW(control, WM_CHAR, c, 1);
}

void SelectListItem(HWND dialog, int id, int index) {
    SendDlgItemMessageA(dialog, id, LB_SETCURSEL, index, 0);
    Command(dialog, id, LBN_SELCHANGE);
}

void DoubleClickListItem(HWND dialog, int id, int index) {
    SelectListItem(dialog, id, index);
    Command(dialog, id, LBN_DBLCLK);
}

void SelectComboItem(HWND dialog, int id, int index) {
    SendDlgItemMessageA(dialog, id, CB_SETCURSEL, index, 0);
    Command(dialog, id, CBN_SELCHANGE);
}

void MouseClick(HWND dialog, int id) {
    HWND control = Control(dialog, id);
    RECT area;
    GetClientRect(control, &area);
    const LPARAM centre = MAKELPARAM(area.right / 2, area.bottom / 2);
    SendMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, centre);
    SendMessageA(control, WM_LBUTTONUP, 0, centre);
}

std::string Text(HWND dialog, int id) {
    char text[512] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

std::wstring TextW(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    std::wstring text(size_t(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(size_t(GetWindowTextW(control, &text[0], int(text.size()))));
    return text;
}

std::string Caption(HWND dialog) {
    char text[512] = {};
    GetWindowTextA(dialog, text, sizeof text);
    return text;
}

WORD StateWord(HWND dialog, int id) {
    return GetWindowWord(Control(dialog, id), 0);
}

std::vector<std::string> ListItems(HWND dialog, int id) {
    return Items(dialog, id, LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT);
}

std::vector<std::string> ComboItems(HWND dialog, int id) {
    return Items(dialog, id, CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT);
}

int ListSelection(HWND dialog, int id) {
    return static_cast<int>(SendDlgItemMessageA(dialog, id, LB_GETCURSEL, 0, 0));
}

int ComboSelection(HWND dialog, int id) {
    return static_cast<int>(SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0));
}

bool IsVisible(HWND dialog, int id) {
    return IsWindowVisible(Control(dialog, id)) != FALSE;
}

int FocusedId(HWND dialog) {
    HWND focus = GetFocus();
    return focus && IsChild(dialog, focus) ? GetDlgCtrlID(focus) : 0;
}

} // namespace modal
