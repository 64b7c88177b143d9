// Loading the configuration, the call log and the trace file of the simulated driver.
#include "sim/driver/SimState.h"

namespace lumosim {

namespace {

HMODULE driverModule;
std::once_flag loadOnce;

SimState& RawState() {
    static SimState state;
    return state;
}

// The whole file, or false when it cannot be opened or read.
bool ReadWholeFile(const std::wstring& path, std::string& text) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    char buffer[4096];
    DWORD count = 0;
    BOOL read;
    while ((read = ::ReadFile(file, buffer, sizeof buffer, &count, nullptr)) && count > 0)
        text.append(buffer, count);
    CloseHandle(file);
    return read != FALSE;
}

// The variable's value of any length; empty when it is not set.
std::wstring EnvironmentValue(const wchar_t* name) {
    DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
    while (size > 0) {
        std::wstring value(size, L'\0');
        const DWORD length = GetEnvironmentVariableW(name, &value[0], size);
        if (length < size) {
            value.resize(length);
            return value;
        }
        size = length; // another thread made it longer meanwhile
    }
    return std::wstring();
}

// lumo31a-sim.txt in the folder of this DLL, however deep that folder lies.
std::wstring FileBesideDriver() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(driverModule, &path[0], DWORD(path.size()));
        if (length == 0)
            return std::wstring();
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    path.erase(path.find_last_of(L"\\/") + 1);
    return path + L"lumo31a-sim.txt";
}

// A console shows UTF-16 whatever its code page; a file or a pipe gets UTF-8.
void ReportProblem(const std::wstring& message) {
    const std::wstring line = L"lumo31a (simulated): " + message + L"\n";
    const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0, written = 0;
    if (GetConsoleMode(error, &mode)) {
        WriteConsoleW(error, line.data(), DWORD(line.size()), &written, nullptr);
        return;
    }
    const std::string bytes = Utf8FromWide(line);
    std::fwrite(bytes.data(), 1, bytes.size(), stderr);
    std::fflush(stderr);
}

// A bad file leaves no board at all, so the fault shows, and says why on stderr.
void LoadConfiguredFile(SimState& state, const std::wstring& path, const std::string& text) {
    state.origin = path;
    Setup setup;
    std::string error;
    if (ParseSetup(text, setup, error)) {
        state.loaded = setup;
        return;
    }
    state.configError = path + L": " + WideFromUtf8(error);
    ReportProblem(state.configError);
    state.loaded = Setup();
}

// The file named by LUMO31A_SIM_CONFIG, else lumo31a-sim.txt beside the DLL, else the default
// two boards. A named file that cannot be read leaves no board.
void LoadState() {
    SimState& state = RawState();
    state.startTick = GetTickCount();
    std::wstring path = EnvironmentValue(L"LUMO31A_SIM_CONFIG");
    const bool named = !path.empty();
    if (!named)
        path = FileBesideDriver();
    std::string text;
    if (!path.empty() && ReadWholeFile(path, text)) {
        LoadConfiguredFile(state, path, text);
    } else if (named) {
        state.origin = path;
        state.configError = path + L": cannot be read";
        ReportProblem(state.configError);
    } else {
        std::string error;
        state.origin = L"default";
        ParseSetup(DefaultSetupText(), state.loaded, error);
    }
    state.setup = state.loaded;
    ResetRuntime(state);
    const std::wstring tracePath = EnvironmentValue(L"LUMO31A_SIM_TRACE");
    if (!tracePath.empty())
        SetTrace(state, tracePath);
}

uint64_t SeedOf(const FaultSetup& fault, int slot, int port, int direction) {
    return fault.seed * 0x9E3779B97F4A7C15ull +
           static_cast<uint64_t>(slot * 8 + port * 2 + direction + 1);
}

void SeedPort(PortState& port, const BoardSetup& board, int slot, int number) {
    for (int direction = 0; direction < DIRECTIONS; ++direction) {
        port.calls[direction] = 0;
        port.random[direction] = SeedOf(board.faults[number][direction], slot, number, direction);
    }
}

} // namespace

std::atomic<uint32_t> portCallSpin{200};
std::atomic<bool> fastPortCalls{false};
std::atomic<int32_t> overlappingPortCalls{0};

void ShutDown() {
    SimState& state = RawState();
    if (state.trace)
        std::fclose(state.trace);
    state.trace = nullptr;
}

void RememberModule(HMODULE module) {
    driverModule = module;
}

std::mutex& StateMutex() {
    static std::mutex mutex;
    return mutex;
}

SimState& State() {
    // std::call_once sets thread-local state on every call; after the load one flag will do.
    static std::atomic<bool> loaded{false};
    if (!loaded.load(std::memory_order_acquire)) {
        std::call_once(loadOnce, LoadState);
        loaded.store(true, std::memory_order_release);
    }
    return RawState();
}

void ResetRuntime(SimState& state) {
    for (int slot = 0; slot < BOARD_SLOTS; ++slot) {
        const BoardSetup& board = state.setup.boards[slot];
        BoardState& boardState = state.boards[slot];
        boardState = BoardState();
        boardState.inserted = board.configured && !board.removed;
        for (int port = 0; port < BOARD_PORTS; ++port)
            SeedPort(boardState.ports[port], board, slot, port);
    }
    state.log.clear();
    state.logDropped = 0;
    state.sequence = 0;
    overlappingPortCalls.store(0);
    portCallSpin.store(state.setup.spin);
    fastPortCalls.store(state.setup.fast);
    if (!state.setup.tracePath.empty() && state.setup.tracePath != state.tracePath)
        SetTrace(state, state.setup.tracePath);
}

void RefreshRuntime(SimState& state) {
    for (int slot = 0; slot < BOARD_SLOTS; ++slot) {
        const BoardSetup& board = state.setup.boards[slot];
        BoardState& boardState = state.boards[slot];
        boardState.inserted = board.configured && !board.removed;
        for (int port = 0; port < BOARD_PORTS; ++port)
            SeedPort(boardState.ports[port], board, slot, port);
    }
    portCallSpin.store(state.setup.spin);
    fastPortCalls.store(state.setup.fast);
    if (!state.setup.tracePath.empty() && state.setup.tracePath != state.tracePath)
        SetTrace(state, state.setup.tracePath);
}

void RecordCall(SimState& state, int32_t entry, uint32_t slot, int32_t port, int32_t data,
                int32_t extra, int32_t result) {
    LumoSimCall call;
    call.sequence = state.sequence++;
    call.entry = entry;
    call.slot = static_cast<int32_t>(slot);
    call.port = port;
    call.data = data;
    call.extra = extra;
    call.threadId = GetCurrentThreadId();
    call.result = result;
    call.tick = GetTickCount();
    if (state.log.size() < LOG_CAPACITY)
        state.log.push_back(call);
    else
        ++state.logDropped;
    if (!state.trace)
        return;
    std::fprintf(state.trace, "%8lu ms  #%-7d thread %-6lu %-22s slot %-3d port %-2d ",
                 static_cast<unsigned long>(GetTickCount() - state.startTick), call.sequence,
                 static_cast<unsigned long>(call.threadId), LumoSimEntryName(entry), call.slot,
                 port);
    std::fprintf(state.trace, "data 0x%02X extra %d -> %d\n", static_cast<unsigned>(data), extra,
                 result);
    std::fflush(state.trace);
}

bool SetTrace(SimState& state, const std::wstring& path) {
    if (state.trace)
        std::fclose(state.trace);
    state.trace = nullptr;
    state.tracePath.clear();
    if (path.empty())
        return true;
    state.trace = _wfopen(path.c_str(), L"w");
    if (!state.trace)
        return false;
    state.tracePath = path;
    std::fprintf(state.trace, "# lumo31a (simulated) call trace; configuration: %s\n",
                 Utf8FromWide(state.origin).c_str());
    std::fflush(state.trace);
    return true;
}

} // namespace lumosim
