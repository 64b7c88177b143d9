// The eight driver entries of the simulated lumo31a.dll. A build made with
// LUMO_SIM_OMIT_<Entry> lacks that entry, to show how the plug-in treats an incomplete driver.
#include "sim/driver/SimState.h"

#include <algorithm>
#include <cstring>
#include <type_traits>

using namespace lumosim;

namespace {

// Marks the slot's last failure and gives the entry's failed result.
int32_t Failed(BoardState* board, int32_t code) {
    if (board)
        board->lastError = code;
    return 0;
}

// The board in a slot that holds one now; null if the slot is out of range or empty (the
// error is then noted for the slot where there is one).
BoardState* InsertedBoard(SimState& state, uint32_t slot) {
    if (slot >= BOARD_SLOTS)
        return nullptr;
    BoardState& board = state.shared->boards[slot];
    if (!board.inserted) {
        board.lastError = LUMO_SIM_ERR_NO_BOARD;
        return nullptr;
    }
    return &board;
}

// Counts every port call of every process of the bench; a call that starts while another runs
// is an overlap. The spin widens the window so that unserialized callers are caught.
struct PortCallProbe {
    BoardsRecord& record;
    explicit PortCallProbe(BoardsRecord& boards) : record(boards) {
        static const uint32_t self = GetCurrentProcessId();
        if (__atomic_fetch_add(&record.running, 1, __ATOMIC_SEQ_CST) != 0) {
            // A process killed inside a port call leaves its count behind: not an overlap.
            const uint32_t caller = record.portCaller;
            if (caller && caller != self && !ProcessRuns(caller))
                __atomic_store_n(&record.running, 1, __ATOMIC_SEQ_CST);
            else
                __atomic_fetch_add(&record.overlaps, 1, __ATOMIC_SEQ_CST);
        }
        record.portCaller = self;
        const uint32_t spin = std::min<uint32_t>(record.setup.spin, 1000000);
        for (volatile uint32_t i = 0; i < spin; i = i + 1) {
        }
    }
    ~PortCallProbe() { __atomic_fetch_sub(&record.running, 1, __ATOMIC_SEQ_CST); }
};

// The fast setting's probe: plain loads and stores, so that it adds next to nothing. Calls
// serialized by their caller never count; unserialized ones are caught now and then.
struct FastPortCallProbe {
    BoardsRecord& record;
    explicit FastPortCallProbe(BoardsRecord& boards) : record(boards) {
        if (__atomic_load_n(&record.running, __ATOMIC_RELAXED) != 0)
            __atomic_fetch_add(&record.overlaps, 1, __ATOMIC_SEQ_CST);
        __atomic_store_n(&record.running, 1, __ATOMIC_RELAXED);
    }
    ~FastPortCallProbe() { __atomic_store_n(&record.running, 0, __ATOMIC_RELAXED); }
};

double NextRandom(uint64_t& state) {
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    return static_cast<double>(z >> 11) * (1.0 / 9007199254740992.0);
}

bool FaultStrikes(const FaultSetup& fault, PortState& port, int direction) {
    const uint32_t call = ++port.calls[direction];
    switch (fault.mode) {
    case FaultMode::Always:
        return true;
    case FaultMode::Nth:
        return call >= fault.nth && call - fault.nth < fault.burst;
    case FaultMode::Every:
        return fault.every && call >= fault.every &&
               (call - fault.every) % fault.every < fault.burst;
    case FaultMode::Probability:
        return NextRandom(port.random[direction]) < fault.probability;
    default:
        return false;
    }
}

// The board and port of a port call, or a failure code (0 when all is well).
int32_t CheckPortCall(SimState& state, uint32_t slot, uint32_t port, int direction,
                      BoardState*& board) {
    board = InsertedBoard(state, slot);
    if (slot >= BOARD_SLOTS)
        return LUMO_SIM_ERR_BAD_SLOT;
    if (!board)
        return LUMO_SIM_ERR_NO_BOARD;
    if (!board->open)
        return LUMO_SIM_ERR_NOT_OPEN;
    if (port >= BOARD_PORTS)
        return LUMO_SIM_ERR_BAD_PORT;
    const FaultSetup& fault = state.shared->setup.boards[slot].faults[port][direction];
    if (FaultStrikes(fault, board->ports[port], direction))
        return fault.code;
    return 0;
}

[[maybe_unused]] int32_t ReadPort(SimState& state, uint32_t slot, uint32_t port, uint8_t* data,
                                  int32_t& value) {
    BoardState* board = nullptr;
    if (const int32_t code = CheckPortCall(state, slot, port, DIR_IN, board))
        return Failed(board, code);
    if (!data)
        return Failed(board, LUMO_SIM_ERR_BAD_ARGUMENT);
    PortState& portState = board->ports[port];
    *data =
        Forced(portState, SourceByte(*state.shared, state.shared->setup.boards[slot].inputs[port],
                                     portState.inputReads++));
    value = *data;
    return 1;
}

[[maybe_unused]] int32_t WritePort(SimState& state, uint32_t slot, uint32_t port, uint32_t data) {
    BoardState* board = nullptr;
    if (const int32_t code = CheckPortCall(state, slot, port, DIR_OUT, board))
        return Failed(board, code);
    PortState& portState = board->ports[port];
    portState.outputLatch = static_cast<int>(data & 0xFF);
    ++portState.outputWrites;
    return 1;
}

} // namespace

extern "C" {

#ifndef LUMO_SIM_OMIT_Lumo31aGetVersion
__declspec(dllexport) int32_t LUMO_CALL Lumo31aGetVersion(void) {
    SimState& state = State();
    BoardsLock lock(*state.shared);
    RecordCall(state, LUMO_SIM_GET_VERSION, 0, -1, 0, 0, LUMO_SIM_VERSION);
    return LUMO_SIM_VERSION;
}
#endif

#ifndef LUMO_SIM_OMIT_Lumo31aCreate
// Opens the board of the slot in *slot; a configured board may leave another slot there.
__declspec(dllexport) int32_t LUMO_CALL Lumo31aCreate(uint32_t* slot) {
    SimState& state = State();
    BoardsLock lock(*state.shared);
    if (!slot) {
        RecordCall(state, LUMO_SIM_CREATE, 0, -1, 0, 0, 0);
        return 0;
    }
    const uint32_t asked = *slot;
    int32_t result = 0;
    if (BoardState* board = InsertedBoard(state, asked)) {
        const BoardSetup& setup = state.shared->setup.boards[asked];
        result = setup.createResult;
        if (result == 0) {
            Failed(board, LUMO_SIM_ERR_REFUSED);
        } else {
            board->open = true;
            if (setup.leaveSlot)
                *slot = setup.createSlot;
        }
    }
    RecordCall(state, LUMO_SIM_CREATE, asked, -1, static_cast<int32_t>(*slot), 0, result);
    return result;
}
#endif

#ifndef LUMO_SIM_OMIT_Lumo31aClose
__declspec(dllexport) int32_t LUMO_CALL Lumo31aClose(uint32_t slot) {
    SimState& state = State();
    BoardsLock lock(*state.shared);
    int32_t result = 0;
    if (slot < BOARD_SLOTS) {
        BoardState& board = state.shared->boards[slot];
        result = board.open ? 1 : Failed(&board, LUMO_SIM_ERR_NOT_OPEN);
        board.open = false;
    }
    RecordCall(state, LUMO_SIM_CLOSE, slot, -1, 0, 0, result);
    return result;
}
#endif

#ifndef LUMO_SIM_OMIT_Lumo31aGetResource
// Answers 0 while no board sits in the slot (also after it was removed).
__declspec(dllexport) int32_t LUMO_CALL
    Lumo31aGetResource(uint32_t slot, DriverResourceRecord* record) {
    SimState& state = State();
    BoardsLock lock(*state.shared);
    int32_t result = 0;
    uint32_t address = 0, length = 0; // as written, for the log
    BoardState* board = InsertedBoard(state, slot);
    if (board && !record) {
        Failed(board, LUMO_SIM_ERR_BAD_ARGUMENT);
    } else if (board) {
        const BoardSetup& setup = state.shared->setup.boards[slot];
        result = setup.resourceResult;
        if (result == 0) {
            Failed(board, LUMO_SIM_ERR_REFUSED);
        } else {
            address = setup.address;
            length = setup.length;
            std::memset(record, 0, sizeof *record);
            record->ioPortAddress = address;
            record->ioPortLength = length;
        }
    }
    RecordCall(state, LUMO_SIM_GET_RESOURCE, slot, -1, static_cast<int32_t>(address),
               static_cast<int32_t>(length), result);
    return result;
}
#endif

#ifndef LUMO_SIM_OMIT_Lumo31aInPort
// In the fast setting a port call relies on its caller's serialization, as the boards do, and
// neither logs nor waits: the configuration must then not change while port calls run. Either
// way the call is noted for recorders, if any listen.
__declspec(dllexport) int32_t LUMO_CALL Lumo31aInPort(uint32_t slot, uint32_t port, uint8_t* data) {
    SimState& state = State();
    int32_t value = 0;
    if (state.shared->setup.fast) {
        FastPortCallProbe probe(*state.shared);
        const int32_t result = ReadPort(state, slot, port, data, value);
        NoteAccess(state.shared->accesses, slot, port, DIR_IN, uint32_t(value), result);
        return result;
    }
    PortCallProbe probe(*state.shared);
    BoardsLock lock(*state.shared);
    const int32_t result = ReadPort(state, slot, port, data, value);
    RecordCall(state, LUMO_SIM_IN_PORT, slot, static_cast<int32_t>(port), value, 0, result);
    NoteAccess(state.shared->accesses, slot, port, DIR_IN, uint32_t(value), result);
    return result;
}
#endif

#ifndef LUMO_SIM_OMIT_Lumo31aOutPort
// Drives the low 8 bits of data; the log keeps the argument as passed.
__declspec(dllexport) int32_t LUMO_CALL
    Lumo31aOutPort(uint32_t slot, uint32_t port, uint32_t data) {
    SimState& state = State();
    if (state.shared->setup.fast) {
        FastPortCallProbe probe(*state.shared);
        const int32_t result = WritePort(state, slot, port, data);
        NoteAccess(state.shared->accesses, slot, port, DIR_OUT, data, result);
        return result;
    }
    PortCallProbe probe(*state.shared);
    BoardsLock lock(*state.shared);
    const int32_t result = WritePort(state, slot, port, data);
    RecordCall(state, LUMO_SIM_OUT_PORT, slot, static_cast<int32_t>(port),
               static_cast<int32_t>(data), 0, result);
    NoteAccess(state.shared->accesses, slot, port, DIR_OUT, data, result);
    return result;
}
#endif

#ifndef LUMO_SIM_OMIT_Lumo31aGetLastError
__declspec(dllexport) int32_t LUMO_CALL Lumo31aGetLastError(uint32_t slot) {
    SimState& state = State();
    BoardsLock lock(*state.shared);
    const int32_t code =
        slot < BOARD_SLOTS ? state.shared->boards[slot].lastError : LUMO_SIM_ERR_BAD_SLOT;
    RecordCall(state, LUMO_SIM_GET_LAST_ERROR, slot, -1, 0, 0, code);
    return code;
}
#endif

#ifndef LUMO_SIM_OMIT_Lumo31aGetSwitchValue
__declspec(dllexport) int32_t LUMO_CALL Lumo31aGetSwitchValue(uint32_t slot, uint32_t* value) {
    SimState& state = State();
    BoardsLock lock(*state.shared);
    int32_t result = 0;
    BoardState* board = InsertedBoard(state, slot);
    if (board && !value) {
        Failed(board, LUMO_SIM_ERR_BAD_ARGUMENT);
    } else if (board) {
        const BoardSetup& setup = state.shared->setup.boards[slot];
        result = setup.switchResult;
        if (result == 0)
            Failed(board, LUMO_SIM_ERR_REFUSED);
        else
            *value = setup.switchValue;
    }
    RecordCall(state, LUMO_SIM_GET_SWITCH_VALUE, slot, -1,
               result ? static_cast<int32_t>(*value) : 0, 0, result);
    return result;
}
#endif

} // extern "C"

LUMO_DRIVER_ENTRIES(LUMO_SIM_EXPORT_SHAPE)

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        RememberModule(instance);
        DisableThreadLibraryCalls(instance);
    } else if (reason == DLL_PROCESS_DETACH && !reserved) {
        ShutDown();
    }
    return TRUE;
}
