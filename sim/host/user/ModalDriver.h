// ModalDriver: the scripted user. It acts as the user on the modal dialogs that a call opens,
// for the tests and for the host program alike.
//
//   modal::Outcome outcome = modal::RunModal(
//       [] { return DialogBoxParamA(instance, "DEV_SEL", owner, proc, 0); },
//       {[&](HWND dialog) { seen = modal::Text(dialog, 1001); },
//        [](HWND dialog) { modal::Click(dialog, IDOK); }});
//
// RunModal calls `open` on this thread. While `open` runs its modal loop, a thread timer
// runs the steps, one per tick, each on the innermost dialog ("#32770": dialog boxes and
// message boxes) of this thread that is open at that tick, once that dialog is visible. A step that
// opens a nested modal dialog (a version button, a message box) does not return until that dialog
// ends; the following steps meanwhile run on the nested dialog. A step that pumps messages itself
// keeps the next step waiting until it returns. Posted messages are handled before the next tick,
// since the timer only fires on an empty queue.
//
// A dialog that ends during WM_INITDIALOG is never shown and runs no step. When the steps run
// out and a dialog is still open, the driver waits a few ticks and then ends it with
// FORCED_END, so that a wrong script fails the test instead of hanging it.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace modal {

using Step = std::function<void(HWND dialog)>;

enum : INT_PTR { FORCED_END = -2 };

struct Outcome {
    INT_PTR result = 0;      // what open() returned
    int dialogsCreated = 0;  // "#32770" windows of this thread created while open() ran
    int stepsRun = 0;        // steps executed (the rest found no dialog open)
    bool shown = false;      // a dialog was visible at some tick
    bool forcedEnd = false;  // the driver ended a dialog that the steps left open
    std::string forcedTitle; // caption of that dialog
};

Outcome RunModal(const std::function<INT_PTR()>& open, std::vector<Step> steps);

// The innermost open dialog of this thread, or null.
HWND TopDialog();

// ---- Gestures (each acts through the controls and the dialog manager) ------------------------

// A push button click (BM_CLICK: press and release on the button).
void Click(HWND dialog, int id);
// A WM_COMMAND from control `id` with the notification `code`, sent to the dialog.
void Command(HWND dialog, int id, int code = 0);
// A key pressed on the focused control; goes through the dialog loop (Enter, Escape, Tab).
void Key(HWND dialog, UINT virtualKey);
// The system menu's Close (the title bar's close box).
void CloseBox(HWND dialog);
// Focus to the control, select its text, then type `text` (bytes of code page 932) character
// by character (WM_CHAR); edits apply their own length limit.
void Type(HWND dialog, int id, const std::string& text);
void Focus(HWND dialog, int id);
// Selects list entry `index` and notifies the dialog (LBN_SELCHANGE), or double-clicks it
// (selection, LBN_SELCHANGE, LBN_DBLCLK).
void SelectListItem(HWND dialog, int id, int index);
void DoubleClickListItem(HWND dialog, int id, int index);
// Selects combo box entry `index` and notifies the dialog (CBN_SELCHANGE).
void SelectComboItem(HWND dialog, int id, int index);
// Left click on a custom control: button down and up at its centre.
void MouseClick(HWND dialog, int id);

// ---- Reading ----------------------------------------------------------------------------------

std::string Text(HWND dialog, int id);   // window text, code page 932 bytes
std::wstring TextW(HWND dialog, int id); // the same as UTF-16 (a message box's text is 0xFFFF)
std::string Caption(HWND dialog);
WORD StateWord(HWND dialog, int id); // GetWindowWord(control, 0) of a custom control
std::vector<std::string> ListItems(HWND dialog, int id);
std::vector<std::string> ComboItems(HWND dialog, int id);
int ListSelection(HWND dialog, int id);  // LB_GETCURSEL
int ComboSelection(HWND dialog, int id); // CB_GETCURSEL
bool IsVisible(HWND dialog, int id);
int FocusedId(HWND dialog); // id of the control with the focus, 0 when none of the dialog's

} // namespace modal
