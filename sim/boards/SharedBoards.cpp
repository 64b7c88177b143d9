// The bench's shared record: making and reaching it, its lock, and what an input port reads.
#include "sim/boards/SharedBoards.h"

#include "res/Version.h"

#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <sstream>

namespace lumosim {

// The layout every build shares: a change of the record changes these and BOARDS_LAYOUT.
static_assert(sizeof(PortState) == 48, "");
static_assert(sizeof(BoardSetup) == 440, "");
static_assert(sizeof(SetupRecord) == 7048, "");
static_assert(sizeof(BoardsEvent) == 80, "");
static_assert(offsetof(BoardsRecord, lock) == 32, "");
static_assert(offsetof(BoardsRecord, loaded) == 65664, "");
static_assert(offsetof(BoardsRecord, accesses) == 103440, "");
static_assert(sizeof(BoardsRecord) == 2200656, "");

namespace {

DWORD OwnProcess() {
    static const DWORD id = GetCurrentProcessId();
    return id;
}

std::wstring ObjectName(const std::wstring& bench, const wchar_t* what) {
    return L"Local\\lumo31a-sim-" + bench + what;
}

std::wstring Wide(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

void Enlist(BoardsRecord& record) {
    BoardsLock lock(record);
    int free = -1;
    for (int i = 0; i < int(BOARDS_PROCESSES); ++i) {
        if (record.processes[i] == OwnProcess())
            return;
        if (free < 0 && (record.processes[i] == 0 || !ProcessRuns(record.processes[i])))
            free = i;
    }
    if (free >= 0)
        record.processes[free] = OwnProcess();
}

} // namespace

std::wstring BenchName() {
    wchar_t value[64];
    const DWORD length = GetEnvironmentVariableW(L"LUMO31A_SIM_BENCH", value, 64);
    if (length == 0 || length >= 64)
        return L"default";
    // An object name takes no backslash after its namespace.
    std::wstring name(value, length);
    for (wchar_t& c : name)
        if (c == L'\\')
            c = L'_';
    return name;
}

std::string StampVersion(const BoardsStamp& stamp) {
    char version[sizeof stamp.version + 1] = {};
    std::memcpy(version, stamp.version, sizeof stamp.version);
    for (char* c = version; *c; ++c)
        if (*c < 0x20 || *c > 0x7E)
            *c = '?';
    return std::string(version) + " layout " + std::to_string(stamp.layout);
}

std::string OwnVersion() {
    BoardsStamp stamp{};
    std::snprintf(stamp.version, sizeof stamp.version, "%s", PEMO_FILE_VERSION);
    stamp.layout = BOARDS_LAYOUT;
    return StampVersion(stamp);
}

bool ProcessRuns(uint32_t process) {
    if (process == OwnProcess())
        return true;
    const HANDLE handle = OpenProcess(SYNCHRONIZE, FALSE, process);
    if (!handle)
        return GetLastError() == ERROR_ACCESS_DENIED;
    const bool runs = WaitForSingleObject(handle, 0) == WAIT_TIMEOUT;
    CloseHandle(handle);
    return runs;
}

BoardsLock::BoardsLock(BoardsRecord& record) : record_(record) {
    const int32_t self = static_cast<int32_t>(OwnProcess());
    for (uint32_t spins = 0;; ++spins) {
        if (record_.lock == 0 && __sync_bool_compare_and_swap(&record_.lock, 0, self))
            return;
        if (spins < 2000) {
            __builtin_ia32_pause();
            continue;
        }
        // Slow path: the holder may have been killed while it held the lock.
        const int32_t owner = record_.lock;
        if ((spins & 255) == 0 && owner != 0 && owner != self &&
            !ProcessRuns(static_cast<uint32_t>(owner)) &&
            __sync_bool_compare_and_swap(&record_.lock, owner, self))
            return;
        Sleep(0);
    }
}

BoardsLock::~BoardsLock() {
    __atomic_store_n(&record_.lock, 0, __ATOMIC_RELEASE);
}

AttachResult AttachBench(const std::wstring& name, bool create, Bench& bench, std::wstring& message,
                         void (*fill)(BoardsRecord&, void*), void* context) {
    // One process at a time makes or checks the record; a holder that was killed leaves the
    // mutex abandoned, which the next one takes, and a record left half filled is filled again.
    const HANDLE setup = CreateMutexW(nullptr, FALSE, ObjectName(name, L"-setup").c_str());
    if (setup)
        WaitForSingleObject(setup, 10000);
    struct Release {
        HANDLE mutex;
        ~Release() {
            if (mutex) {
                ReleaseMutex(mutex);
                CloseHandle(mutex);
            }
        }
    } release{setup};
    const std::wstring mappingName = ObjectName(name, L"");
    HANDLE mapping = nullptr;
    bool made = false;
    if (create) {
        mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                     sizeof(BoardsRecord), mappingName.c_str());
        made = mapping && GetLastError() != ERROR_ALREADY_EXISTS;
    } else {
        mapping = OpenFileMappingW(FILE_MAP_READ | FILE_MAP_WRITE, FALSE, mappingName.c_str());
        if (!mapping) {
            message = L"no simulated boards running in this session (bench " + name + L")";
            return AttachResult::Missing;
        }
    }
    if (!mapping) {
        message = L"cannot make the shared boards (bench " + name + L", error " +
                  std::to_wstring(GetLastError()) + L")";
        return AttachResult::Failed;
    }
    void* view = MapViewOfFile(mapping, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, 0);
    MEMORY_BASIC_INFORMATION region{};
    if (!view || !VirtualQuery(view, &region, sizeof region)) {
        message = L"cannot map the shared boards (bench " + name + L")";
        if (view)
            UnmapViewOfFile(view);
        CloseHandle(mapping);
        return AttachResult::Failed;
    }
    BoardsRecord* record = static_cast<BoardsRecord*>(view);
    if (!made) {
        // The first page is there whatever made the section; the rest only if it is as large.
        const BoardsStamp stamp = record->stamp;
        const bool same = stamp.magic == BOARDS_MAGIC && stamp.layout == BOARDS_LAYOUT &&
                          stamp.size == sizeof(BoardsRecord) &&
                          region.RegionSize >= sizeof(BoardsRecord) &&
                          StampVersion(stamp) == OwnVersion();
        if (!same && record->ready) {
            message = L"the simulated boards of bench " + name + L" are version " +
                      Wide(stamp.magic == BOARDS_MAGIC ? StampVersion(stamp) : "unknown") +
                      L"; this is version " + Wide(OwnVersion());
            UnmapViewOfFile(view);
            CloseHandle(mapping);
            return AttachResult::Mismatch;
        }
        made = !record->ready; // its maker ended before filling it
        if (made && !create) {
            message = L"no simulated boards running in this session (bench " + name + L")";
            UnmapViewOfFile(view);
            CloseHandle(mapping);
            return AttachResult::Missing;
        }
        if (made && region.RegionSize < sizeof(BoardsRecord)) {
            message = L"the shared boards of bench " + name + L" are too small";
            UnmapViewOfFile(view);
            CloseHandle(mapping);
            return AttachResult::Failed;
        }
    }
    if (made) {
        std::memset(static_cast<void*>(record), 0, sizeof *record);
        record->stamp.magic = BOARDS_MAGIC;
        record->stamp.layout = BOARDS_LAYOUT;
        record->stamp.size = sizeof(BoardsRecord);
        std::snprintf(record->stamp.version, sizeof record->stamp.version, "%s", PEMO_FILE_VERSION);
        record->startTick = GetTickCount();
        if (fill)
            fill(*record, context);
        __atomic_store_n(&record->ready, 1, __ATOMIC_RELEASE);
    }
    bench.mapping = mapping;
    bench.record = record;
    Enlist(*record);
    return made ? AttachResult::Created : AttachResult::Attached;
}

void DetachBench(Bench& bench) {
    if (bench.record) {
        {
            BoardsLock lock(*bench.record);
            for (uint32_t& process : bench.record->processes)
                if (process == OwnProcess())
                    process = 0;
        }
        UnmapViewOfFile(bench.record);
    }
    if (bench.mapping)
        CloseHandle(bench.mapping);
    bench = Bench();
}

uint8_t SourceByte(const BoardsRecord& record, const InputSetup& input, uint32_t read) {
    switch (input.source) {
    case Source::Counter:
        return static_cast<uint8_t>(input.value + input.step * read);
    case Source::Square: {
        const uint32_t period = input.period ? input.period : 2;
        const bool high = read % period < (period + 1) / 2;
        return static_cast<uint8_t>(high ? (input.value | input.bits)
                                         : (input.value & ~input.bits));
    }
    case Source::Wire: {
        if (!ValidPort(input.wireSlot, input.wirePort))
            return 0;
        const int latch = record.boards[input.wireSlot].ports[input.wirePort].outputLatch;
        return static_cast<uint8_t>(latch < 0 ? 0 : latch);
    }
    default:
        return input.value;
    }
}

uint8_t CurrentInput(const BoardsRecord& record, int slot, int port) {
    if (!ValidPort(slot, port))
        return 0;
    const PortState& state = record.boards[slot].ports[port];
    return Forced(state,
                  SourceByte(record, record.setup.boards[slot].inputs[port], state.inputReads));
}

SetupRecord ToRecord(const Setup& setup) {
    SetupRecord record{};
    std::copy(std::begin(setup.boards), std::end(setup.boards), record.boards);
    record.spin = setup.spin;
    record.fast = setup.fast;
    return record;
}

Setup FromRecord(const SetupRecord& record, const std::wstring& tracePath) {
    Setup setup;
    std::copy(std::begin(record.boards), std::end(record.boards), setup.boards);
    setup.spin = record.spin;
    setup.fast = record.fast != 0;
    setup.tracePath = tracePath;
    return setup;
}

namespace {

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

void ResetBoards(BoardsRecord& record) {
    for (int slot = 0; slot < BOARD_SLOTS; ++slot) {
        const BoardSetup& board = record.setup.boards[slot];
        BoardState& boardState = record.boards[slot];
        boardState = BoardState();
        boardState.inserted = board.configured && !board.removed;
        for (int port = 0; port < BOARD_PORTS; ++port) {
            boardState.ports[port].outputLatch = -1;
            SeedPort(boardState.ports[port], board, slot, port);
        }
    }
    record.running = 0;
    record.overlaps = 0;
}

void RefreshBoards(BoardsRecord& record) {
    for (int slot = 0; slot < BOARD_SLOTS; ++slot) {
        const BoardSetup& board = record.setup.boards[slot];
        BoardState& boardState = record.boards[slot];
        boardState.inserted = board.configured && !board.removed;
        for (int port = 0; port < BOARD_PORTS; ++port)
            SeedPort(boardState.ports[port], board, slot, port);
    }
}

bool ForcePort(BoardsRecord& record, int32_t slot, int32_t port, int32_t value, int32_t mask) {
    if (!ValidPort(slot, port) || value < 0 || value > 255 || mask < 0 || mask > 255 ||
        !record.setup.boards[slot].configured)
        return false;
    PortState& state = record.boards[slot].ports[port];
    state.forceMask = static_cast<uint32_t>(mask);
    state.forceValue = static_cast<uint32_t>(value & mask);
    AddEvent(record, LUMO_SIM_EVENT_FORCE, slot, port, state.forceValue, state.forceMask);
    return true;
}

bool UnforcePort(BoardsRecord& record, int32_t slot, int32_t port) {
    if (!ValidPort(slot, port) || !record.setup.boards[slot].configured)
        return false;
    PortState& state = record.boards[slot].ports[port];
    state.forceMask = state.forceValue = 0;
    AddEvent(record, LUMO_SIM_EVENT_UNFORCE, slot, port, 0, 0);
    return true;
}

bool SetPresent(BoardsRecord& record, int32_t slot, bool inserted) {
    if (slot < 0 || slot >= BOARD_SLOTS || !record.setup.boards[slot].configured)
        return false;
    record.setup.boards[slot].removed = !inserted;
    record.boards[slot].inserted = inserted;
    AddEvent(record, inserted ? LUMO_SIM_EVENT_INSERT : LUMO_SIM_EVENT_PULL, slot, -1, 0, 0);
    return true;
}

bool ApplyFault(BoardsRecord& record, const std::string& line, std::string& error) {
    Setup setup = FromRecord(record.setup, std::wstring());
    if (line.compare(0, 6, "fault ") != 0 || line.find('\n') != std::string::npos) {
        error = "not a fault line";
        return false;
    }
    if (!ParseSetup(line, setup, error))
        return false;
    std::istringstream words(line);
    std::string keyword, slot, port;
    words >> keyword >> slot >> port;
    const int32_t slotNumber = std::atoi(slot.c_str());
    if (!setup.boards[slotNumber].configured) {
        error = "no board in slot " + slot;
        return false;
    }
    record.setup = ToRecord(setup);
    RefreshBoards(record);
    const size_t settings = line.find_first_not_of(' ', 6 + slot.size() + 1 + port.size() + 1);
    AddEvent(record, LUMO_SIM_EVENT_FAULT, slotNumber, port == "*" ? -1 : std::atoi(port.c_str()),
             0, 0, settings == std::string::npos ? "" : line.c_str() + settings);
    return true;
}

void AddEvent(BoardsRecord& record, uint32_t kind, int32_t slot, int32_t port, uint32_t value,
              uint32_t mask, const char* text) {
    const uint32_t number = ++record.eventCount;
    BoardsEvent& event = record.events[(number - 1) % BOARDS_EVENTS];
    event.number = number;
    event.tick = GetTickCount();
    event.kind = kind;
    event.slot = slot;
    event.port = port;
    event.value = value;
    event.mask = mask;
    event.process = OwnProcess();
    event.accesses = __atomic_load_n(&record.accesses.count, __ATOMIC_SEQ_CST);
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    event.time = now.QuadPart;
    std::snprintf(event.text, sizeof event.text, "%s", text ? text : "");
}

bool EventAt(const BoardsRecord& record, uint32_t number, BoardsEvent& event) {
    if (number == 0)
        return false;
    event = record.events[(number - 1) % BOARDS_EVENTS];
    event.text[sizeof event.text - 1] = '\0';
    return event.number == number;
}

} // namespace lumosim
