// The desktop program's start, its message loop and stop, its menus and the table of its
// commands; the commands themselves, the desk and the tool windows are in files of their own.
#include "sim/host/window/WindowState.h"

#include "sim/host/core/HostControl.h"
#include "sim/host/flowchart/Worksheet.h"
#include "sim/host/run/ExperimentRun.h"
#include "sim/host/window/BoardPanel.h"
#include "sim/host/window/LiveChart.h"

#include <commctrl.h>

namespace standin {

App app;

namespace {

HACCEL MakeAccelerators() {
    std::vector<ACCEL> keys = MenuShortcuts();
    return CreateAcceleratorTableA(keys.data(), int(keys.size()));
}

// The module popup gets "新しいモジュール" with one entry per registered class, the file
// popup the recent files.
void ExtendMenus() {
    app.classMenu = CreatePopupMenu();
    for (size_t i = 0; i < Classes().size(); ++i)
        AppendMenuA(app.classMenu, MF_STRING, HOSTCMD_MODULE_NEW_FIRST + i,
                    (Classes()[i].className + " - " + Classes()[i].description).c_str());
    InsertMenuA(HostPopup(HOST_POPUP_MODULE), 0, MF_BYPOSITION | MF_POPUP,
                reinterpret_cast<UINT_PTR>(app.classMenu), "新しいモジュール(&N)");
    InsertMenuA(HostPopup(HOST_POPUP_MODULE), 1, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
    app.recentMenu = CreatePopupMenu();
    HMENU file = HostPopup(HOST_POPUP_FILE);
    InsertMenuA(file, UINT(GetMenuItemCount(file) - 1), MF_BYPOSITION | MF_POPUP,
                reinterpret_cast<UINT_PTR>(app.recentMenu), "最近使ったファイル(&R)");
    InsertMenuA(file, UINT(GetMenuItemCount(file) - 1), MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
    LoadRecent();
    ShowRecent();
    DrawMenuBar(MainWindow());
}

void RegisterCommands() {
    const struct {
        uint32_t command;
        void (*handler)();
    } commands[] = {
        {HOSTCMD_FILE_NEW, NewFlowChart},
        {HOSTCMD_FILE_OPEN, OpenCommand},
        {HOSTCMD_FILE_SAVE, SaveCommand},
        {HOSTCMD_FILE_SAVE_AS, SaveAsCommand},
        {HOSTCMD_EDIT_MODULE, ParametersCommand},
        {HOSTCMD_MODULE_DELETE, DeleteCommand},
        {HOSTCMD_MODULE_CONNECT, ConnectCommand},
        {HOSTCMD_EXPERIMENT_TIME_BASE, TimeBaseCommand},
        {HOSTCMD_EXPERIMENT_START, StartCommand},
        {HOSTCMD_EXPERIMENT_PAUSE, PauseCommand},
        {HOSTCMD_EXPERIMENT_STOP, StopCommand},
        {HOSTCMD_WINDOW_TILE, TileCommand},
        {HOSTCMD_WINDOW_CHART, [] { ShowWindow(app.chart, SW_SHOWNORMAL); }},
        {HOSTCMD_WINDOW_BOARDS, [] { ShowWindow(app.panel, SW_SHOWNORMAL); }},
        {HOSTCMD_WINDOW_WARNINGS, ShowWarningsWindow},
    };
    for (const auto& entry : commands)
        RegisterHostCommand(entry.command, entry.handler);
    for (uint32_t i = 0; i < HOSTCMD_RECENT_COUNT; ++i)
        RegisterHostCommand(HOSTCMD_FILE_RECENT_FIRST + i, [i] {
            if (i < app.recent.size())
                OpenCommand(std::wstring(app.recent[i]));
        });
    for (size_t i = 0; i < Classes().size(); ++i) {
        const auto create = [i] {
            if (i < Classes().size())
                CreateModule(Classes()[i]);
        };
        RegisterHostCommand(HOSTCMD_MODULE_NEW_FIRST + uint32_t(i), create);
        // The entries of the plug-in's own popup carry its classes' ids: a new module too.
        RegisterHostCommand(Classes()[i].record.classId, create);
    }
}

} // namespace

void Refresh() {
    InvalidateRect(MainWindow(), nullptr, TRUE);
}

void Alert(const std::wstring& text, UINT icon) {
    MessageBoxW(MainWindow(), text.c_str(), L"Pemo", MB_OK | icon);
}

// Our own texts, which the compiler stores in code page 932.
void Alert(const std::string& text, UINT icon) {
    Alert(Cp932ToWide(text), icon);
}

// Texts that name files: UTF-8.
void AlertUtf8(const std::string& text) {
    Alert(Utf8ToWide(text));
}

void ShowCaption() {
    const std::wstring name = app.path.empty() ? Cp932ToWide("(新しいフローチャート)") : app.path;
    SetWindowTextW(MainWindow(), (L"Pemo - " + name + (app.changed ? L" *" : L"")).c_str());
}

void MarkChanged() {
    if (!app.changed) {
        app.changed = true;
        ShowCaption();
    }
}

bool StopIfRunning() {
    if (CurrentRun().active)
        StopRun();
    return true;
}

bool StartHostWindow() {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    app = App{};
    app.statusBar =
        CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0,
                        MainWindow(), nullptr, GetModuleHandleA(nullptr), nullptr);
    app.chart = MakeLiveChartWindow(MainWindow());
    app.panel = MakeBoardPanelWindow(MainWindow());
    MakeWarningsWindow();
    app.accelerators = MakeAccelerators();
    if (!app.statusBar || !app.chart || !app.panel || !app.warnings || !app.accelerators)
        return false;
    ExtendMenus();
    RegisterCommands();
    SetMainWindowHook(OnMainMessage);
    // A new flow chart starts with the host's usual time base.
    if (!(MilliSecondsPerSample() > 0))
        SetMilliSecondsPerSample(1.0);
    if (BlockSize() == 0)
        SetBlockSize(100);
    RECT client;
    GetClientRect(MainWindow(), &client);
    SendMessageA(MainWindow(), WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
    SetTimer(MainWindow(), RUN_TIMER, LIVE_CHART_INTERVAL_MS, nullptr);
    ShowCaption();
    ShowStatus();
    return true;
}

void StopHostWindow() {
    StopIfRunning();
    SetMainWindowHook(nullptr);
    KillTimer(MainWindow(), RUN_TIMER);
    for (HWND window : {app.statusBar, app.chart, app.panel, app.warnings})
        if (IsWindow(window))
            DestroyWindow(window);
    if (app.accelerators)
        DestroyAcceleratorTable(app.accelerators);
    app = App{};
}

void PumpWindowMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (app.accelerators && TranslateAcceleratorA(MainWindow(), app.accelerators, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

int RunHostWindow(const std::wstring& pluginPath, const std::wstring& flowChart, bool start) {
    HostOptions options;
    options.interactive = true;
    if (!HostStart(options))
        return 1;
    if (!LoadPlugin(pluginPath)) {
        Alert(Cp932ToWide("プラグインを読み込めません: ") + pluginPath, MB_ICONERROR);
        HostStop();
        return 1;
    }
    if (!CallSetup()) {
        Alert("SetupPemoDLL が 0 を返しました (lumo31a.dll がないか、エントリが欠けています)。",
              MB_ICONERROR);
        HostStop();
        return 1;
    }
    if (!StartHostWindow()) {
        HostStop();
        return 1;
    }
    if (!flowChart.empty() && OpenCommand(flowChart) && start)
        ChooseMenuCommand(HOSTCMD_EXPERIMENT_START);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (TranslateAcceleratorA(MainWindow(), app.accelerators, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    StopHostWindow();
    CloseWorksheet();
    CallFinish();
    HostStop();
    return 0;
}

HWND LiveChartWindow() {
    return app.chart;
}
HWND BoardPanelWindow() {
    return app.panel;
}
} // namespace standin
