// The stand-in host as a desktop program: the flow chart on the desk (modules as their class
// pictures, connections as lines, moved with the mouse), the menu commands of the host (files,
// modules, experiment, windows), the live strip chart, the status bar, the list of warnings
// and the board panel. Built on the host library; the tests drive it through the same
// messages a person's input makes.
#pragma once

#include "sim/host/core/StandInHost.h"

#include <string>

namespace standin {

// After HostStart, LoadPlugin and CallSetup: fills the module menu with the registered classes,
// makes the status bar and the tool windows and takes the main window's messages. False when a
// window cannot be made.
bool StartHostWindow();
// Ends a run still going and destroys what StartHostWindow made (the host stays).
void StopHostWindow();

// The whole program: starts the host (interactive), loads and sets up the plug-in, opens the
// flow chart when one is named, serves the window until it is closed, then finishes the
// plug-in. With `start`, the experiment starts once the flow chart is open, as 開始 (F5) starts
// it. The process exit code.
int RunHostWindow(const std::wstring& pluginPath, const std::wstring& flowChart,
                  bool start = false);

// Pumps this thread's messages as the program's loop does, with the keyboard accelerators.
void PumpWindowMessages();

// The commands behind the menu, for the menu and for whoever drives the window. Open and save
// as with the file already chosen: open shows what is wrong in a message box; a save is safe:
// when it fails, a message box says why, the file there before stays as it was, and the flow
// chart stays open and marked changed.
bool OpenCommand(const std::wstring& path);
bool SaveAsCommand(const std::wstring& path);
const std::wstring& FlowChartPath(); // the open file (full path), empty for a new flow chart
bool FlowChartChanged(); // changed since it was opened, saved or made new ("*" in the caption)
const std::vector<std::wstring>& RecentFiles();
// A module of the class: a new record and MODMSG_CREATE (the plug-in asks the user which
// board); the record goes again when the plug-in refuses. Null then.
ModuleRecord* CreateModule(const RegisteredClass& moduleClass);
void DeleteModule(ModuleRecord* module); // MODMSG_DELETE, then the record goes
void SelectModule(ModuleRecord* module);
ModuleRecord* SelectedModule();

HWND StatusBarWindow();
HWND LiveChartWindow();
HWND BoardPanelWindow();
HWND WarningsWindow(); // a list box, one line per warning

} // namespace standin
