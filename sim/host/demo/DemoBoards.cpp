// pemo_host boards [--config FILE]: the boards the plug-in found, seen from both sides. First
// what the simulated driver answered while the plug-in set up; then what a user sees in the
// hardware selection dialog when placing a new output and a new input module: each listed
// board with its I/O port address, length, switch value and free ports. The dialog is read
// and cancelled by a timer, so no module is created.
#include "res/ResourceIds.h"
#include "sim/driver/LumoSimControl.h"
#include "sim/host/StandInHost.h"
#include "sim/host/demo/DemoCommands.h"

#include <cstdio>
#include <cstring>

namespace {

// ---- Driver side ------------------------------------------------------------------------------

std::string SimText(LumoSimTextFn read) {
    char text[MAX_PATH * 2] = "";
    read(text, sizeof text);
    return text;
}

std::string Answer(const LumoSimCall* call) {
    if (!call)
        return "-";
    char text[64];
    if (call->entry == LUMO_SIM_GET_RESOURCE && call->result)
        std::snprintf(text, sizeof text, "%d (0x%X, %d)", call->result,
                      static_cast<unsigned>(call->data), call->extra);
    else if (call->result)
        std::snprintf(text, sizeof text, "%d (0x%X)", call->result,
                      static_cast<unsigned>(call->data));
    else
        std::snprintf(text, sizeof text, "%d", call->result);
    return text;
}

// One Lumo31aCreate of the set-up and the two queries that followed it.
struct SlotAnswers {
    LumoSimCall create;
    const LumoSimCall* resource;
    const LumoSimCall* switchValue;
};

std::vector<SlotAnswers> SetUpAnswers(const std::vector<LumoSimCall>& log) {
    std::vector<SlotAnswers> slots;
    for (const LumoSimCall& call : log) {
        if (call.entry == LUMO_SIM_CREATE)
            slots.push_back({call, nullptr, nullptr});
        else if (!slots.empty() && call.entry == LUMO_SIM_GET_RESOURCE)
            slots.back().resource = &call;
        else if (!slots.empty() && call.entry == LUMO_SIM_GET_SWITCH_VALUE)
            slots.back().switchValue = &call;
    }
    return slots;
}

void PrintDriverView() {
    LumoSim sim{};
    if (!LumoSimConnect(sim)) {
        std::puts("The loaded lumo31a.dll is not the simulated driver: no driver view.\n");
        return;
    }
    std::printf("Simulated driver lumo31a.dll, configuration: %s\n",
                SimText(sim.ConfigOrigin).c_str());
    const std::string error = SimText(sim.ConfigError);
    if (!error.empty())
        std::printf("  configuration error: %s\n", error.c_str());
    std::vector<LumoSimCall> log(static_cast<size_t>(sim.LogCount()));
    for (size_t i = 0; i < log.size(); ++i)
        sim.LogEntry(static_cast<int32_t>(i), &log[i]);
    std::puts("Answers at set-up (result, and what was written):");
    std::puts("  slot  Lumo31aCreate  Lumo31aGetResource     Lumo31aGetSwitchValue");
    int empty = 0;
    for (const SlotAnswers& slot : SetUpAnswers(log)) {
        if (slot.create.result == 0 && !slot.resource) {
            ++empty;
            continue;
        }
        std::string create = std::to_string(slot.create.result);
        if (slot.create.data != slot.create.slot)
            create += " (slot " + std::to_string(slot.create.data) + ")";
        std::printf("  %-4d  %-13s  %-21s  %s\n", slot.create.slot, create.c_str(),
                    Answer(slot.resource).c_str(), Answer(slot.switchValue).c_str());
    }
    std::printf("  %d other slot(s): Lumo31aCreate answered 0 (no board)\n\n", empty);
}

// ---- User side --------------------------------------------------------------------------------

std::string DialogText(HWND dialog, int id) {
    char text[256] = "";
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

std::vector<std::string> Items(HWND dialog, int id, UINT countMessage, UINT textMessage) {
    std::vector<std::string> items;
    const LRESULT count = SendDlgItemMessageA(dialog, id, countMessage, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        char text[256] = "";
        SendDlgItemMessageA(dialog, id, textMessage, static_cast<WPARAM>(i),
                            reinterpret_cast<LPARAM>(text));
        items.push_back(text);
    }
    return items;
}

// Shows each listed board as a click on it would, prints its fields, then cancels.
void ReadAndCancel(HWND dialog) {
    const std::vector<std::string> boards = Items(dialog, IDC_DEVSEL_LIST, LB_GETCOUNT, LB_GETTEXT);
    HWND list = GetDlgItem(dialog, IDC_DEVSEL_LIST);
    for (size_t i = 0; i < boards.size(); ++i) {
        SendMessageA(list, LB_SETCURSEL, i, 0);
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_DEVSEL_LIST, LBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(list));
        std::printf("    %s\n", Utf8(boards[i]).c_str());
        std::printf("      I/O Port Address  %s\n",
                    Utf8(DialogText(dialog, IDC_DEVSEL_ADDRESS)).c_str());
        std::printf("      I/O Port Length   %s\n",
                    Utf8(DialogText(dialog, IDC_DEVSEL_LENGTH)).c_str());
        std::printf("      Switch Value      %s\n",
                    Utf8(DialogText(dialog, IDC_DEVSEL_SWITCH)).c_str());
        for (const std::string& port : Items(dialog, IDC_DEVSEL_PORTS, CB_GETCOUNT, CB_GETLBTEXT))
            std::printf("      free              %s\n", Utf8(port).c_str());
    }
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
}

HWND openDialog; // the hardware selection dialog found by the timer, once

BOOL CALLBACK FindSelectionDialog(HWND window, LPARAM) {
    char className[16] = "";
    GetClassNameA(window, className, sizeof className);
    if (std::strcmp(className, "#32770") == 0 && GetDlgItem(window, IDC_DEVSEL_LIST)) {
        openDialog = window;
        return FALSE;
    }
    return TRUE;
}

bool dialogRead; // the open dialog has been read

void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (dialogRead)
        return;
    openDialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindSelectionDialog, 0);
    if (!openDialog || !IsWindowVisible(openDialog))
        return;
    dialogRead = true;
    ReadAndCancel(openDialog);
}

// Places a module of the class as a user would (MODMSG_CREATE) and reads the dialog it opens.
void ShowSelection(const char* className, const char* what) {
    const standin::RegisteredClass* moduleClass = standin::FindClass(className);
    std::printf("  New %s module (\"%s\"):\n", what, className);
    if (!moduleClass) {
        std::puts("    the class is not registered");
        return;
    }
    ModuleRecord* module = standin::NewModule(*moduleClass);
    dialogRead = false;
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, OnTimer);
    standin::SendModuleMessage(module, MODMSG_CREATE);
    KillTimer(nullptr, timer);
    if (!dialogRead)
        std::puts("    no board offered: the dialog was not shown");
    standin::DeleteModuleRecord(module);
}

// --config FILE: the simulated driver reads it when the plug-in loads the driver.
bool UseConfigFile(const DemoArgs& args) {
    const std::string file = OptionValue(args, "--config", "");
    if (file.empty())
        return true;
    char path[MAX_PATH];
    const DWORD length = GetFullPathNameA(file.c_str(), MAX_PATH, path, nullptr);
    if (length == 0 || length >= MAX_PATH || GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) {
        std::printf("Cannot find the configuration file %s.\n", file.c_str());
        return false;
    }
    SetEnvironmentVariableA("LUMO31A_SIM_CONFIG", path);
    return true;
}

} // namespace

int DemoBoards(const DemoArgs& args) {
    if (!UseConfigFile(args) || !StartHostWithPlugin(args))
        return 1;
    if (!standin::CallSetup()) {
        std::puts("SetupPemoDLL returned 0: lumo31a.dll is missing or lacks an entry.");
        standin::HostStop();
        return 1;
    }
    PrintDriverView();
    std::puts("Hardware selection dialog, as the user sees it:");
    ShowSelection("Lumo-P31 OUT", "output");
    ShowSelection("Lumo-P31 IN", "input");
    standin::CallFinish();
    standin::HostStop();
    return 0;
}
