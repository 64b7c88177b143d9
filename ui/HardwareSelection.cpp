#include "ui/HardwareSelection.h"

#include "host/HostBinding.h"
#include "res/ResourceIds.h"
#include "ui/PortNames.h"

#include <cstdio>

HardwareChoice hardwareChoice[2];

namespace {

// State of the open dialog; one dialog at a time serves both kinds.
uint16_t listedSlots[BOARD_SLOTS]; // logical slot of each list box entry, in list order
int listedSlotCount;               // entries in listedSlots
uint16_t listedPorts[BOARD_PORTS]; // port of each combo box entry, in list order
int listedPortCount;               // entries in listedPorts
int16_t shownSlot;                 // slot whose information and ports are on display, -1: none
bool choiceTaken;                  // OK or a double-click wrote the kind's hardwareChoice

int CountFreePorts(PortKind kind, uint16_t slot) {
    int count = 0;
    for (uint16_t port = 0; port < BOARD_PORTS; port++)
        if (IsPortFree(kind, slot, port))
            count++;
    return count;
}

void ListBoards(HWND dialog, PortKind kind) {
    listedSlotCount = 0;
    for (uint16_t slot = 0; slot < BOARD_SLOTS; slot++) {
        if (BoardTable[slot].present != 1 || CountFreePorts(kind, slot) < 1)
            continue;
        char text[32];
        std::snprintf(text, sizeof text, "Lumo-P31 - %d", slot);
        SendDlgItemMessageA(dialog, IDC_DEVSEL_LIST, LB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(text));
        listedSlots[listedSlotCount++] = slot;
    }
}

void ShowBoardInformation(HWND dialog, const BoardEntry& board) {
    char text[32];
    std::snprintf(text, sizeof text, "%x H", board.ioPortAddress);
    SetDlgItemTextA(dialog, IDC_DEVSEL_ADDRESS, text);
    std::snprintf(text, sizeof text, "%d", board.ioPortLength);
    SetDlgItemTextA(dialog, IDC_DEVSEL_LENGTH, text);
    std::snprintf(text, sizeof text, "%x h", board.switchValue);
    SetDlgItemTextA(dialog, IDC_DEVSEL_SWITCH, text);
}

void ListFreePorts(HWND dialog, PortKind kind, uint16_t slot) {
    if (SendDlgItemMessageA(dialog, IDC_DEVSEL_PORTS, CB_GETCOUNT, 0, 0) > 0)
        SendDlgItemMessageA(dialog, IDC_DEVSEL_PORTS, CB_RESETCONTENT, 0, 0);
    listedPortCount = 0;
    for (uint16_t port = 0; port < BOARD_PORTS; port++) {
        if (!IsPortFree(kind, slot, port))
            continue;
        listedPorts[listedPortCount++] = port;
        SendDlgItemMessageA(dialog, IDC_DEVSEL_PORTS, CB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(PortName(kind, port)));
    }
    SendDlgItemMessageA(dialog, IDC_DEVSEL_PORTS, CB_SETCURSEL, 0, 0);
}

void ShowBoard(HWND dialog, PortKind kind, uint16_t slot) {
    // The board on display keeps the user's port choice.
    if (slot == static_cast<uint16_t>(shownSlot))
        return;
    ShowBoardInformation(dialog, BoardTable[slot]);
    ListFreePorts(dialog, kind, slot);
    shownSlot = static_cast<int16_t>(slot);
}

// Index of the current selection of a list or combo box, -1 when none is within `count`.
int SelectedIndex(HWND dialog, int id, UINT message, int count) {
    const LRESULT index = SendDlgItemMessageA(dialog, id, message, 0, 0);
    return index >= 0 && index < count ? static_cast<int>(index) : -1;
}

// Without a selected board and port there is nothing to choose: the dialog stays open.
void TakeChoice(HWND dialog, PortKind kind) {
    const int board = SelectedIndex(dialog, IDC_DEVSEL_LIST, LB_GETCURSEL, listedSlotCount);
    const int port = SelectedIndex(dialog, IDC_DEVSEL_PORTS, CB_GETCURSEL, listedPortCount);
    if (board < 0 || port < 0)
        return;
    hardwareChoice[static_cast<int>(kind)].chosenSlot = listedSlots[board];
    hardwareChoice[static_cast<int>(kind)].chosenPort = listedPorts[port];
    choiceTaken = true;
    EndDialog(dialog, 0);
}

void OnBoardSelected(HWND dialog, PortKind kind) {
    const int board = SelectedIndex(dialog, IDC_DEVSEL_LIST, LB_GETCURSEL, listedSlotCount);
    if (board >= 0)
        ShowBoard(dialog, kind, listedSlots[board]);
}

INT_PTR OnInitDialog(HWND dialog, PortKind kind) {
    shownSlot = -1;
    listedPortCount = 0;
    ListBoards(dialog, kind);
    if (listedSlotCount == 0) {
        hostBinding.services.ShowWarning("エラー", "使えるデバイスがありません");
        EndDialog(dialog, -1);
        return TRUE;
    }
    SendDlgItemMessageA(dialog, IDC_DEVSEL_LIST, LB_SETCURSEL, 0, 0);
    ShowBoard(dialog, kind, listedSlots[0]);
    return TRUE;
}

INT_PTR OnCommand(HWND dialog, PortKind kind, WPARAM wParam) {
    const int id = LOWORD(wParam);
    const int notification = HIWORD(wParam);
    if (id == IDOK)
        TakeChoice(dialog, kind);
    else if (id == IDCANCEL)
        EndDialog(dialog, -1);
    else if (id == IDC_DEVSEL_LIST && notification == LBN_SELCHANGE)
        OnBoardSelected(dialog, kind);
    else if (id == IDC_DEVSEL_LIST && notification == LBN_DBLCLK)
        TakeChoice(dialog, kind);
    return TRUE;
}

INT_PTR HardwareDialogProc(PortKind kind, HWND dialog, UINT message, WPARAM wParam) {
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog(dialog, kind);
    case WM_COMMAND:
        return OnCommand(dialog, kind, wParam);
    default:
        return FALSE; // WM_CLOSE included: the dialog manager turns it into IDCANCEL
    }
}

} // namespace

INT_PTR CALLBACK InputHardwareDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    return HardwareDialogProc(PortKind::Input, dialog, message, wParam);
}

INT_PTR CALLBACK OutputHardwareDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    return HardwareDialogProc(PortKind::Output, dialog, message, wParam);
}

int SelectHardware(PortKind kind, HWND owner) {
    DLGPROC procedure =
        kind == PortKind::Output ? OutputHardwareDialogProc : InputHardwareDialogProc;
    choiceTaken = false;
    const INT_PTR result = DialogBoxParamA(hostBinding.instance, "DEV_SEL", owner, procedure, 0);
    // DialogBoxParamA also answers 0 when it fails on a bad owner: only a real choice is 0.
    return result == 0 && choiceTaken ? 0 : -1;
}
