// The "DEV_SEL" dialog: choose a present board and one of its free ports of a kind.
#pragma once

#include "device/BoardTable.h"

#include <windows.h>

#include <cstdint>

// What the last OK of each kind chose; kept until the next OK of that kind.
struct HardwareChoice {
    uint16_t chosenSlot;
    uint16_t chosenPort;
};
extern HardwareChoice hardwareChoice[2]; // indexed by PortKind

// 0 when the user chose (see hardwareChoice), -1 when cancelled, nothing qualifies, or the
// dialog cannot be made.
int SelectHardware(PortKind kind, HWND owner);

INT_PTR CALLBACK InputHardwareDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK OutputHardwareDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
