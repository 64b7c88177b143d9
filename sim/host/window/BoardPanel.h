// The board panel: for each simulated board its four output ports as rows of lamps that follow
// the bytes written, its four input ports as rows of switches the user clicks to set what they
// read (forced bits in orange), and a button to pull the board out or put it back. Works
// through the simulated driver's control entries, live during a run, on the boards every
// process of the bench shares: the stand-in host's panel and lumo31a-sim panel show the same.
#pragma once

#include <windows.h>

namespace standin {

// The panel window (owned by `owner`), hidden until shown. Without the simulated driver
// loaded it shows that there is none.
HWND MakeBoardPanelWindow(HWND owner);
// Where the user clicks, in the panel's client coordinates: an input switch (bit 0 right-most,
// as the lamps), and the pull-out / put-back button of a board. (-1, -1) when the board is not
// there.
POINT SwitchPoint(HWND panel, int slot, int port, int bit);
POINT BoardButtonPoint(HWND panel, int slot);

} // namespace standin
