// What the files of the desktop program share: its windows, the open flow chart's file and
// state, and the steps every command takes. Only for the files of sim/host/window.
#pragma once

#include "sim/host/window/HostApp.h"

#include <string>
#include <vector>

namespace standin {

enum : UINT_PTR { RUN_TIMER = 13 };

struct App {
    HWND statusBar = nullptr, chart = nullptr, panel = nullptr, warnings = nullptr;
    HACCEL accelerators = nullptr;
    HMENU classMenu = nullptr, recentMenu = nullptr;
    ModuleRecord* selected = nullptr;
    std::wstring path;
    bool changed = false; // since the flow chart was opened, saved or made new
    std::vector<std::wstring> recent;
    size_t warningsListed = 0;
};
extern App app; // HostApp.cpp

// HostApp.cpp
void Refresh();
void Alert(const std::wstring& text, UINT icon = MB_ICONWARNING);
void Alert(const std::string& text, UINT icon = MB_ICONWARNING); // our own texts: code page 932
void AlertUtf8(const std::string& text);                         // texts that name files
void ShowCaption();
void MarkChanged();
bool StopIfRunning();

// RecentFiles.cpp: the list in the registry and the menu that shows it.
void LoadRecent();
void ShowRecent();
void RememberFile(const std::wstring& path);

// StatusWindows.cpp: the status bar, the warnings list and the run's pace.
void ShowStatus();
void MakeWarningsWindow();
void ShowWarningsWindow();
void OnRunTimer();

// Desk.cpp: the flow chart on the main window, and its messages.
bool OnMainMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

// The menu's commands: FileCommands.cpp, ModuleCommands.cpp, RunCommands.cpp.
void NewFlowChart();
void OpenCommand();
void SaveCommand();
void SaveAsCommand();
void ParametersCommand();
void DeleteCommand();
void ConnectCommand();
void TimeBaseCommand();
void StartCommand();
void PauseCommand();
void StopCommand();
void TileCommand();

} // namespace standin
