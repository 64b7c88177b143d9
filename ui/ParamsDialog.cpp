// The operations shared by both parameter dialogs. The dialog edits a working copy of the
// module's parameter block; only OK writes anything back to the module.
#include "ui/ParamsDialog.h"

#include "host/HostBinding.h"
#include "modules/ModuleRecords.h"
#include "res/ResourceIds.h"
#include "ui/AboutBox.h"
#include "ui/ChannelControls.h"
#include "ui/DialogPlacement.h"
#include "ui/ParamsDialogVariant.h"
#include "ui/PortNames.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

enum : int {
    // Bytes of one name slot in the parameter block, and of the text the channel-name edit takes.
    CHANNEL_NAME_SIZE = sizeof ParamsHead::channelNames[0],
    CHANNEL_NAME_LIMIT = 20,
    // The module's name and description fields without their NUL.
    MODULE_NAME_LIMIT = sizeof ModuleRecord::moduleName - 1,
    DESCRIPTION_LIMIT = sizeof ModuleRecord::moduleDescription - 1,
    CHANNEL_BUTTONS_DRIVEN = 8, // maxChannels at every start
};

// One set for both variants: the modal dialog lets only one be open at a time.
ParamsBlock* workingParams;  // copy of the module's block; null while no dialog is open
uint32_t editedChannelCount; // channel count being edited
uint32_t selectedChannel;    // channel whose number and name are shown
uint32_t maxChannels;        // channel buttons the dialog drives
int32_t lastFocusedEdit;     // edit that last got the focus; IDC_CHANNEL0 after a button action

char* ChannelNameSlot(uint32_t channel) {
    return workingParams->head.channelNames[channel];
}

uint32_t ModuleChannelCount(const ParamsVariant& variant, const ModuleRecord* module) {
    return variant.countIsInputs ? module->inputChannelCount : module->outputChannelCount;
}

void SetControlState(HWND dialog, int id, WORD state) {
    SendDlgItemMessageA(dialog, id, CTLM_SETSTATE, state, 0);
}

WORD ChannelButtonState(uint32_t channel) {
    if (channel >= editedChannelCount)
        return CHANNEL_UNUSED;
    return channel == selectedChannel ? CHANNEL_SELECTED : CHANNEL_IN_USE;
}

// Reads an edit's text into a field of `size` bytes. An edit that counts its limit in
// characters may hold more than the field takes; a double-byte character that the cut splits
// is left out whole, so that no lone lead byte ends the field.
void ReadFieldText(HWND dialog, int id, char* field, int size) {
    GetDlgItemTextA(dialog, id, field, size);
    for (int i = 0; field[i]; i++) {
        if (!IsDBCSLeadByte(static_cast<BYTE>(field[i])))
            continue;
        if (!field[i + 1]) {
            field[i] = '\0';
            break;
        }
        i++;
    }
}

void StoreChannelName(HWND dialog, uint32_t channel) {
    ReadFieldText(dialog, IDC_CHANNEL_NAME, ChannelNameSlot(channel), CHANNEL_NAME_LIMIT + 1);
}

void ShowChannel(HWND dialog, uint32_t channel) {
    char number[16];
    _itoa(static_cast<int>(channel), number, 10);
    SetDlgItemTextA(dialog, IDC_CHANNEL_NUMBER, number);
    // A stored name is the host's data: show at most its slot, terminated or not.
    char name[CHANNEL_NAME_SIZE + 1] = {};
    std::memcpy(name, ChannelNameSlot(channel), CHANNEL_NAME_SIZE);
    SetDlgItemTextA(dialog, IDC_CHANNEL_NAME, name);
}

void ApplyControlStates(HWND dialog) {
    for (uint32_t k = 0; k < maxChannels; k++)
        SetControlState(dialog, IDC_CHANNEL0 + k, ChannelButtonState(k));
    if (hostBinding.bExperimentIsRunning == 1) {
        // The channel count stays as it is while an experiment runs.
        SetControlState(dialog, IDC_LESS, LESS_DISABLED);
        SetControlState(dialog, IDC_MORE, MORE_DISABLED);
    } else {
        SetControlState(dialog, IDC_LESS, editedChannelCount >= 2 ? LESS_UP : LESS_DISABLED);
        SetControlState(dialog, IDC_MORE,
                        editedChannelCount > maxChannels - 1 ? MORE_DISABLED : MORE_UP);
    }
    CenterDialog(dialog, hostBinding.mainWindow);
}

void RemoveChannel(HWND dialog) {
    if (editedChannelCount == maxChannels)
        SetControlState(dialog, IDC_MORE, MORE_UP);
    editedChannelCount--;
    if (editedChannelCount < 2)
        SetControlState(dialog, IDC_LESS, LESS_DISABLED);
    SetControlState(dialog, IDC_CHANNEL0 + editedChannelCount, CHANNEL_UNUSED);
    if (selectedChannel >= editedChannelCount) {
        selectedChannel = editedChannelCount - 1;
        SetControlState(dialog, IDC_CHANNEL0 + selectedChannel, CHANNEL_SELECTED);
    }
}

void AddChannel(HWND dialog) {
    if (editedChannelCount == 1)
        SetControlState(dialog, IDC_LESS, LESS_UP);
    editedChannelCount++;
    if (editedChannelCount > maxChannels - 1)
        SetControlState(dialog, IDC_MORE, MORE_DISABLED);
    SetControlState(dialog, IDC_CHANNEL0 + editedChannelCount - 1, CHANNEL_IN_USE);
}

// The button states keep the count within 1 to maxChannels; a command that arrives anyway
// (sent by something other than the button) must not take the count or the selection out.
void ChangeChannelCount(HWND dialog, int command) {
    if (command == IDC_LESS && editedChannelCount >= 2)
        RemoveChannel(dialog);
    else if (command == IDC_MORE && editedChannelCount < maxChannels)
        AddChannel(dialog);
}

void SelectChannel(HWND dialog, HWND button) {
    SendDlgItemMessageA(dialog, IDC_CHANNEL0 + selectedChannel, CTLM_DESELECT, 0, 0);
    selectedChannel = GetDlgCtrlID(button) - IDC_CHANNEL0;
    SendMessageA(button, CTLM_SETSTATE, CHANNEL_SELECTED, 0);
}

void CopySelectedNameToOthers() {
    const char* name = ChannelNameSlot(selectedChannel);
    const size_t length = strnlen(name, CHANNEL_NAME_SIZE - 1);
    // Names live in the eight slots of the block only, whatever the count says.
    const uint32_t channels = editedChannelCount < maxChannels ? editedChannelCount : maxChannels;
    for (uint32_t k = 0; k < channels; k++)
        if (k != selectedChannel) {
            std::memcpy(ChannelNameSlot(k), name, length);
            ChannelNameSlot(k)[length] = '\0';
        }
}

// After a button action a following 1031 copies nothing, wherever the focus was.
void EndButtonAction(HWND dialog) {
    lastFocusedEdit = IDC_CHANNEL0;
    SetFocus(GetDlgItem(dialog, IDC_MODULE_NAME));
}

void ShowDeviceInformation(const ParamsVariant& variant, HWND dialog) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", workingParams->head.boardSlot);
    SetDlgItemTextA(dialog, IDC_SLOT_TEXT, text);
    SetDlgItemTextA(dialog, IDC_PORT_TEXT,
                    PortName(variant.portKind, variant.portOf(*workingParams)));
}

void ShowModuleTexts(HWND dialog, ModuleRecord* module) {
    SendDlgItemMessageA(dialog, IDC_CHANNEL_NAME, EM_LIMITTEXT, CHANNEL_NAME_LIMIT, 0);
    SendDlgItemMessageA(dialog, IDC_MODULE_NAME, EM_LIMITTEXT, MODULE_NAME_LIMIT, 0);
    SetDlgItemTextA(dialog, IDC_MODULE_NAME, module->moduleName);
    SendDlgItemMessageA(dialog, IDC_MODULE_DESCRIPTION, EM_LIMITTEXT, DESCRIPTION_LIMIT, 0);
    SetDlgItemTextA(dialog, IDC_MODULE_DESCRIPTION, module->moduleDescription);
}

INT_PTR OnInitDialog(const ParamsVariant& variant, HWND dialog, ModuleRecord* module) {
    workingParams = static_cast<ParamsBlock*>(
        hostBinding.services.NewMemAlloc(variant.blockSize, __FILE__, __LINE__));
    if (!workingParams) {
        EndDialog(dialog, 0);
        return TRUE;
    }
    std::memcpy(workingParams, ParamsBlockOf(module), variant.blockSize);
    // A count beyond the channels the host's record has room for comes only from a damaged
    // record: edited from there, the less button would address controls past the hidden channel
    // buttons and OK would ask the host for that many channels.
    editedChannelCount = ModuleChannelCount(variant, module);
    if (editedChannelCount > MODULE_RECORD_CHANNELS)
        editedChannelCount = MODULE_RECORD_CHANNELS;
    selectedChannel = 0;
    maxChannels = CHANNEL_BUTTONS_DRIVEN;
    ApplyControlStates(dialog);
    ShowChannel(dialog, 0);
    ShowDeviceInformation(variant, dialog);
    ShowModuleTexts(dialog, module);
    SetFocus(GetDlgItem(dialog, IDC_MODULE_NAME));
    lastFocusedEdit = 0;
    return FALSE;
}

void FreeWorkingParams() {
    hostBinding.services.NewDoMemFree(workingParams, __FILE__, __LINE__);
    workingParams = nullptr;
}

void StoreAndClose(const ParamsVariant& variant, HWND dialog, ModuleRecord* module) {
    StoreChannelName(dialog, selectedChannel);
    ReadFieldText(dialog, IDC_MODULE_NAME, module->moduleName, MODULE_NAME_LIMIT + 1);
    ReadFieldText(dialog, IDC_MODULE_DESCRIPTION, module->moduleDescription, DESCRIPTION_LIMIT + 1);
    ParamsBlock* params = ParamsBlockOf(module);
    // An experiment may have started or stopped meanwhile: its values stay the module's own.
    if (variant.keepRunValues)
        variant.keepRunValues(*workingParams, *params);
    std::memcpy(params, workingParams, variant.blockSize);
    FreeWorkingParams();
    if (variant.countIsInputs)
        hostBinding.services.ChangeModuleSize(module, editedChannelCount, 0);
    else
        hostBinding.services.ChangeModuleSize(module, 0, editedChannelCount);
    EndDialog(dialog, 1);
}

void Cancel(HWND dialog) {
    FreeWorkingParams();
    EndDialog(dialog, 0);
}

void OnLessOrMore(HWND dialog, int command) {
    StoreChannelName(dialog, selectedChannel);
    ChangeChannelCount(dialog, command);
    ShowChannel(dialog, selectedChannel);
    EndButtonAction(dialog);
}

INT_PTR OnCommand(const ParamsVariant& variant, HWND dialog, ModuleRecord* module, WPARAM wParam) {
    const int id = LOWORD(wParam);
    switch (id) {
    case IDOK:
        StoreAndClose(variant, dialog, module);
        return TRUE;
    case IDCANCEL:
        Cancel(dialog);
        return TRUE;
    case IDHELP:
        WinHelpA(dialog, "Lumo31a.hlp", HELP_FINDER, 0);
        return FALSE;
    case IDC_VERSION:
        DialogBoxParamA(hostBinding.instance, "ABOUTLUMO35", dialog, AboutBoxProc, 0);
        return TRUE;
    case IDC_LESS:
    case IDC_MORE:
        OnLessOrMore(dialog, id);
        return TRUE;
    case IDC_MODULE_NAME:
    case IDC_MODULE_DESCRIPTION:
    case IDC_CHANNEL_NAME:
        if (HIWORD(wParam) == EN_SETFOCUS)
            lastFocusedEdit = id;
        return FALSE;
    default:
        return FALSE;
    }
}

// Only a channel button of this dialog within the driven ones can be selected.
bool IsDrivenChannelButton(HWND dialog, HWND button) {
    if (!IsWindow(button) || GetParent(button) != dialog)
        return false;
    const int channel = GetDlgCtrlID(button) - IDC_CHANNEL0;
    return channel >= 0 && static_cast<uint32_t>(channel) < maxChannels;
}

INT_PTR OnChannelDown(HWND dialog, HWND button, WORD state) {
    if (state == CHANNEL_IN_USE && IsDrivenChannelButton(dialog, button)) {
        StoreChannelName(dialog, selectedChannel);
        SelectChannel(dialog, button);
        ShowChannel(dialog, selectedChannel);
    }
    EndButtonAction(dialog);
    return TRUE;
}

INT_PTR OnCopyName(HWND dialog, bool toAll) {
    StoreChannelName(dialog, selectedChannel);
    ShowChannel(dialog, selectedChannel);
    if (toAll || lastFocusedEdit == IDC_CHANNEL_NAME)
        CopySelectedNameToOthers();
    return FALSE;
}

} // namespace

INT_PTR ParamsDialogProc(const ParamsVariant& variant, HWND dialog, UINT message, WPARAM wParam,
                         LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog(variant, dialog, CurrentModule());
    case WM_COMMAND:
        return OnCommand(variant, dialog, CurrentModule(), wParam);
    case CTLM_CHANNELDOWN:
        return OnChannelDown(dialog, reinterpret_cast<HWND>(wParam), LOWORD(lParam));
    case CTLM_COPYNAMEIFEDITING:
        return OnCopyName(dialog, false);
    case CTLM_COPYNAMETOALL:
        return OnCopyName(dialog, true);
    default:
        return FALSE;
    }
}
