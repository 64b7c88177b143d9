// The set "dialogs" (scripts/render dialogs): "DEV_SEL" and both parameter dialogs as a user
// meets them: creating an output module opens the hardware selection, MODMSG_PARAMETER_DIALOG
// opens the parameter dialog of a module of 3 channels. For each picture the dialog's screen
// rectangle goes to "ready" in the folder ("<name> <geometry>"); the dialog stays until the
// script has removed "ready" and written "done".
#include "sim/host/core/HostControl.h"
#include "sim/host/user/ModalDriver.h"
#include "tests/common/PictureHandOff.h"
#include "tests/dialogs/DialogsTestSupport.h"
#include "tools/pictures/Pictures.h"

#include <string>

namespace {

// Shows the dialog until the script has taken its picture.
modal::Step Picture(const char* name) {
    return [name](HWND dialog) {
        SetForegroundWindow(dialog);
        RedrawWindow(dialog, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        testsupport::PumpFor(1000);
        testsupport::HandOffPictures(pictures::Folder(), {{name, dialog}});
    };
}

modal::Step Press(int id) {
    return [id](HWND dialog) { modal::Click(dialog, id); };
}

class DialogPictures : public dialogstest::BoardsOnHost {};

} // namespace

TEST_F(DialogPictures, HardwareSelectionAndParameters) {
    dialogstest::PlaceBoard(2, 0xD000, 16, 0x1F);
    dialogstest::PlaceBoard(5, 0xE800, 32, 0x3);
    ClaimPort(PortKind::Output, 5, 0);
    testsupport::PumpFor(500);

    const standin::RegisteredClass* output = standin::FindClass("Lumo-P31 OUT");
    const standin::RegisteredClass* input = standin::FindClass("Lumo-P31 IN");
    ASSERT_TRUE(output && input);
    ModuleRecord* outModule = standin::NewModule(*output, 3, 0);
    ModuleRecord* inModule = standin::NewModule(*input, 0, 3);

    auto create = [](ModuleRecord* module, std::vector<modal::Step> steps) {
        return modal::RunModal(
            [module] { return standin::SendModuleMessage(module, MODMSG_CREATE); }, steps);
    };
    auto open = [](ModuleRecord* module, std::vector<modal::Step> steps) {
        return modal::RunModal(
            [module] { return standin::SendModuleMessage(module, MODMSG_PARAMETER_DIALOG); },
            steps);
    };
    create(outModule, {Picture("dev-sel"), Press(IDOK)});
    open(outModule, {Picture("params-out"), Press(IDCANCEL)});
    create(inModule, {Press(IDOK)});
    open(inModule, {Picture("params-in"), Press(IDCANCEL)});

    standin::SendModuleMessage(outModule, MODMSG_DELETE);
    standin::SendModuleMessage(inModule, MODMSG_DELETE);
}
