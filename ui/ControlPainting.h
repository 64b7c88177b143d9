// Painting of the channel and less/more buttons: the host's picture for the control's state,
// copied unscaled to the top left corner. Shared by WM_PAINT and by anything that renders a
// control into a bitmap.
#pragma once

#include "host/HostInterface.h"

#include <windows.h>

// The host's picture arrays hold this many pictures; states beyond them have none.
enum : unsigned { CHANNEL_PICTURE_COUNT = 4, LESS_MORE_PICTURE_COUNT = 6 };

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

// Draws the picture of `state` on `target` at (0, 0), in the size of the array's first picture;
// draws nothing for a state the array has no picture for.
void DrawStatePicture(HDC target, PictureArray pictures, WORD state);
// Answers WM_PAINT: draws the picture of the control's current state.
void PaintControl(HWND control, PictureArray pictures);
