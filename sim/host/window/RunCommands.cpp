// The experiment menu's commands (time base, start, pause, stop) and the window menu's tiling.
#include "sim/host/window/WindowState.h"

#include "sim/host/flowchart/Worksheet.h"
#include "sim/host/run/ExperimentRun.h"
#include "sim/host/window/FormDialog.h"
#include "sim/host/window/LiveChart.h"

#include <cstdio>
#include <cstdlib>

namespace standin {

void TimeBaseCommand() {
    char ms[32];
    std::snprintf(ms, sizeof ms, "%g", MilliSecondsPerSample());
    std::vector<FormField> fields = {{"ms / サンプル", {}, ms, 0},
                                     {"ブロック", {}, std::to_string(BlockSize()), 0}};
    if (!RunFormDialog(MainWindow(), "タイムベース", fields))
        return;
    char* end = nullptr;
    const double perSample = std::strtod(fields[0].text.c_str(), &end);
    const bool msOk =
        end != fields[0].text.c_str() && !*end && perSample >= 0.001 && perSample <= 1e6;
    const unsigned long block = std::strtoul(fields[1].text.c_str(), &end, 10);
    const bool blockOk =
        end != fields[1].text.c_str() && !*end && block >= 1 && block <= MAX_BLOCK_SIZE;
    if (!msOk || !blockOk) {
        Alert("ms / サンプルは 0.001 から 1000000、ブロックは 1 から 65535 サンプルです。");
        return;
    }
    if (CurrentRun().active) {
        Alert("実験中はタイムベースを変えられません。");
        return;
    }
    SetMilliSecondsPerSample(perSample);
    SetBlockSize(uint32_t(block));
    MarkChanged();
}

void StartCommand() {
    const RunStatus status = CurrentRun();
    if (status.active) {
        if (status.paused)
            PauseRun(false);
        return;
    }
    ResetLiveChart();
    RunSettings settings;
    settings.msPerSample = MilliSecondsPerSample();
    settings.blockSize = BlockSize();
    RunHooks hooks;
    hooks.blockNote = NoteLiveBlock;
    std::string refusal;
    if (!StartRun(settings, hooks, &refusal)) {
        Alert("実験を開始できません: " + refusal);
        return;
    }
    ShowWindow(app.chart, SW_SHOWNOACTIVATE);
}

void PauseCommand() {
    const RunStatus status = CurrentRun();
    if (status.active)
        PauseRun(!status.paused);
}

void StopCommand() {
    if (CurrentRun().active)
        StopRun();
}

void TileCommand() {
    RECT main;
    GetWindowRect(MainWindow(), &main);
    SetWindowPos(app.chart, nullptr, main.left, main.bottom, main.right - main.left, 360,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(app.panel, nullptr, main.right, main.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(app.chart, SW_SHOWNOACTIVATE);
    ShowWindow(app.panel, SW_SHOWNOACTIVATE);
}

} // namespace standin
