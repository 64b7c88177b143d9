// "LUMO31A_IN": the parameter dialog of the input class.
#include "ui/ParamsDialog.h"

#include "modules/ModuleRecords.h"
#include "ui/ParamsDialogVariant.h"

const ParamsVariant inputParamsVariant = {
    sizeof(InParams),
    offsetof(ModuleRecord, outputChannelCount),
    offsetof(InParams, port),
    PortKind::Input,
    false,
    0, // no run-time value in the block
    0,
};

INT_PTR CALLBACK InputParamsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return ParamsDialogProc(inputParamsVariant, dialog, message, wParam, lParam);
}
