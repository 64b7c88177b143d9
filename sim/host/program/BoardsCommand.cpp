// pemo_host boards [--config FILE]: the boards the plug-in found, seen from both sides. First
// what the simulated driver answered while the plug-in set up; then what a user sees in the
// hardware selection dialog when placing a new output and a new input module: each listed
// board with its I/O port address, length, switch value and free ports. The scripted user reads
// the dialog and cancels it, so no module is created.
#include "res/ResourceIds.h"
#include "sim/driver/LumoSimControl.h"
#include "sim/host/support/Console.h"
#include "sim/host/user/ModalDriver.h"
#include "sim/host/core/StandInHost.h"
#include "sim/host/program/Commands.h"

#include <cstdio>

using standin::ConsolePrintf;

namespace {

// ---- Driver side ------------------------------------------------------------------------------

std::string SimText(LumoSimTextFn read) {
    return standin::WideToUtf8(LumoSimText(read));
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
        ConsolePrintf("The loaded lumo31a.dll is not the simulated driver: no driver view.\n\n");
        return;
    }
    ConsolePrintf("Simulated driver lumo31a.dll, configuration: %s\n",
                  SimText(sim.ConfigOrigin).c_str());
    const std::string error = SimText(sim.ConfigError);
    if (!error.empty())
        ConsolePrintf("  configuration error: %s\n", error.c_str());
    const std::vector<LumoSimCall> log = LumoSimLog(sim);
    ConsolePrintf("Answers at set-up (result, and what was written):\n");
    ConsolePrintf("  slot  Lumo31aCreate  Lumo31aGetResource     Lumo31aGetSwitchValue\n");
    int empty = 0;
    for (const SlotAnswers& slot : SetUpAnswers(log)) {
        if (slot.create.result == 0 && !slot.resource) {
            ++empty;
            continue;
        }
        std::string create = std::to_string(slot.create.result);
        if (slot.create.data != slot.create.slot)
            create += " (slot " + std::to_string(slot.create.data) + ")";
        ConsolePrintf("  %-4d  %-13s  %-21s  %s\n", slot.create.slot, create.c_str(),
                      Answer(slot.resource).c_str(), Answer(slot.switchValue).c_str());
    }
    ConsolePrintf("  %d other slot(s): Lumo31aCreate answered 0 (no board)\n\n", empty);
}

// ---- User side --------------------------------------------------------------------------------

// Shows each listed board as a click on it would, prints its fields, then cancels: the scripted
// user's one step on the hardware selection dialog.
void ReadAndCancel(HWND dialog) {
    if (!GetDlgItem(dialog, IDC_DEVSEL_LIST)) {
        ConsolePrintf("    a dialog \"%s\" instead of the hardware selection; closed\n",
                      Utf8(modal::Caption(dialog)).c_str());
        modal::CloseBox(dialog);
        return;
    }
    const std::vector<std::string> boards = modal::ListItems(dialog, IDC_DEVSEL_LIST);
    for (size_t i = 0; i < boards.size(); ++i) {
        modal::SelectListItem(dialog, IDC_DEVSEL_LIST, int(i));
        ConsolePrintf("    %s\n", Utf8(boards[i]).c_str());
        ConsolePrintf("      I/O Port Address  %s\n",
                      Utf8(modal::Text(dialog, IDC_DEVSEL_ADDRESS)).c_str());
        ConsolePrintf("      I/O Port Length   %s\n",
                      Utf8(modal::Text(dialog, IDC_DEVSEL_LENGTH)).c_str());
        ConsolePrintf("      Switch Value      %s\n",
                      Utf8(modal::Text(dialog, IDC_DEVSEL_SWITCH)).c_str());
        for (const std::string& port : modal::ComboItems(dialog, IDC_DEVSEL_PORTS))
            ConsolePrintf("      free              %s\n", Utf8(port).c_str());
    }
    modal::Click(dialog, IDCANCEL);
}

// Places a module of the class as a user would (MODMSG_CREATE) and reads the dialog it opens.
void ShowSelection(const char* className, const char* what) {
    const standin::RegisteredClass* moduleClass = standin::FindClass(className);
    ConsolePrintf("  New %s module (\"%s\"):\n", what, className);
    if (!moduleClass) {
        ConsolePrintf("    the class is not registered\n");
        return;
    }
    ModuleRecord* module = standin::NewModule(*moduleClass);
    const modal::Outcome outcome = modal::RunModal(
        [module] { return INT_PTR(standin::SendModuleMessage(module, MODMSG_CREATE)); },
        {ReadAndCancel});
    if (!outcome.stepsRun)
        ConsolePrintf("    no board offered: the dialog was not shown\n");
    standin::DeleteModuleRecord(module);
}

} // namespace

int BoardsCommand(const CommandArgs& args) {
    const std::wstring config = OptionValue(args, L"--config", L"");
    if ((!config.empty() && !UseDriverConfig(config)) || !StartHostWithPlugin(args))
        return 1;
    if (!standin::CallSetup()) {
        ConsolePrintf("SetupPemoDLL returned 0: lumo31a.dll is missing or lacks an entry.\n");
        standin::HostStop();
        return 1;
    }
    PrintDriverView();
    ConsolePrintf("Hardware selection dialog, as the user sees it:\n");
    ShowSelection(OUTPUT_CLASS_NAME, "output");
    ShowSelection(INPUT_CLASS_NAME, "input");
    standin::CallFinish();
    standin::HostStop();
    return 0;
}
