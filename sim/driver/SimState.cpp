// Reaching the bench (made from the configuration by its first process), the call log and the
// trace file of the simulated driver.
#include "sim/driver/SimState.h"

#include <algorithm>
#include <atomic>
#include <iterator>
#include <mutex>

namespace lumosim {

namespace {

HMODULE driverModule;
std::once_flag loadOnce;

SimState& RawState() {
    static SimState state;
    return state;
}

// The boards of a process that cannot reach its bench: none.
BoardsRecord& EmptyRecord() {
    static BoardsRecord record{};
    return record;
}

// What the configuration made of the bench: the boards, the origin and the trace file named.
struct Loaded {
    Setup setup;
    std::wstring origin;
    std::wstring error;
};

void CopyOrigin(BoardsRecord& record, const std::wstring& origin) {
    const size_t count = std::min(origin.size(), size_t(ORIGIN_CHARS - 1));
    origin.copy(record.origin, count);
    record.origin[count] = L'\0';
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
void LoadConfiguredFile(Loaded& loaded, const std::wstring& path, const std::string& text) {
    loaded.origin = path;
    std::string error;
    if (ParseSetup(text, loaded.setup, error))
        return;
    loaded.error = path + L": " + WideFromUtf8(error);
    ReportProblem(loaded.error);
    loaded.setup = Setup();
}

// The file named by LUMO31A_SIM_CONFIG, else lumo31a-sim.txt beside the DLL, else the default
// two boards. A named file that cannot be read leaves no board.
Loaded LoadConfiguration() {
    Loaded loaded;
    std::wstring path = EnvironmentValue(L"LUMO31A_SIM_CONFIG");
    const bool named = !path.empty();
    if (!named)
        path = FileBesideDriver();
    std::string text;
    if (!path.empty() && ReadWholeFile(path, text)) {
        LoadConfiguredFile(loaded, path, text);
    } else if (named) {
        loaded.origin = path;
        loaded.error = path + L": cannot be read";
        ReportProblem(loaded.error);
    } else {
        std::string error;
        loaded.origin = L"default";
        ParseSetup(DefaultSetupText(), loaded.setup, error);
    }
    return loaded;
}

// The first process of the bench fills its record from its configuration.
void FillBench(BoardsRecord& record, void* context) {
    SimState& state = *static_cast<SimState*>(context);
    const Loaded loaded = LoadConfiguration();
    state.configError = loaded.error;
    state.loadedTrace = state.setupTrace = loaded.setup.tracePath;
    CopyOrigin(record, loaded.origin);
    record.loaded = record.setup = ToRecord(loaded.setup);
    ResetBoards(record);
}

// A process that cannot reach its bench (another version made it) has no boards, and says why
// in ConfigError.
void LoadState() {
    SimState& state = RawState();
    std::wstring message;
    const AttachResult result =
        AttachBench(BenchName(), true, state.bench, message, FillBench, &state);
    if (result == AttachResult::Created || result == AttachResult::Attached) {
        state.shared = state.bench.record;
    } else {
        state.configError = message;
        ReportProblem(message);
        state.shared = &EmptyRecord();
        CopyOrigin(*state.shared, L"default");
        ResetBoards(*state.shared);
        state.shared->ready = 1;
    }
    const std::wstring tracePath = EnvironmentValue(L"LUMO31A_SIM_TRACE");
    SetTrace(state, !tracePath.empty() ? tracePath : state.setupTrace);
}

} // namespace

void ShutDown() {
    SimState& state = RawState();
    if (state.trace)
        std::fclose(state.trace);
    state.trace = nullptr;
    DetachBench(state.bench);
}

void RememberModule(HMODULE module) {
    driverModule = module;
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

Setup CurrentSetup(const SimState& state) {
    return FromRecord(state.shared->setup, state.setupTrace);
}

void StoreSetup(SimState& state, const Setup& setup) {
    state.shared->setup = ToRecord(setup);
    state.setupTrace = setup.tracePath;
}

void ResetRuntime(SimState& state) {
    ResetBoards(*state.shared);
    state.log.clear();
    state.logDropped = 0;
    state.sequence = 0;
    if (!state.setupTrace.empty() && state.setupTrace != state.tracePath)
        SetTrace(state, state.setupTrace);
}

void RefreshRuntime(SimState& state) {
    RefreshBoards(*state.shared);
    if (!state.setupTrace.empty() && state.setupTrace != state.tracePath)
        SetTrace(state, state.setupTrace);
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
                 static_cast<unsigned long>(GetTickCount() - state.shared->startTick),
                 call.sequence, static_cast<unsigned long>(call.threadId), LumoSimEntryName(entry),
                 call.slot, port);
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
                 Utf8FromWide(OriginOf(*state.shared)).c_str());
    std::fflush(state.trace);
    return true;
}

} // namespace lumosim
