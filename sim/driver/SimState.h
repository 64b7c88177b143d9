// The running simulation: the shared boards, and this process's call log and trace.
#pragma once

#include "sim/boards/SharedBoards.h"

#include <cstdio>
#include <string>
#include <type_traits>
#include <vector>

// Every export of the driver, declared from the list of its entries and the list of its control
// entries with exactly the type given there: a definition whose parameters, result or calling
// convention differ is a second C function of that name and does not compile. A build made with
// LUMO_SIM_OMIT_<Entry> declares that entry but neither defines nor exports it.
extern "C" {
#define LUMO_SIM_DECLARE_EXPORT(name, field, type)                                                 \
    __declspec(dllexport) std::remove_pointer_t<type> name;
LUMO_DRIVER_ENTRIES(LUMO_SIM_DECLARE_EXPORT)
LUMO_SIM_CONTROLS(LUMO_SIM_DECLARE_EXPORT)
#undef LUMO_SIM_DECLARE_EXPORT
}

// Placed after the definitions of a file, once per list: each export has the list's type.
#define LUMO_SIM_EXPORT_SHAPE(name, field, type)                                                   \
    static_assert(std::is_same<decltype(&name), type>::value, #name);

namespace lumosim {

// The boards live in the bench's shared record; the rest here is this process's own. Paths and
// the messages that may hold one are UTF-16, as the file functions and the control entries take
// them, so that no code page stands between the user's folder and the driver.
struct SimState {
    BoardsRecord* shared = nullptr; // the bench's record, or an empty one of this process
    Bench bench;
    std::wstring loadedTrace; // trace file named by the configuration read at load
    std::wstring setupTrace;  // ... by the configuration in effect
    std::wstring configError; // the last rejected text: "<path>: line N: <reason>" at load
    std::vector<LumoSimCall> log;
    uint32_t logDropped = 0;
    int32_t sequence = 0;
    FILE* trace = nullptr;
    std::wstring tracePath;
};

enum : size_t { LOG_CAPACITY = 1u << 18 };

// The state, loaded on first use: the bench reached or made from the configuration. Hold a
// BoardsLock on *shared while using the boards or this process's log.
SimState& State();
void RememberModule(HMODULE module);
// Closes the trace file and lets go of the bench when the DLL is unloaded.
void ShutDown();

// The setup in effect, with this process's trace file; and back into the record.
Setup CurrentSetup(const SimState& state);
void StoreSetup(SimState& state, const Setup& setup);

// Fresh boards, log and counters for the setup in effect.
void ResetRuntime(SimState& state);
// Re-seeds fault generators and board presence after Apply, keeping outputs and the log.
void RefreshRuntime(SimState& state);

void RecordCall(SimState& state, int32_t entry, uint32_t slot, int32_t port, int32_t data,
                int32_t extra, int32_t result);
// Opens (path non-empty) or closes the trace file, written as UTF-8. False if the file cannot
// be made.
bool SetTrace(SimState& state, const std::wstring& path);

} // namespace lumosim
