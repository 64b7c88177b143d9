#include "sim/host/window/BoardPanel.h"

#include "sim/driver/LumoSimControl.h"
#include "sim/host/window/ToolWindow.h"

#include <cstdio>
#include <vector>

namespace standin {

namespace {

enum : int {
    BITS = 8,
    CELL = 16,        // a lamp or switch, with its gap
    LABEL_WIDTH = 84, // "出力 0" left of a row
    HEADER_HEIGHT = 22,
    BOARD_HEIGHT = HEADER_HEIGHT + 2 * BOARD_PORTS * CELL + 8,
    BOARD_WIDTH = LABEL_WIDTH + BITS * CELL + 12,
    BUTTON_WIDTH = 64,
};
enum : UINT_PTR { REFRESH_TIMER = 1 };
const char panelClass[] = "PemoStandInBoardPanel";

// The boards to show, in slot order, and their place in the panel.
std::vector<int> PresentSlots(LumoSim& sim) {
    std::vector<int> slots;
    for (int slot = 0; slot < BOARD_SLOTS; ++slot)
        if (sim.BoardState(slot) != LUMO_SIM_BOARD_NONE)
            slots.push_back(slot);
    return slots;
}

int BoardIndex(LumoSim& sim, int slot) {
    const std::vector<int> slots = PresentSlots(sim);
    for (size_t i = 0; i < slots.size(); ++i)
        if (slots[i] == slot)
            return int(i);
    return -1;
}

// Boards stand side by side, two to a row.
POINT BoardOrigin(int index) {
    return POINT{8 + (index % 2) * (BOARD_WIDTH + 8), 8 + (index / 2) * (BOARD_HEIGHT + 8)};
}

// Row 0..3: output ports 0..3; row 4..7: input ports 0..3. Bit 7 left, bit 0 right.
RECT CellRect(POINT origin, int row, int bit) {
    const int x = origin.x + LABEL_WIDTH + (BITS - 1 - bit) * CELL;
    const int y = origin.y + HEADER_HEIGHT + row * CELL;
    return RECT{x + 2, y + 2, x + CELL - 2, y + CELL - 2};
}

RECT ButtonRect(POINT origin) {
    return RECT{origin.x + BOARD_WIDTH - BUTTON_WIDTH - 4, origin.y + 2, origin.x + BOARD_WIDTH - 4,
                origin.y + HEADER_HEIGHT - 2};
}

POINT Centre(const RECT& box) {
    return POINT{(box.left + box.right) / 2, (box.top + box.bottom) / 2};
}

void Fill(HDC dc, const RECT& box, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &box, brush);
    DeleteObject(brush);
}

void PaintBoard(HDC dc, LumoSim& sim, int slot, POINT origin) {
    const bool inserted = sim.BoardState(slot) == LUMO_SIM_BOARD_INSERTED;
    char text[64];
    std::snprintf(text, sizeof text, "ボード %d%s", slot, inserted ? "" : " (抜いた)");
    TextOutA(dc, origin.x, origin.y + 4, text, lstrlenA(text));
    RECT button = ButtonRect(origin);
    DrawFrameControl(dc, &button, DFC_BUTTON, DFCS_BUTTONPUSH);
    const char* caption = inserted ? "抜く" : "差す";
    DrawTextA(dc, caption, -1, &button, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    for (int row = 0; row < 2 * BOARD_PORTS; ++row) {
        const bool output = row < BOARD_PORTS;
        const int port = row % BOARD_PORTS;
        const int32_t byte = output ? sim.OutputByte(slot, port) : sim.InputSwitches(slot, port);
        // Forced bits (from lumo31a-sim or another process) show the forced value, in orange.
        const int32_t forced = output ? 0 : sim.Forced(slot, port);
        std::snprintf(text, sizeof text, "%s %d%s", output ? "出力" : "入力", port,
                      forced ? " 強制" : "");
        TextOutA(dc, origin.x, origin.y + HEADER_HEIGHT + row * CELL + 1, text, lstrlenA(text));
        for (int bit = 0; bit < BITS; ++bit) {
            RECT cell = CellRect(origin, row, bit);
            const bool on = byte >= 0 && (byte >> bit) & 1;
            if (output) {
                Fill(dc, cell,
                     !inserted ? RGB(128, 128, 128)
                     : on      ? RGB(255, 40, 40)
                               : RGB(90, 0, 0));
            } else if ((forced >> 8) & (1 << bit)) {
                Fill(dc, cell, (forced >> bit) & 1 ? RGB(255, 140, 0) : RGB(110, 60, 0));
            } else {
                // A switch: sunken when on; hatched grey while the port counts or is wired.
                DrawFrameControl(dc, &cell, DFC_BUTTON,
                                 DFCS_BUTTONPUSH | (on ? DFCS_PUSHED : 0) |
                                     (byte < 0 ? DFCS_INACTIVE : 0));
                if (on) {
                    InflateRect(&cell, -3, -3);
                    Fill(dc, cell, RGB(0, 170, 0));
                }
            }
        }
    }
}

void PaintPanel(HDC dc, const RECT& area) {
    FillRect(dc, &area, GetSysColorBrush(COLOR_BTNFACE));
    HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    LumoSim sim;
    if (!LumoSimConnect(sim)) {
        const char none[] = "模擬ドライバが読み込まれていません";
        TextOutA(dc, 8, 8, none, lstrlenA(none));
    } else {
        const std::vector<int> slots = PresentSlots(sim);
        for (size_t i = 0; i < slots.size(); ++i)
            PaintBoard(dc, sim, slots[i], BoardOrigin(int(i)));
    }
    SelectObject(dc, oldFont);
}

const DWORD panelStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;

// The frame that shows every board present (one row without the simulated driver).
SIZE FrameForBoards() {
    LumoSim sim;
    const int boards = LumoSimConnect(sim) ? int(PresentSlots(sim).size()) : 0;
    const int rows = boards > 2 ? (boards + 1) / 2 : 1;
    RECT frame = {0, 0, 2 * BOARD_WIDTH + 24, rows * (BOARD_HEIGHT + 8) + 8};
    AdjustWindowRectEx(&frame, panelStyle, FALSE, WS_EX_TOOLWINDOW);
    return SIZE{frame.right - frame.left, frame.bottom - frame.top};
}

// A click: a switch flips its bit (the port reads the switches from then on), the button
// pulls the board out or puts it back.
void OnClick(HWND window, POINT point) {
    LumoSim sim;
    if (!LumoSimConnect(sim))
        return;
    for (int slot : PresentSlots(sim)) {
        const POINT origin = BoardOrigin(BoardIndex(sim, slot));
        RECT button = ButtonRect(origin);
        if (PtInRect(&button, point)) {
            if (sim.BoardState(slot) == LUMO_SIM_BOARD_INSERTED)
                sim.RemoveBoard(slot);
            else
                sim.InsertBoard(slot);
        }
        for (int port = 0; port < BOARD_PORTS; ++port)
            for (int bit = 0; bit < BITS; ++bit) {
                RECT cell = CellRect(origin, BOARD_PORTS + port, bit);
                if (!PtInRect(&cell, point))
                    continue;
                const int32_t now = sim.InputSwitches(slot, port);
                sim.SetInput(slot, port, (now < 0 ? 0 : now) ^ (1 << bit));
            }
    }
    InvalidateRect(window, nullptr, FALSE);
}

LRESULT CALLBACK PanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        PaintBuffered(window, PaintPanel);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        OnClick(window, POINT{short(LOWORD(lParam)), short(HIWORD(lParam))});
        return 0;
    case WM_CREATE:
        SetTimer(window, REFRESH_TIMER, 100, nullptr);
        return 0;
    case WM_SHOWWINDOW: // shown, the panel fits the boards there are now
        if (wParam) {
            const SIZE frame = FrameForBoards();
            SetWindowPos(window, nullptr, 0, 0, frame.cx, frame.cy,
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        break;
    case WM_TIMER: // the lamps follow the writes while the panel is shown
        if (IsWindowVisible(window))
            InvalidateRect(window, nullptr, FALSE);
        return 0;
    }
    return ToolWindowDefault(window, message, wParam, lParam);
}

} // namespace

HWND MakeBoardPanelWindow(HWND owner) {
    const SIZE frame = FrameForBoards();
    return MakeToolWindow(owner, {panelClass, PanelProc, IDC_HAND, "ボードパネル", panelStyle, 640,
                                  40, frame.cx, frame.cy});
}

POINT SwitchPoint(HWND, int slot, int port, int bit) {
    LumoSim sim;
    const int index = LumoSimConnect(sim) ? BoardIndex(sim, slot) : -1;
    if (index < 0)
        return POINT{-1, -1};
    return Centre(CellRect(BoardOrigin(index), BOARD_PORTS + port, bit));
}

POINT BoardButtonPoint(HWND, int slot) {
    LumoSim sim;
    const int index = LumoSimConnect(sim) ? BoardIndex(sim, slot) : -1;
    if (index < 0)
        return POINT{-1, -1};
    return Centre(ButtonRect(BoardOrigin(index)));
}

} // namespace standin
