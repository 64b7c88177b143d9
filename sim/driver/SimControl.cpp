// The control entries of the simulated driver (declared in LumoSimControl.h).
#include "sim/driver/SimState.h"

#include <algorithm>

using namespace lumosim;

namespace {

// Copies as much of `text` as fits, with its terminating null; the full length in characters.
int32_t CopyText(const std::wstring& text, wchar_t* buffer, int32_t size) {
    if (buffer && size > 0) {
        const size_t count = std::min(text.size(), static_cast<size_t>(size - 1));
        text.copy(buffer, count);
        buffer[count] = L'\0';
    }
    return static_cast<int32_t>(text.size());
}

// The setup of an input port, or null for a slot or port out of range.
InputSetup* InputOf(SimState& state, int32_t slot, int32_t port) {
    return ValidPort(slot, port) ? &state.shared->setup.boards[slot].inputs[port] : nullptr;
}

// A board is configured in the slot, inserted or removed.
bool Configured(const SimState& state, int32_t slot) {
    return slot >= 0 && slot < BOARD_SLOTS && state.shared->setup.boards[slot].configured;
}

// Puts the configured board of the slot back, or pulls it out: 1, or 0 if none is configured.
int32_t SetInserted(int32_t slot, bool inserted) {
    SimState& state = State();
    BoardsLock lock(*state.shared);
    return SetPresent(*state.shared, slot, inserted) ? 1 : 0;
}

// Parses `text` onto `setup`; on a bad line keeps the message and changes nothing.
bool ParseInto(SimState& state, const char* text, Setup& setup) {
    Setup parsed = setup;
    std::string error;
    if (!ParseSetup(text ? text : "", parsed, error)) {
        state.configError = WideFromUtf8(error);
        return false;
    }
    setup = parsed;
    return true;
}

} // namespace

extern "C" {

__declspec(dllexport) void LUMO_CALL LumoSimReset(void) {
    SimState& state = State();
    BoardsLock lock(*state.shared);
    state.shared->setup = state.shared->loaded;
    state.setupTrace = state.loadedTrace;
    ResetRuntime(state);
}

__declspec(dllexport) int32_t LUMO_CALL LumoSimConfigure(const char* text) {
    SimState& state = State();
    BoardsLock lock(*state.shared);
    Setup setup;
    if (!ParseInto(state, text, setup))
        return 0;
    StoreSetup(state, setup);
    ResetRuntime(state);
    return 1;
}

__declspec(dllexport) int32_t LUMO_CALL LumoSimApply(const char* text) {
    SimState& state = State();
    BoardsLock lock(*state.shared);
    Setup setup = CurrentSetup(state);
    if (!ParseInto(state, text, setup))
        return 0;
    StoreSetup(state, setup);
    RefreshRuntime(state);
    return 1;
}

__declspec(dllexport) int32_t LUMO_CALL LumoSimConfigError(wchar_t* buffer, int32_t size) {
    SimState& state = State();
    BoardsLock lock(*state.shared);
    return CopyText(state.configError, buffer, size);
}

__declspec(dllexport) int32_t LUMO_CALL LumoSimConfigOrigin(wchar_t* buffer, int32_t size) {
    SimState& state = State();
    BoardsLock lock(*state.shared);
    return CopyText(OriginOf(*state.shared), buffer, size);
}

__declspec(dllexport) int32_t LUMO_CALL LumoSimLogCount(void) {
    SimState& state = State();
    BoardsLock lock(*state.shared);
    return static_cast<int32_t>(state.log.size());
}

__declspec(dllexport) int32_t LUMO_CALL LumoSimLogEntry(int32_t index, LumoSimCall* call) {
    SimState& state = State();
    BoardsLock lock(*state.shared);
    if (!call || index < 0 || static_cast<size_t>(index) >= state.log.size())
        return 0;
    *call = state.log[static_cast<size_t>(index)];
    return 1;
}

__declspec(dllexport) void LUMO_CALL LumoSimClearLog(void) {
    SimState& state = State();
    BoardsLock lock(*state.shared);
    state.log.clear();
    state.logDropped = 0;
}

__declspec(dllexport) int32_t LUMO_CALL LumoSimLogDropped(void) {
    SimState& state = State();
    BoardsLock lock(*state.shared);
    return static_cast<int32_t>(state.logDropped);
}

__declspec(dllexport) int32_t LUMO_CALL LumoSimOutputByte(int32_t slot, int32_t port) {
    SimState& state = State();
    BoardsLock lock(*state.shared);
    return ValidPort(slot, port) ? state.shared->boards[slot].ports[port].outputLatch : -1;
}

__declspec(dllexport) int32_t LUMO_CALL LumoSimOutputWrites(int32_t slot, int32_t port) {
    SimState& state = State();
    BoardsLock lock(*state.shared);
    return ValidPort(slot, port)
               ? static_cast<int32_t>(state.shared->boards[slot].ports[port].outputWrites)
               : 0;
}

__declspec(dllexport) int32_t LUMO_CALL LumoSimWireSource(int32_t slot, int32_t port) {
    SimState& state = State();
    BoardsLock lock(*state.shared);
    const InputSetup* input = InputOf(state, slot, port);
    return input && input->source == Source::Wire ? input->wireSlot * BOARD_PORTS + input->wirePort
                                                  : -1;
}

__declspec(dllexport) int32_t LUMO_CALL LumoSimSetInput(int32_t slot, int32_t port, int32_t value) {
    SimState& state = State();
    BoardsLock lock(*state.shared);
    InputSetup* input = InputOf(state, slot, port);
    if (!input || value < 0 || value > 255)
        return 0;
    *input = InputSetup();
    input->value = static_cast<uint8_t>(value);
    AddEvent(*state.shared, LUMO_SIM_EVENT_SET, slot, port, uint32_t(value), 0xFF);
    return 1;
}

__declspec(dllexport) int32_t LUMO_CALL LumoSimRemoveBoard(int32_t slot) {
    return SetInserted(slot, false);
}

__declspec(dllexport) int32_t LUMO_CALL LumoSimInsertBoard(int32_t slot) {
    return SetInserted(slot, true);
}

__declspec(dllexport) int32_t LUMO_CALL LumoSimBoardState(int32_t slot) {
    SimState& state = State();
    BoardsLock lock(*state.shared);
    if (!Configured(state, slot))
        return LUMO_SIM_BOARD_NONE;
    return state.shared->boards[slot].inserted ? LUMO_SIM_BOARD_INSERTED : LUMO_SIM_BOARD_REMOVED;
}

__declspec(dllexport) int32_t LUMO_CALL LumoSimInputSwitches(int32_t slot, int32_t port) {
    SimState& state = State();
    BoardsLock lock(*state.shared);
    const InputSetup* input = InputOf(state, slot, port);
    return input && input->source == Source::Constant ? input->value : -1;
}

__declspec(dllexport) int32_t LUMO_CALL LumoSimIsOpen(int32_t slot) {
    SimState& state = State();
    BoardsLock lock(*state.shared);
    return slot >= 0 && slot < BOARD_SLOTS && state.shared->boards[slot].open ? 1 : 0;
}

__declspec(dllexport) int32_t LUMO_CALL LumoSimOverlapCount(void) {
    return __atomic_load_n(&State().shared->overlaps, __ATOMIC_SEQ_CST);
}

__declspec(dllexport) int32_t LUMO_CALL LumoSimTrace(const wchar_t* path) {
    SimState& state = State();
    BoardsLock lock(*state.shared);
    return SetTrace(state, path ? path : L"") ? 1 : 0;
}

__declspec(dllexport) int32_t LUMO_CALL
    LumoSimForce(int32_t slot, int32_t port, int32_t value, int32_t mask) {
    SimState& state = State();
    BoardsLock lock(*state.shared);
    return ForcePort(*state.shared, slot, port, value, mask) ? 1 : 0;
}

__declspec(dllexport) int32_t LUMO_CALL LumoSimUnforce(int32_t slot, int32_t port) {
    SimState& state = State();
    BoardsLock lock(*state.shared);
    return UnforcePort(*state.shared, slot, port) ? 1 : 0;
}

__declspec(dllexport) int32_t LUMO_CALL LumoSimForced(int32_t slot, int32_t port) {
    SimState& state = State();
    BoardsLock lock(*state.shared);
    if (!ValidPort(slot, port))
        return 0;
    const PortState& forced = state.shared->boards[slot].ports[port];
    return int32_t((forced.forceMask & 0xFF) << 8 | (forced.forceValue & forced.forceMask & 0xFF));
}

__declspec(dllexport) int32_t LUMO_CALL LumoSimInputNow(int32_t slot, int32_t port) {
    SimState& state = State();
    BoardsLock lock(*state.shared);
    return ValidPort(slot, port) ? CurrentInput(*state.shared, slot, port) : -1;
}

__declspec(dllexport) int32_t LUMO_CALL LumoSimEventCount(void) {
    SimState& state = State();
    BoardsLock lock(*state.shared);
    return static_cast<int32_t>(state.shared->eventCount);
}

__declspec(dllexport) int32_t LUMO_CALL LumoSimEventAt(uint32_t number, LumoSimEvent* event) {
    SimState& state = State();
    BoardsLock lock(*state.shared);
    return event && lumosim::EventAt(*state.shared, number, *event) ? 1 : 0;
}

} // extern "C"

LUMO_SIM_CONTROLS(LUMO_SIM_EXPORT_SHAPE)
