// The status bar, the list of warnings and the timer that paces the live windows during a run.
#include "sim/host/window/WindowState.h"

#include "sim/host/run/ExperimentRun.h"
#include "sim/host/window/LiveChart.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>

namespace standin {

namespace {

void ListWarnings() {
    if (!IsWindow(app.warnings))
        return;
    if (WarningCount() < app.warningsListed) // the records were cleared
        app.warningsListed = 0, SendMessageA(app.warnings, LB_RESETCONTENT, 0, 0);
    for (const Warning& warning : WarningsFrom(app.warningsListed)) {
        ++app.warningsListed;
        const std::string line = warning.title + ": " + warning.text;
        std::string flat = line;
        std::replace(flat.begin(), flat.end(), '\n', ' ');
        std::replace(flat.begin(), flat.end(), '\r', ' ');
        SendMessageA(app.warnings, LB_ADDSTRING, 0, LPARAM(flat.c_str()));
    }
}

} // namespace

void ShowStatus() {
    const RunStatus status = CurrentRun();
    char text[4][96];
    std::snprintf(text[0], sizeof text[0], "%s %.1f s",
                  !status.active  ? "停止"
                  : status.paused ? "一時停止"
                                  : "実験中",
                  status.elapsedMs / 1000.0);
    std::snprintf(text[1], sizeof text[1], "ブロック %llu", (unsigned long long)status.blocks);
    std::snprintf(text[2], sizeof text[2], "警告 %zu", WarningCount());
    std::snprintf(text[3], sizeof text[3], "%g ms / サンプル, %u サンプル / ブロック",
                  MilliSecondsPerSample(), BlockSize());
    for (int part = 0; part < 4; ++part)
        SendMessageA(app.statusBar, SB_SETTEXTA, WPARAM(part), LPARAM(text[part]));
}

void MakeWarningsWindow() {
    app.warnings =
        CreateWindowExA(WS_EX_TOOLWINDOW, "LISTBOX", "警告の一覧",
                        WS_OVERLAPPEDWINDOW | WS_VSCROLL | LBS_NOINTEGRALHEIGHT, 160, 200, 520, 200,
                        MainWindow(), nullptr, GetModuleHandleA(nullptr), nullptr);
    app.warningsListed = 0;
    ListWarnings();
}

void ShowWarningsWindow() {
    if (!IsWindow(app.warnings)) // closing it destroys it
        MakeWarningsWindow();
    ShowWindow(app.warnings, SW_SHOWNORMAL);
}

void OnRunTimer() {
    const RunStatus status = CurrentRun();
    if (status.active) {
        NoteLivePorts(status.elapsedMs / 1000.0);
        if (IsWindowVisible(app.chart))
            InvalidateRect(app.chart, nullptr, FALSE);
        // The plug-in asked to stop, or the time was up: the stop messages go out from here.
        if (!status.processing)
            StopRun();
    }
    ShowStatus();
    ListWarnings();
}

HWND StatusBarWindow() {
    return app.statusBar;
}
HWND WarningsWindow() {
    return app.warnings;
}

} // namespace standin
