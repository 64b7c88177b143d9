// The channel button ("ZAV:CONTROLKANAL") and the less/more button ("ZAV:CONTROLLESSMORE") of
// the parameter dialogs. Each keeps a 16-bit state word and draws the host's bitmap for it.
#pragma once

#include <windows.h>

enum : UINT {
    CTLM_SETSTATE = 254,     // parent to control: wParam = new state
    CTLM_CHANNELDOWN = 1025, // channel button to parent: wParam = button, lParam = state
    CTLM_CHANNELUP = 1026,
    CTLM_CHANNELDBLCLK = 1027,
    CTLM_CHANNELRDBLCLK = 1028,
    CTLM_DESELECT = 1029,          // parent to channel button: selected becomes in use
    CTLM_COPYNAMEIFEDITING = 1031, // host to parameter dialog
    CTLM_COPYNAMETOALL = 1032,     // host to parameter dialog
};

// Channel button states
enum : WORD { CHANNEL_INITIAL = 0, CHANNEL_SELECTED = 1, CHANNEL_IN_USE = 2, CHANNEL_UNUSED = 3 };
// Less/more button states
enum : WORD {
    LESS_DISABLED = 0,
    LESS_UP = 1,
    LESS_PRESSED = 2,
    MORE_DISABLED = 3,
    MORE_UP = 4,
    MORE_PRESSED = 5
};

#define CHANNEL_BUTTON_CLASS "ZAV:CONTROLKANAL"
#define LESS_MORE_BUTTON_CLASS "ZAV:CONTROLLESSMORE"

void RegisterControlClasses();
void UnregisterControlClasses();

LRESULT CALLBACK ChannelButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK LessMoreButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
