// The maker's popup in the host's main menu. The popup's items carry the class ids; the host
// handles those commands itself. The plug-in keeps the popup for the life of the host.
#include "ui/MakerMenu.h"

#include "host/HostBinding.h"

// The popup becomes the fourth top-level entry of the host's menu bar.
static const UINT MAKER_MENU_POSITION = 3;

void InsertMakerMenu() {
    HMENU resource = LoadMenuA(hostBinding.instance, "UX1_MENU");
    HMENU popup = GetSubMenu(resource, 0);
    InsertMenuA(HandleFromAddr32<HMENU>(hostBinding.variables.MainMenu), MAKER_MENU_POSITION,
                MF_BYPOSITION | MF_POPUP, reinterpret_cast<UINT_PTR>(popup), "VOLNE(&V)");
    hostBinding.services.RegisterMenuEntry(HOSTCMD_DEVICE_SETUP, ShowSetupMessage);
}

void PEMO_HOSTCALL ShowSetupMessage(void) {
    MessageBoxA(nullptr, "Do here some setup functions!", "Setup", MB_OK);
}
