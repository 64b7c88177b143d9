// Control interface of the simulated lumo31a.dll: configure the simulated boards, set inputs,
// read back outputs, inject faults, remove and re-insert boards, and read the log of every
// driver call. The DLL exports these next to the eight driver entries. LumoSim and
// LumoSimConnect below resolve them from the lumo31a.dll already loaded in the process, so a
// test or a host program talks to the very library the plug-in loaded.
#pragma once

#include "device/DriverInterface.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// Error codes that Lumo31aGetLastError returns for a slot.
enum : int32_t {
    LUMO_SIM_ERR_NONE = 0,         // no failure since the configuration was made
    LUMO_SIM_ERR_NO_BOARD = 1,     // no board in the slot, or the board was removed
    LUMO_SIM_ERR_BAD_SLOT = 2,     // slot outside 0..15 (answered for such a slot)
    LUMO_SIM_ERR_BAD_PORT = 3,     // port outside 0..3
    LUMO_SIM_ERR_NOT_OPEN = 4,     // port access or close before Lumo31aCreate
    LUMO_SIM_ERR_REFUSED = 5,      // the configuration makes this entry fail for the board
    LUMO_SIM_ERR_BAD_ARGUMENT = 6, // a null address
    LUMO_SIM_ERR_INJECTED = 100,   // default code of an injected port fault
};

// What LumoSimBoardState answers for a slot.
enum : int32_t { LUMO_SIM_BOARD_NONE = 0, LUMO_SIM_BOARD_INSERTED = 1, LUMO_SIM_BOARD_REMOVED = 2 };

// What Lumo31aGetVersion returns: major version in the high byte.
enum : int32_t { LUMO_SIM_VERSION = 0x0100 };

// The driver entries, as logged: LUMO_SIM_CREATE and so on, in the order of
// LUMO_DRIVER_ENTRIES (device/DriverInterface.h).
// clang-format off
enum LumoSimEntry : int32_t {
#define LUMO_SIM_ENTRY(name, stem, type) LUMO_SIM_##stem,
    LUMO_DRIVER_ENTRIES(LUMO_SIM_ENTRY)
#undef LUMO_SIM_ENTRY
    LUMO_SIM_ENTRY_COUNT
};
// clang-format on

inline const char* LumoSimEntryName(int32_t entry) {
    static const char* const names[LUMO_SIM_ENTRY_COUNT] = {
#define LUMO_SIM_ENTRY_NAME(name, stem, type) #name,
        LUMO_DRIVER_ENTRIES(LUMO_SIM_ENTRY_NAME)
#undef LUMO_SIM_ENTRY_NAME
    };
    return entry >= 0 && entry < LUMO_SIM_ENTRY_COUNT ? names[entry] : "?";
}

// One driver call as the simulated driver saw it.
struct LumoSimCall {
    int32_t sequence; // counts every call since the last reset, from 0
    int32_t entry;    // LumoSimEntry
    int32_t slot;     // slot argument as passed (for Lumo31aCreate: the value on entry)
    int32_t port;     // port argument; -1 for entries without one
    // Lumo31aCreate: the slot value left in the variable; Lumo31aGetResource: the address
    // written; Lumo31aInPort: the byte stored; Lumo31aOutPort: the data argument as passed;
    // Lumo31aGetSwitchValue: the value written; otherwise 0.
    int32_t data;
    int32_t extra;     // Lumo31aGetResource: the length written; otherwise 0
    uint32_t threadId; // the calling thread
    int32_t result;    // what the entry returned
    uint32_t tick;     // GetTickCount at the call
};
static_assert(sizeof(LumoSimCall) == 36, "");

// Something done to the boards from outside the port calls (by lumo31a-sim, a board panel or
// a control entry of any process of the bench), as the bench's ring of events keeps it.
enum : uint32_t {
    LUMO_SIM_EVENT_FORCE = 1,
    LUMO_SIM_EVENT_UNFORCE = 2,
    LUMO_SIM_EVENT_PULL = 3,
    LUMO_SIM_EVENT_INSERT = 4,
    LUMO_SIM_EVENT_FAULT = 5,
    LUMO_SIM_EVENT_SET = 6, // a switch set (SetInput, the board panel)
};

inline const char* LumoSimEventName(uint32_t kind) {
    static const char* const names[] = {"?", "force", "unforce", "pull", "insert", "fault", "set"};
    return kind < sizeof names / sizeof names[0] ? names[kind] : "?";
}

struct LumoSimEvent {
    uint32_t number; // counts the events of the bench from 1
    uint32_t tick;   // GetTickCount when it happened
    uint32_t kind;   // LUMO_SIM_EVENT_...
    int32_t slot;
    int32_t port;      // -1 for a whole board or every port
    uint32_t value;    // force, set: the byte
    uint32_t mask;     // force: the bits forced
    uint32_t process;  // the process that did it
    char text[32];     // fault: its settings, as written (cut to fit)
    uint32_t accesses; // port accesses noted for recorders before it (AccessRing)
    uint32_t reserved;
    int64_t time; // QueryPerformanceCounter when it happened
};
static_assert(sizeof(LumoSimEvent) == 80, "");

extern "C" {
typedef void(LUMO_CALL* LumoSimResetFn)(void);
typedef int32_t(LUMO_CALL* LumoSimConfigureFn)(const char* text);
typedef int32_t(LUMO_CALL* LumoSimApplyFn)(const char* text);
// Copies the UTF-16 text into `buffer` (`size` characters, null included, cut to fit) and
// returns its full length in characters: (nullptr, 0) asks for the length alone.
typedef int32_t(LUMO_CALL* LumoSimTextFn)(wchar_t* buffer, int32_t size);
typedef int32_t(LUMO_CALL* LumoSimCountFn)(void);
typedef int32_t(LUMO_CALL* LumoSimLogEntryFn)(int32_t index, LumoSimCall* call);
typedef void(LUMO_CALL* LumoSimClearLogFn)(void);
typedef int32_t(LUMO_CALL* LumoSimPortQueryFn)(int32_t slot, int32_t port);
typedef int32_t(LUMO_CALL* LumoSimSetInputFn)(int32_t slot, int32_t port, int32_t value);
typedef int32_t(LUMO_CALL* LumoSimSlotFn)(int32_t slot);
typedef int32_t(LUMO_CALL* LumoSimTraceFn)(const wchar_t* path);
typedef int32_t(LUMO_CALL* LumoSimForceFn)(int32_t slot, int32_t port, int32_t value, int32_t mask);
typedef int32_t(LUMO_CALL* LumoSimEventFn)(uint32_t number, LumoSimEvent* event);
}

// The control entries, in one list: the fields of LumoSim, the names LumoSimConnect looks up,
// and the simulated driver's declarations of its exports, each of exactly the type given here.
// X(exported name, field of LumoSim, function type)
#define LUMO_SIM_CONTROLS(X)                                                                       \
    /* Back to the configuration read at load (file or default); clears log, outputs, */           \
    /* counters, errors, open boards and the overlap count. */                                     \
    X(LumoSimReset, Reset, LumoSimResetFn)                                                         \
    /* Replaces the configuration with the text (UTF-8, as a configuration file), then resets */   \
    /* as above. 1, or 0 on a bad line (nothing changes; ConfigError tells which). */              \
    X(LumoSimConfigure, Configure, LumoSimConfigureFn)                                             \
    /* Applies the lines (UTF-8) on top of the running configuration; the log and outputs stay. */ \
    X(LumoSimApply, Apply, LumoSimApplyFn)                                                         \
    /* Message of the last rejected text, with the file's path. */                                 \
    X(LumoSimConfigError, ConfigError, LumoSimTextFn)                                              \
    /* "default", or the path of the file read at load, as named. */                               \
    X(LumoSimConfigOrigin, ConfigOrigin, LumoSimTextFn)                                            \
    X(LumoSimLogCount, LogCount, LumoSimCountFn)                                                   \
    /* 1 and the call, or 0 for an index out of range. */                                          \
    X(LumoSimLogEntry, LogEntry, LumoSimLogEntryFn)                                                \
    X(LumoSimClearLog, ClearLog, LumoSimClearLogFn)                                                \
    /* Calls not logged because the log was full. */                                               \
    X(LumoSimLogDropped, LogDropped, LumoSimCountFn)                                               \
    /* Last byte written to the output port, -1 if none. */                                        \
    X(LumoSimOutputByte, OutputByte, LumoSimPortQueryFn)                                           \
    /* Successful writes to the output port. */                                                    \
    X(LumoSimOutputWrites, OutputWrites, LumoSimPortQueryFn)                                       \
    /* The output port an input port is wired to, as slot * BOARD_PORTS + port; -1 when it is */   \
    /* not wired. */                                                                               \
    X(LumoSimWireSource, WireSource, LumoSimPortQueryFn)                                           \
    /* The input port reads this constant byte from now on. */                                     \
    X(LumoSimSetInput, SetInput, LumoSimSetInputFn)                                                \
    /* The board disappears (1), or 0 if none is configured. */                                    \
    X(LumoSimRemoveBoard, RemoveBoard, LumoSimSlotFn)                                              \
    /* The removed board comes back (1). */                                                        \
    X(LumoSimInsertBoard, InsertBoard, LumoSimSlotFn)                                              \
    /* 1 between Lumo31aCreate and Lumo31aClose. */                                                \
    X(LumoSimIsOpen, IsOpen, LumoSimSlotFn)                                                        \
    /* LUMO_SIM_BOARD_NONE, _INSERTED or _REMOVED. */                                              \
    X(LumoSimBoardState, BoardState, LumoSimSlotFn)                                                \
    /* The constant byte an input port reads (its switches), or -1 when it counts, toggles or */   \
    /* is wired. */                                                                                \
    X(LumoSimInputSwitches, InputSwitches, LumoSimPortQueryFn)                                     \
    /* Port calls that began while another was running. */                                         \
    X(LumoSimOverlapCount, OverlapCount, LumoSimCountFn)                                           \
    /* Starts a trace file for people (UTF-16 path), or stops it (null). */                        \
    X(LumoSimTrace, Trace, LumoSimTraceFn)                                                         \
    /* The input port reads `value` on the bits of `mask` and its source on the others (1), */     \
    /* until Unforce; 0 for a bad slot, port, value or mask. */                                    \
    X(LumoSimForce, Force, LumoSimForceFn)                                                         \
    X(LumoSimUnforce, Unforce, LumoSimPortQueryFn)                                                 \
    /* The forced bits of an input port as mask << 8 | value, 0 when none is forced. */            \
    X(LumoSimForced, Forced, LumoSimPortQueryFn)                                                   \
    /* The byte the input port would read now (source and force), -1 for a bad slot or port. */    \
    X(LumoSimInputNow, InputNow, LumoSimPortQueryFn)                                               \
    /* Events of the bench so far (the number of the latest). */                                   \
    X(LumoSimEventCount, EventCount, LumoSimCountFn)                                               \
    /* 1 and the event numbered so (from 1), or 0 when the ring no longer holds it. */             \
    X(LumoSimEventAt, EventAt, LumoSimEventFn)

// The control entries, resolved by name.
struct LumoSim {
#define LUMO_SIM_FIELD(name, field, type) type field;
    LUMO_SIM_CONTROLS(LUMO_SIM_FIELD)
#undef LUMO_SIM_FIELD
};

// The whole text of ConfigError or ConfigOrigin (UTF-16), however long.
inline std::wstring LumoSimText(LumoSimTextFn read) {
    std::wstring text(size_t(read(nullptr, 0) > 0 ? read(nullptr, 0) : 0) + 1, L'\0');
    read(&text[0], int32_t(text.size()));
    return text.c_str();
}

// The calls logged from index `from` on; by default every call since the log was last cleared.
// Stops early if the log is cleared while it is read.
inline std::vector<LumoSimCall> LumoSimLog(const LumoSim& sim, int32_t from = 0) {
    std::vector<LumoSimCall> calls;
    LumoSimCall call;
    for (int32_t index = from, count = sim.LogCount(); index < count; ++index) {
        if (!sim.LogEntry(index, &call))
            break;
        calls.push_back(call);
    }
    return calls;
}

// Fills `sim` from `module`, by default the lumo31a.dll loaded in this process. False when
// the module is not loaded or is not the simulated driver.
inline bool LumoSimConnect(LumoSim& sim, HMODULE module = nullptr) {
    if (!module)
        module = GetModuleHandleA(LUMO_DRIVER_FILE_NAME);
    if (!module)
        return false;
    struct Binding {
        const char* name;
        void* target;
    };
    const Binding bindings[] = {
#define LUMO_SIM_BINDING(name, field, type) {#name, &sim.field},
        LUMO_SIM_CONTROLS(LUMO_SIM_BINDING)
#undef LUMO_SIM_BINDING
    };
    for (const Binding& binding : bindings) {
        const FARPROC address = GetProcAddress(module, binding.name);
        if (!address)
            return false;
        *static_cast<FARPROC*>(binding.target) = address;
    }
    return true;
}
