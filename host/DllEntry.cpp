// The library's entry point only remembers its instance.
#include "host/HostBinding.h"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH)
        SetPluginInstance(instance);
    return TRUE;
}
