// The file menu's commands: a new flow chart, open and save, with the file dialogs.
#include "sim/host/window/WindowState.h"

#include "sim/driver/LumoSimControl.h"
#include "sim/host/flowchart/FlowChartFile.h"
#include "sim/host/support/Files.h"

#include <commdlg.h>

namespace standin {

namespace {

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

} // namespace

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
        OpenCommand(path);
}

void SaveAsCommand() {
    const std::wstring path = ChooseFile(true);
    if (!path.empty())
        SaveAsCommand(path);
}

void SaveCommand() {
    if (app.path.empty())
        SaveAsCommand();
    else
        SaveAsCommand(app.path);
}

bool OpenCommand(const std::wstring& given) {
    const std::wstring path = FullPath(given);
    Worksheet sheet;
    WorksheetError error;
    if (!ReadFlowChart(path, &sheet, &error)) {
        AlertUtf8(error.Text());
        return false;
    }
    StopIfRunning();
    ApplyDriverConfigBeside(path);
    if (!OpenFlowChart(sheet, &error)) {
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

bool SaveAsCommand(const std::wstring& given) {
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

} // namespace standin
