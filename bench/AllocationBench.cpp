// Allocations of the plug-in while it processes, after the start of the run: through the host
// (NewMemAlloc, counted by the stand-in host) and through the C runtime or the system heap
// (counted by redirecting the allocation entries of the plug-in's import table to counting
// wrappers, so that every allocation the DLL makes passes a counter).
#include "bench/BenchSupport.h"

#include "sim/host/core/HostControl.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace bench {
namespace {

std::atomic<uint64_t> runtimeAllocations{0};

// Each wrapper counts, then calls the entry the import table held.
void*(__cdecl* originalMalloc)(size_t);
void*(__cdecl* originalCalloc)(size_t, size_t);
void*(__cdecl* originalRealloc)(void*, size_t);
char*(__cdecl* originalStrdup)(const char*);
LPVOID(WINAPI* originalHeapAlloc)(HANDLE, DWORD, SIZE_T);
LPVOID(WINAPI* originalHeapReAlloc)(HANDLE, DWORD, LPVOID, SIZE_T);
HLOCAL(WINAPI* originalLocalAlloc)(UINT, SIZE_T);
HGLOBAL(WINAPI* originalGlobalAlloc)(UINT, SIZE_T);
LPVOID(WINAPI* originalVirtualAlloc)(LPVOID, SIZE_T, DWORD, DWORD);

void* __cdecl CountedMalloc(size_t size) {
    ++runtimeAllocations;
    return originalMalloc(size);
}
void* __cdecl CountedCalloc(size_t count, size_t size) {
    ++runtimeAllocations;
    return originalCalloc(count, size);
}
void* __cdecl CountedRealloc(void* block, size_t size) {
    ++runtimeAllocations;
    return originalRealloc(block, size);
}
char* __cdecl CountedStrdup(const char* text) {
    ++runtimeAllocations;
    return originalStrdup(text);
}
LPVOID WINAPI CountedHeapAlloc(HANDLE heap, DWORD flags, SIZE_T size) {
    ++runtimeAllocations;
    return originalHeapAlloc(heap, flags, size);
}
LPVOID WINAPI CountedHeapReAlloc(HANDLE heap, DWORD flags, LPVOID block, SIZE_T size) {
    ++runtimeAllocations;
    return originalHeapReAlloc(heap, flags, block, size);
}
HLOCAL WINAPI CountedLocalAlloc(UINT flags, SIZE_T size) {
    ++runtimeAllocations;
    return originalLocalAlloc(flags, size);
}
HGLOBAL WINAPI CountedGlobalAlloc(UINT flags, SIZE_T size) {
    ++runtimeAllocations;
    return originalGlobalAlloc(flags, size);
}
LPVOID WINAPI CountedVirtualAlloc(LPVOID address, SIZE_T size, DWORD type, DWORD protect) {
    ++runtimeAllocations;
    return originalVirtualAlloc(address, size, type, protect);
}

struct Redirect {
    const char* name; // imported by this name, from whichever DLL
    void* wrapper;
    void** original;
};

const Redirect REDIRECTS[] = {
    {"malloc", reinterpret_cast<void*>(CountedMalloc), reinterpret_cast<void**>(&originalMalloc)},
    {"calloc", reinterpret_cast<void*>(CountedCalloc), reinterpret_cast<void**>(&originalCalloc)},
    {"realloc", reinterpret_cast<void*>(CountedRealloc),
     reinterpret_cast<void**>(&originalRealloc)},
    {"_strdup", reinterpret_cast<void*>(CountedStrdup), reinterpret_cast<void**>(&originalStrdup)},
    {"HeapAlloc", reinterpret_cast<void*>(CountedHeapAlloc),
     reinterpret_cast<void**>(&originalHeapAlloc)},
    {"HeapReAlloc", reinterpret_cast<void*>(CountedHeapReAlloc),
     reinterpret_cast<void**>(&originalHeapReAlloc)},
    {"LocalAlloc", reinterpret_cast<void*>(CountedLocalAlloc),
     reinterpret_cast<void**>(&originalLocalAlloc)},
    {"GlobalAlloc", reinterpret_cast<void*>(CountedGlobalAlloc),
     reinterpret_cast<void**>(&originalGlobalAlloc)},
    {"VirtualAlloc", reinterpret_cast<void*>(CountedVirtualAlloc),
     reinterpret_cast<void**>(&originalVirtualAlloc)},
};

void WriteImportSlot(void** slot, void* value) {
    DWORD protection;
    VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection);
    *slot = value;
    VirtualProtect(slot, sizeof *slot, protection, &protection);
}

// Calls `visit(name, slot)` for every import by name of the module.
template <typename Visit> void ForEachImport(HMODULE module, Visit visit) {
    auto* base = reinterpret_cast<BYTE*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!directory.VirtualAddress)
        return;
    for (auto* library =
             reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
         library->Name; ++library) {
        if (!library->OriginalFirstThunk)
            continue; // no names to go by
        auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + library->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + library->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            const auto* byName =
                reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            visit(reinterpret_cast<const char*>(byName->Name),
                  reinterpret_cast<void**>(&slots->u1.Function));
        }
    }
}

// Puts the wrappers in; returns the names redirected.
std::string RedirectAllocators(HMODULE module) {
    std::string names;
    ForEachImport(module, [&names](const char* name, void** slot) {
        for (const Redirect& redirect : REDIRECTS)
            if (std::strcmp(name, redirect.name) == 0 && *slot != redirect.wrapper) {
                *redirect.original = *slot;
                WriteImportSlot(slot, redirect.wrapper);
                names += (names.empty() ? "" : ", ") + std::string(name);
            }
    });
    return names;
}

void RestoreAllocators(HMODULE module) {
    ForEachImport(module, [](const char*, void** slot) {
        for (const Redirect& redirect : REDIRECTS)
            if (*slot == redirect.wrapper)
                WriteImportSlot(slot, *redirect.original);
    });
}

} // namespace

void RunAllocations(Setting& setting, const Settings& settings, Report& report) {
    enum : uint32_t { BLOCK = 100, CHANNELS = 8 };
    const std::string redirected = RedirectAllocators(standin::PluginModule());
    standin::SetBlockSize(BLOCK);
    standin::SetMilliSecondsPerSample(0.0);
    ModuleRecord* output = OutputModuleOn(0, 1, CHANNELS);
    ModuleRecord* input = InputModuleOn(1, 1, CHANNELS);
    QueueToggleBlocks(output, CHANNELS, BLOCK);
    const size_t hostBeforeStart = standin::PluginAllocationCalls();
    standin::StartExperiment({output, input});
    const size_t hostAtStart = standin::PluginAllocationCalls() - hostBeforeStart;
    const size_t hostBefore = standin::PluginAllocationCalls();
    const uint64_t runtimeBefore = runtimeAllocations.load();
    for (uint32_t call = 0; call < settings.allocationBlocks; ++call) {
        setting.processOutput(output);
        setting.processInput(input);
    }
    const size_t host = standin::PluginAllocationCalls() - hostBefore;
    const uint64_t runtime = runtimeAllocations.load() - runtimeBefore;
    standin::StopExperimentRun({output, input});
    RemoveModule(output);
    RemoveModule(input);
    RestoreAllocators(standin::PluginModule());

    const std::string blocks = std::to_string(settings.allocationBlocks);
    Table table;
    table.title = "Allocations while processing, after the start";
    table.header = {"through", "count"};
    table.rows = {{"the host (NewMemAlloc)", std::to_string(host)},
                  {"the C runtime and the system heap", std::to_string(runtime)}};
    table.notes.push_back(
        blocks + " calls of an output and an input module of " + std::to_string(CHANNELS) +
        " channels each, blocks of " + std::to_string(BLOCK) + " samples: " + blocks +
        " blocks per channel "
        "and module. Counted in the plug-in's imports: " +
        (redirected.empty() ? "none found" : redirected) + ". The start itself took " +
        std::to_string(hostAtStart) + " block(s) from the host (the output module's byte buffer).");
    report.tables.push_back(table);
    AddTarget(report, "Allocations while processing " + blocks + " blocks: 0",
              std::to_string(host) + " host, " + std::to_string(runtime) + " C runtime",
              host == 0 && runtime == 0 && !redirected.empty(), true);
}

} // namespace bench
