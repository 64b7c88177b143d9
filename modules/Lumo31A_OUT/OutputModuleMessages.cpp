// HandleOutputModuleMessage: the output class's answers to the host's module messages. Codes
// that the table does not list go to the host's default action unchanged.
#include "modules/Lumo31A_OUT/OutputModule.h"

#include "device/BoardTable.h"
#include "host/HostBinding.h"
#include "modules/ModuleClasses.h"
#include "modules/Lumo31A_OUT/PortByteBuffer.h"
#include "modules/ModuleMessages.h"
#include "ui/ParamsDialog.h"

#include <cstring>

namespace {

const ModuleCreation outputCreation = {PortKind::Output, 1, 0, outShortName};

int32_t OnCreate(ModuleRecord* module, uint32_t, uint32_t) {
    OutParams* params = OutParamsOf(module);
    if (!CreateModule(module, outputCreation, params->channelNames, params->boardSlot,
                      params->port))
        return 0;
    for (uint32_t& flag : params->channelFlags)
        flag = 1;
    return 1;
}

int32_t OnDelete(ModuleRecord* module, uint32_t, uint32_t) {
    const OutParams* params = OutParamsOf(module);
    ReleasePort(PortKind::Output, params->boardSlot, params->port);
    return 1;
}

int32_t OnParameterDialog(ModuleRecord* module, uint32_t, uint32_t) {
    DialogBoxParamA(hostBinding.instance, "LUMO31A_OUT", HandleFromAddr32<HWND>(module->hWnd),
                    OutputParamsDialogProc, 0);
    return 1;
}

int32_t OnRestore(ModuleRecord* module, uint32_t, uint32_t) {
    OutParams* params = OutParamsOf(module);
    // A stored block may carry the buffer address of an earlier run; it names nothing now.
    params->portBytes = 0;
    return ReclaimPort(PortKind::Output, params->boardSlot, params->port);
}

int32_t OnExperimentStart(ModuleRecord* module, uint32_t, uint32_t) {
    OutParams* params = OutParamsOf(module);
    params->portBytes = 0;
    const uint32_t positions = hostBinding.uiGlobalBlockSize;
    const uint32_t size = PortByteBufferSize(positions);
    PortByteBuffer* buffer = size == 0
                                 ? nullptr
                                 : static_cast<PortByteBuffer*>(
                                       hostBinding.services.NewMemAlloc(size, __FILE__, __LINE__));
    if (buffer == nullptr) {
        hostBinding.services.ShowWarning(
            "Lumo-P31", "出力バッファ確保が失敗しました\nブロックサイズを少なくして下さい");
        return 0;
    }
    buffer->positions = positions;
    params->portBytes = ToAddr32(buffer->bytes, "portBytes");
    memset(buffer->bytes, 0, positions);
    for (uint32_t channel = 0;
         channel < module->inputChannelCount && channel < MODULE_CHANNEL_LIMIT; ++channel)
        ResetChannelState(ChannelStateOf(module, channel));
    return 1;
}

int32_t OnExperimentStop(ModuleRecord* module, uint32_t, uint32_t) {
    OutParams* params = OutParamsOf(module);
    if (params->portBytes != 0) {
        // Back goes the allocation, which begins before byte 0.
        hostBinding.services.NewDoMemFree(PortByteBufferOf(FromAddr32<uint8_t>(params->portBytes)),
                                          __FILE__, __LINE__);
        params->portBytes = 0;
    }
    return 1;
}

const ModuleMessageEntry outputMessageTable[] = {
    {MODMSG_NOTIFY_1, OnAcknowledge},
    {MODMSG_CREATE, OnCreate},
    {MODMSG_DELETE, OnDelete},
    {MODMSG_PARAMETER_DIALOG, OnParameterDialog},
    {MODMSG_NOTIFY_104, OnAcknowledge},
    {MODMSG_RESTORE, OnRestore},
    {MODMSG_EXPERIMENT_START, OnExperimentStart},
    {MODMSG_EXPERIMENT_STOP, OnExperimentStop},
    {MODMSG_NOTIFY_201, OnAcknowledge},
};

} // namespace

int32_t PEMO_HOSTCALL HandleOutputModuleMessage(ModuleRecord* module, uint32_t message,
                                                uint32_t messageParam, uint32_t messageData) {
    return DispatchModuleMessage(outputMessageTable,
                                 sizeof outputMessageTable / sizeof *outputMessageTable, module,
                                 message, messageParam, messageData);
}
