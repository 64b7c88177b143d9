// Loading the plug-in and calling its three exported functions. Unloading it also drops what
// the host holds of it (menu entries, classes and their modules, defined variables), since all
// of that points into the unloaded image.
#include "sim/host/core/HostInternal.h"

#include <cstdio>

namespace standin {

namespace {

HMODULE plugin = nullptr;
SetupPemoDLLFn setupEntry = nullptr;
FinishPemoDLLFn finishEntry = nullptr;
WEPFn wepEntry = nullptr;

uint64_t ImageEnd(HMODULE image) {
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
        reinterpret_cast<const char*>(image) + dos->e_lfanew);
    return reinterpret_cast<uintptr_t>(image) + nt->OptionalHeader.SizeOfImage;
}

} // namespace

bool LoadPlugin(const std::wstring& path) {
    UnloadPlugin();
    HMODULE module = LoadLibraryW(path.c_str());
    const std::string named = WideToUtf8(path);
    if (!module) {
        EchoUtf8("cannot load " + named + " (error " + std::to_string(GetLastError()) + ")");
        return false;
    }
    auto setup = reinterpret_cast<SetupPemoDLLFn>(GetProcAddress(module, "SetupPemoDLL"));
    auto finish = reinterpret_cast<FinishPemoDLLFn>(GetProcAddress(module, "FinishPemoDLL"));
    auto wep = reinterpret_cast<WEPFn>(GetProcAddress(module, "WEP"));
    if (!setup || !finish || !wep) {
        EchoUtf8(named + " lacks SetupPemoDLL, FinishPemoDLL or WEP");
        FreeLibrary(module);
        return false;
    }
    // The host's records carry 32-bit addresses of the plug-in's functions and strings.
    if (ImageEnd(module) > 0x100000000ull)
        std::fprintf(stderr, "stand-in host: %s lies above 4 GB\n", named.c_str());
    plugin = module;
    setupEntry = setup;
    finishEntry = finish;
    wepEntry = wep;
    return true;
}

void AttachPluginEntries(SetupPemoDLLFn setup, FinishPemoDLLFn finish, WEPFn wep) {
    UnloadPlugin();
    setupEntry = setup;
    finishEntry = finish;
    wepEntry = wep;
}

int CallSetup() {
    return setupEntry ? setupEntry(MainWindow()) : 0;
}

int CallFinish() {
    return finishEntry ? finishEntry(0) : 0;
}

int CallWep() {
    return wepEntry ? wepEntry(0) : 0;
}

void UnloadPlugin() {
    if (plugin) {
        const Addr32 instance = HandleToAddr32(plugin);
        ForgetPluginMenu(plugin);
        DeleteModulesOfInstance(instance);
        ForgetClassesOfInstance(instance);
        ForgetDefinedVariables();
        FreeLibrary(plugin);
    } else if (setupEntry) {
        ForgetDefinedVariables();
    }
    plugin = nullptr;
    setupEntry = nullptr;
    finishEntry = nullptr;
    wepEntry = nullptr;
}

void StopPlugin() {
    UnloadPlugin();
}

HMODULE PluginModule() {
    return plugin;
}

} // namespace standin
