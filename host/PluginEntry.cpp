// Start-up and shut-down of the plug-in, in the order the host relies on.
#include "host/PluginEntry.h"

#include "device/BoardTable.h"
#include "host/HostBinding.h"
#include "host/HostResolution.h"
#include "modules/ModuleClasses.h"
#include "ui/ChannelControls.h"
#include "ui/DialogPlacement.h"
#include "ui/MakerMenu.h"

extern "C" int PEMO_EXPORT SetupPemoDLL(HWND hostMainWindow) {
    hostBinding.mainWindow = hostMainWindow;
    if (!ResolveHostVariables())
        return 0;
    if (!ResolveHostServices())
        return 0;
    if (!hostBinding.services.DefineDllModule())
        return 0;
    if (!DefinePluginVariables())
        return 0;
    if (!OpenBoards())
        return 0;
    InsertMakerMenu();
    RegisterInputModuleClass();
    RegisterOutputModuleClass();
    RegisterControlClasses();
    return 1;
}

extern "C" int PEMO_EXPORT FinishPemoDLL(int) {
    UnregisterControlClasses();
    if (sharedDialogFont)
        hostBinding.services.DeleteStackedObject(sharedDialogFont);
    sharedDialogFont = nullptr; // a later set-up in the same process makes a new one
    CloseBoards();
    return 1;
}

extern "C" int PEMO_EXPORT WEP(int) {
    return 1;
}
