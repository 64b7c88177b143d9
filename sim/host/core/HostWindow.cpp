// The host main window: it answers the plug-in's name queries (messages 30000 and 30001), owns
// the menu bar and routes menu commands to the handlers the plug-in registered with
// RegisterMenuEntry and to the host's own commands.
#include "sim/host/core/HostInternal.h"

#include <map>
#include <mutex>

namespace standin {

namespace {

const char mainWindowClass[] = "PemoStandInHost";

HWND mainWindow = nullptr;
HMENU menuBar = nullptr;
std::vector<HMENU> hostPopups; // the host's own top-level popups, in order

// Handlers the plug-in registered, by command; ids in order of registration.
std::map<uint32_t, MenuEntryHandler> pluginCommands;
std::vector<uint32_t> pluginCommandOrder;
std::map<uint32_t, std::function<void()>> hostCommands;
MainWindowHook mainWindowHook;

// Warnings of other threads waiting for their boxes: the first two and their count (a failing
// port warns at every sample, so the rest are only counted); whether the window's thread is
// showing them.
struct WaitingBoxes {
    Warning kept[2] = {};
    size_t count = 0;
};
std::mutex waitingMutex;
WaitingBoxes waiting;
bool showingWaiting = false;

struct MenuItem {
    uint32_t command; // 0: separator
    const char* text;
    BYTE keyFlags = 0; // the shortcut: FVIRTKEY with FCONTROL or FSHIFT, and its key
    WORD key = 0;
};
struct MenuPopup {
    const char* caption;
    std::vector<MenuItem> items;
};

// The host's menu bar. The plug-in inserts its popup at position 3, ahead of "ウィンドウ".
const std::vector<MenuPopup>& MenuBarLayout() {
    static const std::vector<MenuPopup> layout = {
        {"ファイル(&F)",
         {{HOSTCMD_FILE_NEW, "新規作成(&N)", FVIRTKEY | FCONTROL, 'N'},
          {HOSTCMD_FILE_OPEN, "開く(&O)...", FVIRTKEY | FCONTROL, 'O'},
          {HOSTCMD_FILE_SAVE, "上書き保存(&S)", FVIRTKEY | FCONTROL, 'S'},
          {HOSTCMD_FILE_SAVE_AS, "名前を付けて保存(&A)..."},
          {0, nullptr},
          {HOSTCMD_FILE_EXIT, "終了(&X)"}}},
        {"モジュール(&M)",
         {{HOSTCMD_EDIT_MODULE, "パラメータ(&P)...", FVIRTKEY, VK_RETURN},
          {HOSTCMD_MODULE_DELETE, "削除(&D)", FVIRTKEY, VK_DELETE},
          {HOSTCMD_MODULE_CONNECT, "接続(&C)...", FVIRTKEY | FCONTROL, 'L'}}},
        {"実験(&X)",
         {{HOSTCMD_EXPERIMENT_TIME_BASE, "タイムベース(&B)..."},
          {HOSTCMD_EXPERIMENT_START, "開始(&S)", FVIRTKEY, VK_F5},
          {HOSTCMD_EXPERIMENT_PAUSE, "一時停止(&P)", FVIRTKEY, VK_F6},
          {HOSTCMD_EXPERIMENT_STOP, "停止(&T)", FVIRTKEY | FSHIFT, VK_F5},
          {0, nullptr},
          {HOSTCMD_DEVICE_SETUP, "デバイスの設定(&D)..."}}},
        {"ウィンドウ(&W)",
         {{HOSTCMD_WINDOW_TILE, "並べて表示(&T)"},
          {HOSTCMD_WINDOW_CHART, "ストリップチャート(&C)"},
          {HOSTCMD_WINDOW_BOARDS, "ボードパネル(&B)"},
          {HOSTCMD_WINDOW_WARNINGS, "警告の一覧(&W)"}}},
        {"ヘルプ(&H)", {{HOSTCMD_HELP_ABOUT, "バージョン情報(&A)..."}}},
    };
    return layout;
}

// The shortcut as the menu shows it, after a tab: "Ctrl+N", "Shift+F5", "Enter".
std::string ShortcutText(const MenuItem& item) {
    std::string text = item.keyFlags & FCONTROL ? "Ctrl+" : "";
    if (item.keyFlags & FSHIFT)
        text += "Shift+";
    if (item.key >= VK_F1 && item.key <= VK_F24)
        return text + "F" + std::to_string(item.key - VK_F1 + 1);
    if (item.key == VK_RETURN)
        return text + "Enter";
    if (item.key == VK_DELETE)
        return text + "Del";
    return text + char(item.key);
}

HMENU MakeMenuBar() {
    HMENU bar = CreateMenu();
    for (const MenuPopup& popup : MenuBarLayout()) {
        HMENU menu = CreatePopupMenu();
        for (const MenuItem& item : popup.items) {
            if (item.command && item.key)
                AppendMenuA(menu, MF_STRING, item.command,
                            (std::string(item.text) + "\t" + ShortcutText(item)).c_str());
            else if (item.command)
                AppendMenuA(menu, MF_STRING, item.command, item.text);
            else
                AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
        }
        AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(menu), popup.caption);
        hostPopups.push_back(menu);
    }
    return bar;
}

void OnCommand(uint32_t command) {
    auto plugin = pluginCommands.find(command);
    if (plugin != pluginCommands.end()) {
        plugin->second();
        return;
    }
    auto host = hostCommands.find(command);
    if (host != hostCommands.end() && host->second)
        host->second();
}

void OnClose() {
    // Only an interactive host ends when its window is closed; tests end it with HostStop.
    if (Options().interactive)
        PostQuitMessage(0);
}

void ShowWaitingBoxes();

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (mainWindowHook && mainWindowHook(window, message, wParam, lParam, &result))
        return result;
    switch (message) {
    case HOSTMSG_VARIABLE:
        return AnswerNameQuery(false, reinterpret_cast<const char*>(lParam));
    case HOSTMSG_SERVICE:
        return AnswerNameQuery(true, reinterpret_cast<const char*>(lParam));
    case WM_COMMAND:
        OnCommand(LOWORD(wParam));
        return 0;
    case HOSTMSG_WARNING_BOXES:
        ShowWaitingBoxes();
        return 0;
    case WM_CLOSE:
        OnClose();
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// The first waiting warning as its own box; the ones that came with it, or while it was open,
// in one box of their count (a failing port warns at every sample). All are in the records.
void ShowWaitingBoxes() {
    if (showingWaiting)
        return;
    showingWaiting = true;
    for (;;) {
        WaitingBoxes batch;
        {
            std::lock_guard<std::mutex> lock(waitingMutex);
            std::swap(batch, waiting);
        }
        if (batch.count == 0)
            break;
        MessageBoxA(mainWindow, batch.kept[0].text.c_str(), batch.kept[0].title.c_str(),
                    MB_OK | MB_ICONWARNING);
        if (batch.count > 1) {
            const std::string more = "ほかに " + std::to_string(batch.count - 1) +
                                     " 件の警告があります (ウィンドウ - 警告の一覧)。";
            MessageBoxA(mainWindow, more.c_str(), batch.kept[1].title.c_str(),
                        MB_OK | MB_ICONWARNING);
        }
    }
    showingWaiting = false;
}

void ShowAboutHost() {
    MessageBoxA(mainWindow, "Pemo stand-in host\nloads a plug-in and plays the host's part.",
                "バージョン情報", MB_OK | MB_ICONINFORMATION);
}

bool InsideImage(HMODULE image, const void* address) {
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
        reinterpret_cast<const char*>(image) + dos->e_lfanew);
    const uintptr_t start = reinterpret_cast<uintptr_t>(image);
    const uintptr_t value = reinterpret_cast<uintptr_t>(address);
    return value >= start && value < start + nt->OptionalHeader.SizeOfImage;
}

} // namespace

bool StartMainWindow() {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
    windowClass.lpszClassName = mainWindowClass;
    RegisterClassA(&windowClass); // fails harmlessly when still registered

    menuBar = MakeMenuBar();
    mainWindow =
        CreateWindowExA(0, mainWindowClass, "Pemo", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 100, 50,
                        800, 600, nullptr, menuBar, GetModuleHandleA(nullptr), nullptr);
    if (!mainWindow) {
        DestroyMenu(menuBar);
        menuBar = nullptr;
        hostPopups.clear();
        return false;
    }
    hostCommands[HOSTCMD_FILE_EXIT] = [] { PostQuitMessage(0); };
    hostCommands[HOSTCMD_HELP_ABOUT] = ShowAboutHost;
    if (Options().interactive)
        ShowWindow(mainWindow, SW_SHOWNORMAL);
    return true;
}

void StopMainWindow() {
    if (mainWindow)
        DestroyWindow(mainWindow); // destroys the menu bar with it
    mainWindow = nullptr;
    menuBar = nullptr;
    hostPopups.clear();
    pluginCommands.clear();
    pluginCommandOrder.clear();
    hostCommands.clear();
    mainWindowHook = nullptr;
    {
        std::lock_guard<std::mutex> lock(waitingMutex);
        waiting = WaitingBoxes{};
    }
    UnregisterClassA(mainWindowClass, GetModuleHandleA(nullptr));
}

void ForgetPluginMenu(HMODULE plugin) {
    for (auto entry = pluginCommands.begin(); entry != pluginCommands.end();) {
        if (plugin && InsideImage(plugin, reinterpret_cast<const void*>(entry->second)))
            entry = pluginCommands.erase(entry);
        else
            ++entry;
    }
    std::vector<uint32_t> kept;
    for (uint32_t command : pluginCommandOrder)
        if (pluginCommands.count(command))
            kept.push_back(command);
    pluginCommandOrder = kept;
    // Popups the plug-in inserted: every top-level entry the host did not make itself.
    if (!menuBar)
        return;
    for (int position = GetMenuItemCount(menuBar) - 1; position >= 0; --position) {
        if (!IsHostMenuPopup(GetSubMenu(menuBar, position)))
            RemoveMenu(menuBar, position, MF_BYPOSITION);
    }
}

bool IsHostMenuPopup(HMENU popup) {
    for (HMENU hostPopup : hostPopups)
        if (hostPopup == popup)
            return true;
    return false;
}

HMENU HostPopup(int index) {
    return index >= 0 && size_t(index) < hostPopups.size() ? hostPopups[size_t(index)] : nullptr;
}

void SetMainWindowHook(MainWindowHook hook) {
    mainWindowHook = std::move(hook);
}

HWND MainWindow() {
    return mainWindow;
}

HMENU MainMenu() {
    return menuBar;
}

void PumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void ShowWarningBox(const Warning& warning) {
    if (!mainWindow || GetWindowThreadProcessId(mainWindow, nullptr) == GetCurrentThreadId()) {
        MessageBoxA(mainWindow, warning.text.c_str(), warning.title.c_str(),
                    MB_OK | MB_ICONWARNING);
        return;
    }
    bool first;
    {
        std::lock_guard<std::mutex> lock(waitingMutex);
        first = waiting.count == 0;
        if (waiting.count < 2)
            waiting.kept[waiting.count] = warning;
        ++waiting.count;
    }
    if (first)
        PostMessageA(mainWindow, HOSTMSG_WARNING_BOXES, 0, 0);
}

std::vector<ACCEL> MenuShortcuts() {
    std::vector<ACCEL> keys;
    for (const MenuPopup& popup : MenuBarLayout())
        for (const MenuItem& item : popup.items)
            if (item.key)
                keys.push_back(ACCEL{item.keyFlags, item.key, WORD(item.command)});
    return keys;
}

void RegisterHostCommand(uint32_t commandId, std::function<void()> handler) {
    hostCommands[commandId] = std::move(handler);
}

void ChooseMenuCommand(uint32_t commandId) {
    SendMessageA(mainWindow, WM_COMMAND, MAKEWPARAM(commandId, 0), 0);
}

const std::vector<uint32_t>& MenuEntries() {
    return pluginCommandOrder;
}

namespace service {

int32_t PEMO_SERVICECALL RegisterMenuEntry(uint32_t commandId, MenuEntryHandler handler) {
    if (!handler) {
        RecordComplaint("RegisterMenuEntry " + std::to_string(commandId) + " without a handler");
        return 0;
    }
    if (!pluginCommands.count(commandId))
        pluginCommandOrder.push_back(commandId);
    pluginCommands[commandId] = handler;
    return 1;
}

} // namespace service

PEMO_CHECK_SERVICE_SHAPES()

} // namespace standin
