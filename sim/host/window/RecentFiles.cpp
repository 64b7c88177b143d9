// The recent files: kept in the registry as UTF-16 paths, shown in the file menu.
#include "sim/host/window/WindowState.h"

#include <algorithm>

namespace standin {

namespace {

const wchar_t recentKey[] = L"Software\\Pemo_ux1\\StandInHost\\Recent";

} // namespace

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

const std::vector<std::wstring>& RecentFiles() {
    return app.recent;
}

} // namespace standin
