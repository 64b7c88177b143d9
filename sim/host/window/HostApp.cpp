#include "sim/host/window/HostApp.h"

#include "sim/driver/LumoSimControl.h"
#include "sim/host/run/ExperimentRun.h"
#include "sim/host/support/Files.h"
#include "sim/host/flowchart/FlowChartFile.h"
#include "sim/host/core/HostControl.h"
#include "sim/host/window/BoardPanel.h"
#include "sim/host/window/FormDialog.h"
#include "sim/host/window/LiveChart.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <cstdio>

namespace standin {

namespace {

enum : UINT_PTR { RUN_TIMER = 13 };
const wchar_t recentKey[] = L"Software\\Pemo_ux1\\StandInHost\\Recent";

struct App {
    HWND statusBar = nullptr, chart = nullptr, panel = nullptr, warnings = nullptr;
    HACCEL accelerators = nullptr;
    HMENU classMenu = nullptr, recentMenu = nullptr;
    ModuleRecord* selected = nullptr;
    std::wstring path;
    bool changed = false; // since the flow chart was opened, saved or made new
    std::vector<std::wstring> recent;
    size_t warningsListed = 0;
} app;

void Refresh() {
    InvalidateRect(MainWindow(), nullptr, TRUE);
}

void Alert(const std::wstring& text, UINT icon = MB_ICONWARNING) {
    MessageBoxW(MainWindow(), text.c_str(), L"Pemo", MB_OK | icon);
}

// Our own texts, which the compiler stores in code page 932.
void Alert(const std::string& text, UINT icon = MB_ICONWARNING) {
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

// ---- Recent files, kept in the registry ----------------------------------------------------

void LoadRecent() {
    app.recent.clear();
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, recentKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    for (uint32_t i = 0; i < HOSTCMD_RECENT_COUNT; ++i) {
        const std::wstring name = std::to_wstring(i);
        DWORD size = 0, type = 0;
        if (RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
            type != REG_SZ || size < 2 * sizeof(wchar_t))
            continue;
        std::wstring value(size / sizeof(wchar_t), L'\0');
        if (RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value[0]),
                             &size) == ERROR_SUCCESS) {
            value.resize(std::min<size_t>(value.size(), size / sizeof(wchar_t)));
            while (!value.empty() && value.back() == L'\0')
                value.pop_back();
            if (!value.empty())
                app.recent.push_back(value);
        }
    }
    RegCloseKey(key);
}

void ShowRecent() {
    while (GetMenuItemCount(app.recentMenu) > 0)
        DeleteMenu(app.recentMenu, 0, MF_BYPOSITION);
    for (size_t i = 0; i < app.recent.size(); ++i)
        AppendMenuW(app.recentMenu, MF_STRING, HOSTCMD_FILE_RECENT_FIRST + i,
                    (L"&" + std::to_wstring(i + 1) + L" " + app.recent[i]).c_str());
    if (app.recent.empty())
        AppendMenuW(app.recentMenu, MF_STRING | MF_GRAYED, HOSTCMD_FILE_RECENT_FIRST,
                    Cp932ToWide("(なし)").c_str());
}

// The list is a registry value per file: a value is replaced whole, so an interrupted update
// leaves each entry either old or new.
void RememberFile(const std::wstring& path) {
    app.recent.erase(std::remove(app.recent.begin(), app.recent.end(), path), app.recent.end());
    app.recent.insert(app.recent.begin(), path);
    if (app.recent.size() > HOSTCMD_RECENT_COUNT)
        app.recent.resize(HOSTCMD_RECENT_COUNT);
    HKEY key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, recentKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                        nullptr) == ERROR_SUCCESS) {
        for (size_t i = 0; i < app.recent.size(); ++i)
            RegSetValueExW(key, std::to_wstring(i).c_str(), 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(app.recent[i].c_str()),
                           DWORD((app.recent[i].size() + 1) * sizeof(wchar_t)));
        RegCloseKey(key);
    }
    ShowRecent();
}

// ---- Files ----------------------------------------------------------------------------------

std::wstring ChooseFile(bool save) {
    std::wstring file(32768, L'\0'); // room for any path Windows can name
    if (save && !app.path.empty())
        file.replace(0, app.path.size(), app.path);
    const std::wstring filter = Cp932ToWide("フローチャート (*.json)") +
                                std::wstring(L"\0*.json\0", 8) + Cp932ToWide("すべてのファイル") +
                                std::wstring(L"\0*.*\0\0", 6);
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = MainWindow();
    dialog.lpstrFilter = filter.c_str();
    dialog.lpstrFile = &file[0];
    dialog.nMaxFile = DWORD(file.size());
    dialog.lpstrDefExt = L"json";
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY |
                   (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST);
    const BOOL chosen = save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
    return chosen ? std::wstring(file.c_str()) : std::wstring();
}

// The simulated driver's configuration beside a flow chart comes on top of the running one, so
// that its boards are there when the modules claim their ports. Not again when the driver read
// that very file at load (pemo_host open FLOWCHART): applying restarts its fault counts. The
// plug-in lists its boards once, at set-up, so a board that only the later file adds stays
// unknown to it.
void ApplyDriverConfigBeside(const std::wstring& path) {
    const std::wstring beside = DriverConfigBeside(path);
    std::string text;
    LumoSim sim;
    if (!FileExists(beside) || !ReadWholeFile(beside, &text) || !LumoSimConnect(sim))
        return;
    if (CompareStringOrdinal(LumoSimText(sim.ConfigOrigin).c_str(), -1, beside.c_str(), -1, TRUE) ==
        CSTR_EQUAL)
        return;
    if (!sim.Apply(text.c_str()))
        Alert(beside + L": " + LumoSimText(sim.ConfigError));
}

bool StopIfRunning() {
    if (CurrentRun().active)
        StopRun();
    return true;
}

// ---- Commands -------------------------------------------------------------------------------

void NewFlowChart() {
    StopIfRunning();
    CloseWorksheet();
    app.selected = nullptr;
    app.path.clear();
    app.changed = false;
    ShowCaption();
    Refresh();
}

void OpenCommand() {
    const std::wstring path = ChooseFile(false);
    if (!path.empty())
        OpenFlowChartFile(path);
}

void SaveAsCommand() {
    const std::wstring path = ChooseFile(true);
    if (!path.empty())
        SaveFlowChartFile(path);
}

void SaveCommand() {
    if (app.path.empty())
        SaveAsCommand();
    else
        SaveFlowChartFile(app.path);
}

void ParametersCommand() {
    if (app.selected) {
        SendModuleMessage(app.selected, MODMSG_PARAMETER_DIALOG);
        MarkChanged(); // the plug-in tells no one whether the user changed anything
    }
    Refresh();
}

void DeleteCommand() {
    if (app.selected)
        DeleteModule(app.selected);
}

std::string ChannelName(size_t index, ModuleRecord* module, uint32_t channel) {
    return std::to_string(index) + " " + module->moduleName + " ch " + std::to_string(channel);
}

struct ChannelRef {
    ModuleRecord* module;
    uint32_t channel;
};

void ConnectCommand() {
    const std::vector<ModuleRecord*> modules = Modules();
    std::vector<ChannelRef> outputs, inputs;
    FormField from{"出力チャネル", {}, "", 0}, to{"入力チャネル", {}, "", 0};
    for (size_t i = 0; i < modules.size(); ++i) {
        for (uint32_t c = 0; c < modules[i]->outputChannelCount && c < MAX_CHANNELS; ++c) {
            outputs.push_back({modules[i], c});
            from.items.push_back(ChannelName(i, modules[i], c));
        }
        for (uint32_t c = 0; c < modules[i]->inputChannelCount && c < MAX_CHANNELS; ++c) {
            inputs.push_back({modules[i], c});
            to.items.push_back(ChannelName(i, modules[i], c));
        }
    }
    if (outputs.empty() || inputs.empty()) {
        Alert("接続するには出力チャネルと入力チャネルのあるモジュールが必要です。",
              MB_ICONINFORMATION);
        return;
    }
    // A run of channels at once: from k and to k for k = 0 .. count - 1, as far as both
    // modules have channels (eight at once join two modules as the loopback example does).
    std::vector<FormField> fields = {from, to, {"チャネル数", {}, "1", 0}};
    if (!RunFormDialog(MainWindow(), "チャネルの接続", fields))
        return;
    const int out = fields[0].selection, in = fields[1].selection;
    char* end = nullptr;
    const unsigned long count = std::strtoul(fields[2].text.c_str(), &end, 10);
    if (out < 0 || in < 0 || size_t(out) >= outputs.size() || size_t(in) >= inputs.size())
        return;
    if (end == fields[2].text.c_str() || *end || count < 1 || count > MAX_CHANNELS) {
        Alert("チャネル数は 1 から 16 です。");
        return;
    }
    for (unsigned long k = 0; k < count; ++k) {
        const size_t o = size_t(out) + k, i = size_t(in) + k;
        if (o >= outputs.size() || i >= inputs.size() ||
            outputs[o].module != outputs[size_t(out)].module ||
            inputs[i].module != inputs[size_t(in)].module)
            break;
        bool taken = false;
        for (const Connection& existing : Connections())
            taken |= existing.to == inputs[i].module && existing.inChannel == inputs[i].channel;
        if (taken) {
            Alert("入力チャネル " + to.items[i] + " はすでに接続されています。");
            break;
        }
        Connect(outputs[o].module, outputs[o].channel, inputs[i].module, inputs[i].channel);
        MarkChanged();
    }
    Refresh();
}

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

void ShowWarningsWindow();

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

// ---- The status bar, the warnings and the run's pace -----------------------------------------

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

// ---- The desk -------------------------------------------------------------------------------

POINT Pin(ModuleRecord* module, bool output, uint32_t channel) {
    const POINT at = ModulePosition(module);
    return POINT{at.x + (output ? MODULE_WIDTH : 0), at.y + ModulePinY(channel)};
}

void PaintDesk(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT area;
    GetClientRect(window, &area);
    FillRect(dc, &area, GetSysColorBrush(COLOR_APPWORKSPACE));
    HPEN pen = CreatePen(PS_SOLID, 2, RGB(0, 0, 160));
    HGDIOBJ old = SelectObject(dc, pen);
    for (const Connection& connection : Connections()) {
        const POINT from = Pin(connection.from, true, connection.outChannel);
        const POINT to = Pin(connection.to, false, connection.inChannel);
        MoveToEx(dc, from.x, from.y, nullptr);
        const int middle = (from.x + to.x) / 2;
        LineTo(dc, middle, from.y);
        LineTo(dc, middle, to.y);
        LineTo(dc, to.x, to.y);
    }
    SelectObject(dc, old);
    DeleteObject(pen);
    if (app.selected) {
        const POINT at = ModulePosition(app.selected);
        RECT mark = {at.x - 4, at.y - 4, at.x + MODULE_WIDTH + 4, at.y + MODULE_HEIGHT + 4};
        HBRUSH brush = CreateSolidBrush(RGB(255, 200, 0));
        FillRect(dc, &mark, brush);
        DeleteObject(brush);
    }
    EndPaint(window, &paint);
}

bool OnMainMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    switch (message) {
    case WM_PAINT:
        PaintDesk(window);
        return true;
    case WM_ERASEBKGND:
        *result = 1;
        return true;
    case WM_SIZE:
        SendMessageA(app.statusBar, WM_SIZE, wParam, lParam);
        {
            const int width = LOWORD(lParam);
            const int parts[4] = {width / 5, 2 * width / 5, width / 2, -1};
            SendMessageA(app.statusBar, SB_SETPARTS, 4, LPARAM(parts));
        }
        return false;
    case WM_TIMER:
        if (wParam != RUN_TIMER)
            return false;
        OnRunTimer();
        return true;
    case HOSTMSG_MODULE_PICKED:
        SelectModule(reinterpret_cast<ModuleRecord*>(lParam));
        return true;
    case HOSTMSG_MODULE_MOVED:
        MarkChanged();
        Refresh();
        return true;
    case WM_LBUTTONDOWN:
        SelectModule(nullptr);
        return true;
    }
    return false;
}

HACCEL MakeAccelerators() {
    ACCEL keys[] = {
        {FVIRTKEY | FCONTROL, 'N', WORD(HOSTCMD_FILE_NEW)},
        {FVIRTKEY | FCONTROL, 'O', WORD(HOSTCMD_FILE_OPEN)},
        {FVIRTKEY | FCONTROL, 'S', WORD(HOSTCMD_FILE_SAVE)},
        {FVIRTKEY | FCONTROL, 'L', WORD(HOSTCMD_MODULE_CONNECT)},
        {FVIRTKEY, VK_RETURN, WORD(HOSTCMD_EDIT_MODULE)},
        {FVIRTKEY, VK_DELETE, WORD(HOSTCMD_MODULE_DELETE)},
        {FVIRTKEY, VK_F5, WORD(HOSTCMD_EXPERIMENT_START)},
        {FVIRTKEY, VK_F6, WORD(HOSTCMD_EXPERIMENT_PAUSE)},
        {FVIRTKEY | FSHIFT, VK_F5, WORD(HOSTCMD_EXPERIMENT_STOP)},
    };
    return CreateAcceleratorTableA(keys, int(sizeof keys / sizeof *keys));
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
                OpenFlowChartFile(std::wstring(app.recent[i]));
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

int RunHostWindow(const std::wstring& pluginPath, const std::wstring& flowChart) {
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
    if (!flowChart.empty())
        OpenFlowChartFile(flowChart);
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

bool OpenFlowChartFile(const std::wstring& given) {
    const std::wstring path = FullPath(given);
    Worksheet sheet;
    WorksheetError error;
    if (!ReadFlowChart(path, &sheet, &error)) {
        AlertUtf8(error.Text());
        return false;
    }
    StopIfRunning();
    ApplyDriverConfigBeside(path);
    if (!OpenWorksheet(sheet, &error)) {
        error.file = WideToUtf8(path);
        AlertUtf8(error.Text());
        return false;
    }
    app.selected = nullptr;
    app.path = path;
    app.changed = false;
    RememberFile(path);
    ShowCaption();
    Refresh();
    return true;
}

bool SaveFlowChartFile(const std::wstring& given) {
    const std::wstring path = FullPath(given);
    std::string error;
    if (!WriteFlowChart(path, CurrentWorksheet(), &error)) {
        // The file there before is as it was; the flow chart stays open, still unsaved.
        AlertUtf8(error);
        return false;
    }
    app.path = path;
    app.changed = false;
    RememberFile(path);
    ShowCaption();
    return true;
}

const std::wstring& FlowChartPath() {
    return app.path;
}

bool FlowChartChanged() {
    return app.changed;
}

const std::vector<std::wstring>& RecentFiles() {
    return app.recent;
}

ModuleRecord* CreateModule(const RegisteredClass& moduleClass) {
    if (CurrentRun().active) {
        Alert("実験中はモジュールを加えられません。");
        return nullptr;
    }
    ModuleRecord* module = NewModule(moduleClass);
    if (!module)
        return nullptr;
    if (SendModuleMessage(module, MODMSG_CREATE) != 1) {
        DeleteModuleRecord(module); // the plug-in made nothing of it
        Refresh();
        return nullptr;
    }
    SelectModule(module);
    MarkChanged();
    return module;
}

void DeleteModule(ModuleRecord* module) {
    if (CurrentRun().active) {
        Alert("実験中はモジュールを削除できません。");
        return;
    }
    SendModuleMessage(module, MODMSG_DELETE);
    if (app.selected == module)
        app.selected = nullptr;
    DeleteModuleRecord(module);
    MarkChanged();
    Refresh();
}

void SelectModule(ModuleRecord* module) {
    app.selected = module;
    Refresh();
}

ModuleRecord* SelectedModule() {
    return app.selected;
}

HWND StatusBarWindow() {
    return app.statusBar;
}
HWND LiveChartWindow() {
    return app.chart;
}
HWND BoardPanelWindow() {
    return app.panel;
}
HWND WarningsWindow() {
    return app.warnings;
}

} // namespace standin
