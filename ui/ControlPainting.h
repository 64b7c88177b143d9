// What the channel and less/more buttons share: the state word, the size they keep, and the
// painting of the host's picture for the state, copied unscaled to the top left corner. The
// same painting answers WM_PAINT and WM_PRINTCLIENT, so a control can be rendered into any
// device context, a memory bitmap's included.
#pragma once

#include "host/HostInterface.h"

#include <windows.h>

// One of the host's arrays of 32-bit bitmap handles, element i being the picture of state i.
struct PictureArray {
    const Addr32* pictures; // the host's array (hBitChannel or hBitLessMore)
    unsigned count;         // pictures the host provides
};

PictureArray ChannelPictures();
PictureArray LessMorePictures();

// The state word kept in a control's window extra bytes.
WORD ControlState(HWND control);
void SetControlState(HWND control, WORD state);

// Answers WM_CREATE: keeps the position the creator gave and takes the fixed pixel size,
// whatever the dialog units of a template.
void KeepFixedSize(HWND control, const CREATESTRUCTA* creation, int width, int height);

// Draws the picture of `state` on `target` at (0, 0), in the size of the array's first picture;
// draws nothing for a state the array has no picture for.
void DrawStatePicture(HDC target, PictureArray pictures, WORD state);
// Draws the picture of the control's current state: into `given` (WM_PRINTCLIENT's device
// context), or, when it is null, into the control's window between BeginPaint and EndPaint.
void PaintControl(HWND control, HDC given, PictureArray pictures);
