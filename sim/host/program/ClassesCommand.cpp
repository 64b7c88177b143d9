// pemo_host classes: the module classes with every field of their records, and the host's menu
// bar with the plug-in's popup, as the user sees them.
#include "sim/host/support/Console.h"
#include "sim/host/core/HostControl.h"
#include "sim/host/program/Commands.h"

using standin::ConsolePrintf;

namespace {

std::string BitmapSize(Addr32 handle) {
    BITMAP bitmap;
    if (!handle || !GetObjectA(HandleFromAddr32<HBITMAP>(handle), sizeof bitmap, &bitmap))
        return "none";
    return std::to_string(bitmap.bmWidth) + " x " + std::to_string(bitmap.bmHeight) + ", " +
           std::to_string(bitmap.bmBitsPixel) + " bits per pixel";
}

bool ReservedAreZero(const ModuleClassRecord& record) {
    bool zero = record.reserved32[0] == 0 && record.reserved32[1] == 0 && record.reserved32[2] == 0;
    for (uint8_t byte : record.reserved60)
        zero = zero && byte == 0;
    return zero;
}

void PrintClass(const standin::RegisteredClass& registered) {
    const ModuleClassRecord& r = registered.record;
    ConsolePrintf("Class \"%s\"\n", Utf8(registered.className).c_str());
    ConsolePrintf("  instance          0x%08x\n", r.instance);
    ConsolePrintf("  parameter block   %u bytes\n", r.paramsSize);
    ConsolePrintf("  extra block       %u bytes\n", r.extraSize);
    ConsolePrintf("  class kind        %u\n", r.classKind);
    ConsolePrintf("  class id          %u\n", r.classId);
    ConsolePrintf("  short name        \"%s\"\n", Utf8(registered.shortName).c_str());
    ConsolePrintf("  description       \"%s\"\n", Utf8(registered.description).c_str());
    ConsolePrintf("  small bitmap      %s\n", BitmapSize(r.smallBitmap).c_str());
    ConsolePrintf("  large bitmap      %s\n", BitmapSize(r.largeBitmap).c_str());
    ConsolePrintf("  message handler   0x%08x\n", r.messageHandler);
    ConsolePrintf("  process function  0x%08x\n", r.processFunction);
    ConsolePrintf("  reserved fields   %s\n\n", ReservedAreZero(r) ? "all 0" : "NOT all 0");
}

std::string MenuText(HMENU menu, int position) {
    char text[256] = "";
    GetMenuStringA(menu, position, text, sizeof text, MF_BYPOSITION);
    return Utf8(text);
}

void PrintMenu() {
    HMENU bar = standin::MainMenu();
    ConsolePrintf("Host menu bar:\n");
    for (int i = 0; i < GetMenuItemCount(bar); ++i) {
        HMENU popup = GetSubMenu(bar, i);
        const bool fromPlugin = !standin::IsHostMenuPopup(popup);
        ConsolePrintf("  %d  %s%s\n", i, MenuText(bar, i).c_str(),
                      fromPlugin ? "    (inserted by the plug-in)" : "");
        if (!fromPlugin)
            continue;
        for (int item = 0; item < GetMenuItemCount(popup); ++item)
            ConsolePrintf("       command %u  %s\n", GetMenuItemID(popup, item),
                          MenuText(popup, item).c_str());
    }
}

} // namespace

int ClassesCommand(const CommandArgs& args) {
    if (!StartHostWithPlugin(args))
        return 1;
    const int setup = standin::CallSetup();
    if (!setup)
        ConsolePrintf("SetupPemoDLL returned 0: the plug-in is not bound.\n\n");
    for (const standin::RegisteredClass& registered : standin::Classes())
        PrintClass(registered);
    PrintMenu();
    if (setup)
        standin::CallFinish();
    standin::HostStop();
    return setup ? 0 : 1;
}
