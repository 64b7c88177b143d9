// HandleInputModuleMessage: the input class's answers to the host's module messages. Codes
// that the table does not list go to the host's default action unchanged.
#include "modules/Lumo31a_IN/InputModule.h"

#include "device/BoardTable.h"
#include "host/HostBinding.h"
#include "modules/ModuleClasses.h"
#include "modules/ModuleMessages.h"
#include "res/ResourceIds.h"
#include "ui/ParamsDialog.h"

#include <cstring>

namespace {

// What MODMSG_CLASS_INFO asks about.
enum : uint32_t { CLASS_INFO_KIND = 13 };

// inShortName ends in a blank: the names carry two before the number.
const ModuleCreation inputCreation = {PortKind::Input, 0, 1, inShortName};

int32_t OnCreate(ModuleRecord* module, uint32_t, uint32_t) {
    InParams* params = InParamsOf(module);
    return CreateModule(module, inputCreation, params->channelNames, params->boardSlot,
                        params->port);
}

int32_t OnDelete(ModuleRecord* module, uint32_t, uint32_t) {
    const InParams* params = InParamsOf(module);
    ReleasePort(PortKind::Input, params->boardSlot, params->port);
    return 1;
}

int32_t OnParameterDialog(ModuleRecord* module, uint32_t, uint32_t) {
    DialogBoxParamA(hostBinding.instance, "LUMO31A_IN", HandleFromAddr32<HWND>(module->hWnd),
                    InputParamsDialogProc, 0);
    return 1;
}

int32_t OnRestore(ModuleRecord* module, uint32_t, uint32_t) {
    const InParams* params = InParamsOf(module);
    return ReclaimPort(PortKind::Input, params->boardSlot, params->port);
}

int32_t OnExperimentStart(ModuleRecord* module, uint32_t, uint32_t) {
    InParams* params = InParamsOf(module);
    for (uint32_t channel = 0;
         channel < module->outputChannelCount && channel < MODULE_CHANNEL_LIMIT; ++channel) {
        params->resetWord = 0;
        params->channelResets[channel].resetWord = 0;
        ResetChannelState(ChannelStateOf(module, channel));
    }
    return 1;
}

int32_t OnClearExtraBlock(ModuleRecord* module, uint32_t, uint32_t) {
    InExtraBlock* extra = FromAddr32<InExtraBlock>(module->extra);
    if (extra != nullptr)
        extra->firstWord = 0;
    return 1;
}

int32_t OnClassInfoRequest(ModuleRecord*, uint32_t, uint32_t messageData) {
    ClassInfoRequest* request = FromAddr32<ClassInfoRequest>(messageData);
    if (request == nullptr || request->requestKind != CLASS_INFO_KIND)
        return 0;
    request->instance = HandleToAddr32(hostBinding.instance);
    memcpy(request->templateName, "LUMO31A_IN", sizeof request->templateName);
    request->reserved28 = 0;
    request->labelStringId = IDS_INPUT_LABEL; // the class's data-input label
    return 1;
}

const ModuleMessageEntry inputMessageTable[] = {
    {MODMSG_NOTIFY_1, OnAcknowledge},
    {MODMSG_CREATE, OnCreate},
    {MODMSG_DELETE, OnDelete},
    {MODMSG_PARAMETER_DIALOG, OnParameterDialog},
    {MODMSG_NOTIFY_104, OnAcknowledge},
    {MODMSG_RESTORE, OnRestore},
    {MODMSG_EXPERIMENT_START, OnExperimentStart},
    {MODMSG_EXPERIMENT_STOP, OnAcknowledge},
    {MODMSG_QUERY_117, OnDecline},
    {MODMSG_QUERY_118, OnAcknowledge},
    {MODMSG_QUERY_119, OnDecline},
    {MODMSG_QUERY_120, OnDecline},
    {MODMSG_QUERY_121, OnDecline},
    {MODMSG_QUERY_122, OnDecline},
    {MODMSG_CLEAR_EXTRA_BLOCK, OnClearExtraBlock},
    {MODMSG_CLASS_INFO, OnClassInfoRequest},
    {MODMSG_NOTIFY_201, OnAcknowledge},
};

} // namespace

int32_t PEMO_HOSTCALL HandleInputModuleMessage(ModuleRecord* module, uint32_t message,
                                               uint32_t messageParam, uint32_t messageData) {
    return DispatchModuleMessage(inputMessageTable,
                                 sizeof inputMessageTable / sizeof *inputMessageTable, module,
                                 message, messageParam, messageData);
}
