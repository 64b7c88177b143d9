// The running simulation: configuration, boards, call log and trace, behind one mutex.
#pragma once

#include "sim/driver/SimSetup.h"

#include <atomic>
#include <cstdio>
#include <mutex>
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

struct PortState {
    int outputLatch = -1;                 // last byte written, -1 before the first write
    uint32_t outputWrites = 0;            // successful writes
    uint32_t inputReads = 0;              // successful reads (drives counters and square waves)
    uint32_t calls[DIRECTIONS] = {0, 0};  // calls that reached the fault check, per direction
    uint64_t random[DIRECTIONS] = {1, 1}; // pseudo-random state of a probability fault
};

struct BoardState {
    bool inserted = false; // configured and not removed
    bool open = false;     // between Lumo31aCreate and Lumo31aClose
    int32_t lastError = LUMO_SIM_ERR_NONE;
    PortState ports[BOARD_PORTS];
};

// Paths and the messages that may hold one are UTF-16, as the file functions and the control
// entries take them, so that no code page stands between the user's folder and the driver.
struct SimState {
    Setup loaded;             // what was read at load: Reset returns here
    std::wstring origin;      // "default" or the configuration file's path, as it was named
    Setup setup;              // in effect now
    std::wstring configError; // the last rejected text: "<path>: line N: <reason>" at load
    BoardState boards[BOARD_SLOTS];
    std::vector<LumoSimCall> log;
    uint32_t logDropped = 0;
    int32_t sequence = 0;
    FILE* trace = nullptr;
    std::wstring tracePath;
    DWORD startTick = 0;
};

enum : size_t { LOG_CAPACITY = 1u << 18 };

// The state, loaded from the configuration on first use. Hold StateMutex() while using it.
SimState& State();
std::mutex& StateMutex();
void RememberModule(HMODULE module);
// Closes the trace file when the DLL is unloaded.
void ShutDown();

// Read by port calls before they take the mutex: busy-wait iterations inside each port call,
// the fast setting, and the count of port calls that began while another one was running.
extern std::atomic<uint32_t> portCallSpin;
extern std::atomic<bool> fastPortCalls;
extern std::atomic<int32_t> overlappingPortCalls;

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
