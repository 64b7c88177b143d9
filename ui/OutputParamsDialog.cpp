// "LUMO31A_OUT": the parameter dialog of the output class.
#include "ui/ParamsDialog.h"

#include "modules/ModuleRecords.h"
#include "ui/ParamsDialogVariant.h"

namespace {

uint16_t OutputPort(const ParamsBlock& block) {
    return block.out.port;
}

// The experiment's byte buffer.
void KeepPortBytes(ParamsBlock& edited, const ParamsBlock& own) {
    edited.out.portBytes = own.out.portBytes;
}

} // namespace

const ParamsVariant outputParamsVariant = {
    sizeof(OutParams), PortKind::Output, true, OutputPort, KeepPortBytes,
};

INT_PTR CALLBACK OutputParamsDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return ParamsDialogProc(outputParamsVariant, dialog, message, wParam, lParam);
}
