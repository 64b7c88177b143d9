// "LUMO31A_IN": the parameter dialog of the input class.
#include "ui/ParamsDialog.h"

#include "modules/ModuleRecords.h"
#include "ui/ParamsDialogVariant.h"

namespace {

uint16_t InputPort(const ParamsBlock& block) {
    return block.in.port;
}

} // namespace

const ParamsVariant inputParamsVariant = {
    sizeof(InParams), PortKind::Input, false, InputPort,
    nullptr, // no run-time value in the block
};

INT_PTR CALLBACK InputParamsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return ParamsDialogProc(inputParamsVariant, dialog, message, wParam, lParam);
}
