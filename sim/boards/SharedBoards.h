// The simulated boards as every process of the session sees them: one record in named shared
// memory per bench, its lock, and what a port reads. The driver, the lumo31a-sim tool and the
// stand-in host's panel link this library.
//
// The record holds no pointers and only fixed-width types, laid out alike in the 32- and 64-bit
// builds, so that processes of either build share it. Another process may have written any
// byte of it: every index, size and position read from it is checked before it is used.
#pragma once

#include "sim/boards/AccessRing.h"
#include "sim/boards/SimSetup.h"

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace lumosim {

enum : uint32_t {
    BOARDS_MAGIC = 0x4233554Cu, // "LU3B"
    BOARDS_LAYOUT = 3,          // raised with every change of the record below
    BOARDS_PROCESSES = 16,      // processes listed as attached
    BOARDS_EVENTS = 256,        // external events kept (a power of two)
    ORIGIN_CHARS = 32768,       // any path the wide file functions take, with its null
};

struct PortState {
    int32_t outputLatch;        // last byte written, -1 before the first write
    uint32_t outputWrites;      // successful writes
    uint32_t inputReads;        // successful reads (drives counters and square waves)
    uint32_t calls[DIRECTIONS]; // calls that reached the fault check, per direction
    uint32_t forceMask;         // bits of the input port read from forceValue, not the source
    uint32_t forceValue;
    uint32_t reserved;
    uint64_t random[DIRECTIONS]; // pseudo-random state of a probability fault
};

struct BoardState {
    uint8_t inserted; // configured and not removed
    uint8_t open;     // between Lumo31aCreate and Lumo31aClose
    uint8_t reserved[2];
    int32_t lastError;
    PortState ports[BOARD_PORTS];
};

// The shared part of a Setup (the trace file stays with each process).
struct SetupRecord {
    BoardSetup boards[BOARD_SLOTS];
    uint32_t spin;
    uint32_t fast;
};

using BoardsEvent = LumoSimEvent;

struct BoardsStamp {
    uint32_t magic;
    uint32_t layout;
    uint32_t size; // sizeof(BoardsRecord)
    char version[20];
};

struct BoardsRecord {
    BoardsStamp stamp;
    volatile int32_t lock;    // the process id of the holder, 0 when free
    volatile int32_t ready;   // 1 once the creator has filled the record
    volatile int32_t running; // port calls in progress (the overlap probe)
    volatile int32_t overlaps;
    uint32_t startTick;
    uint32_t eventCount; // events ever written; the ring holds the last BOARDS_EVENTS
    uint32_t processes[BOARDS_PROCESSES];
    wchar_t origin[ORIGIN_CHARS]; // "default" or the configuration file, null-terminated
    volatile uint32_t portCaller; // the process of the port call that began last
    SetupRecord loaded;           // what the creator read at load: a reset returns here
    SetupRecord setup;            // in effect now
    BoardState boards[BOARD_SLOTS];
    BoardsEvent events[BOARDS_EVENTS];
    AccessRing accesses; // every port call while a recorder listens
};

// The process-independent view of a bench: its mapping and the record.
struct Bench {
    HANDLE mapping = nullptr;
    BoardsRecord* record = nullptr;
};

enum class AttachResult { Created, Attached, Missing, Mismatch, Failed };

// The bench named by LUMO31A_SIM_BENCH, else "default".
std::wstring BenchName();
// "2.0.0.0 layout 1": the version a stamp names.
std::string StampVersion(const BoardsStamp& stamp);
std::string OwnVersion();

// Reaches the bench's record. With `create`, a missing bench is made and `fill` (under the
// bench's set-up mutex) fills it; the creator's process id goes into the list of processes
// either way. On Mismatch or Failed, `message` says why (UTF-16).
AttachResult AttachBench(const std::wstring& name, bool create, Bench& bench, std::wstring& message,
                         void (*fill)(BoardsRecord&, void*) = nullptr, void* context = nullptr);
// Leaves the list of processes and lets go of the record.
void DetachBench(Bench& bench);

// Holds the record's lock: one interlocked operation when nobody else holds it; a holder whose
// process has ended is taken over from.
class BoardsLock {
public:
    explicit BoardsLock(BoardsRecord& record);
    ~BoardsLock();
    BoardsLock(const BoardsLock&) = delete;
    BoardsLock& operator=(const BoardsLock&) = delete;

private:
    BoardsRecord& record_;
};

// The slot and port are valid indexes.
inline bool ValidPort(int32_t slot, int32_t port) {
    return slot >= 0 && slot < BOARD_SLOTS && port >= 0 && port < BOARD_PORTS;
}

// The byte the input port's source gives at its `read`th read, before any force.
uint8_t SourceByte(const BoardsRecord& record, const InputSetup& input, uint32_t read);
// The byte an input port reads now (source and force), without counting a read.
uint8_t CurrentInput(const BoardsRecord& record, int slot, int port);
inline uint8_t Forced(const PortState& port, uint8_t source) {
    const uint32_t mask = port.forceMask & 0xFF;
    return static_cast<uint8_t>((source & ~mask) | (port.forceValue & mask));
}

// The origin as written, however the record ends.
inline std::wstring OriginOf(const BoardsRecord& record) {
    size_t length = 0;
    while (length < ORIGIN_CHARS && record.origin[length])
        ++length;
    return std::wstring(record.origin, length);
}

// The shared part of a setup, and a setup from it (with the trace file given).
SetupRecord ToRecord(const Setup& setup);
Setup FromRecord(const SetupRecord& record, const std::wstring& tracePath);
// Fresh boards for the setup in effect: nothing open, written or forced; no overlap counted.
void ResetBoards(BoardsRecord& record);
// Presence and fault generators anew after the setup changed; outputs and forces stay.
void RefreshBoards(BoardsRecord& record);

// What a person does to the boards from outside, each noted as an event (hold the lock). False
// for a slot or port out of range, a value or mask beyond a byte, no board configured there,
// or (ApplyFault) a bad line, `error` then saying why.
bool ForcePort(BoardsRecord& record, int32_t slot, int32_t port, int32_t value, int32_t mask);
bool UnforcePort(BoardsRecord& record, int32_t slot, int32_t port);
bool SetPresent(BoardsRecord& record, int32_t slot, bool inserted);
bool ApplyFault(BoardsRecord& record, const std::string& line, std::string& error);

// Appends an event to the ring (hold the lock), with its place among the noted accesses.
void AddEvent(BoardsRecord& record, uint32_t kind, int32_t slot, int32_t port, uint32_t value,
              uint32_t mask, const char* text = "");
// The event numbered `number` (from 1), if the ring still holds it.
bool EventAt(const BoardsRecord& record, uint32_t number, BoardsEvent& event);

// Process ids of the list that still run.
bool ProcessRuns(uint32_t process);

} // namespace lumosim
