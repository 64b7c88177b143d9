// "LUMO31A_OUT": the parameter dialog of the output class.
#include "ui/ParamsDialog.h"

#include "modules/ModuleRecords.h"
#include "ui/ParamsDialogVariant.h"

const ParamsVariant outputParamsVariant = {
    sizeof(OutParams),
    offsetof(ModuleRecord, inputChannelCount),
    offsetof(OutParams, port),
    PortKind::Output,
    true,
    offsetof(OutParams, portBytes), // the experiment's byte buffer
    sizeof(Addr32),
};

INT_PTR CALLBACK OutputParamsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return ParamsDialogProc(outputParamsVariant, dialog, message, wParam, lParam);
}
