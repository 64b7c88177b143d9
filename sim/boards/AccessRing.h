// The ring of port accesses in the bench's shared record: the driver of any process notes each
// port call there while a recorder listens (lumo31a-sim record), with an interlocked increment
// and plain stores, taking no lock and waiting for nobody (the times come from
// QueryPerformanceCounter and GetTickCount, which Windows serves without entering the kernel);
// each recorder reads it at its own pace and counts what the ring no longer held when it came
// to read.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

namespace lumosim {

enum : uint32_t {
    ACCESS_SLOTS = 1u << 16, // accesses the ring holds (a power of two)
    ACCESS_RECORDERS = 8,    // processes listed as recording
};

struct BoardsAccess {
    volatile uint32_t number; // the access's number, from 1; 0 while a driver writes it
    uint32_t process;         // the calling process and thread
    int64_t time;             // QueryPerformanceCounter at the call
    uint32_t tick;            // GetTickCount at the call
    uint8_t slot, port;       // a valid slot and port: calls naming another are not noted
    uint8_t direction;        // DIR_IN, DIR_OUT
    uint8_t byte;             // the byte read (0 when the read failed) or the low byte written
    int32_t result;           // the entry's result
    uint32_t thread;
};

struct AccessRing {
    volatile uint32_t count;     // accesses ever noted; the ring holds the last ACCESS_SLOTS
    volatile uint32_t recording; // recorders listed: accesses are noted only while not 0
    uint32_t recorders[ACCESS_RECORDERS];
    uint32_t reserved[6];
    BoardsAccess accesses[ACCESS_SLOTS];
};

// Notes a port call for the recorders listening; NoteAccess costs one load when none does.
void NoteAccessNow(AccessRing& ring, uint32_t slot, uint32_t port, int direction, uint32_t byte,
                   int32_t result);
inline void NoteAccess(AccessRing& ring, uint32_t slot, uint32_t port, int direction, uint32_t byte,
                       int32_t result) {
    if (__builtin_expect(__atomic_load_n(&ring.recording, __ATOMIC_RELAXED) != 0, 0))
        NoteAccessNow(ring, slot, port, direction, byte, result);
}

// A recorder's place in the ring.
struct AccessReader {
    uint32_t next = 0;    // accesses before this number were taken or lost
    uint32_t lost = 0;    // overwritten before they were read, or never finished by their writer
    DWORD waitedFrom = 0; // when the next access was first found unfinished, else 0
};

// Lists the calling process as a recorder (hold the bench's lock; recorders that ended are
// dropped first) and gives its place: accesses from now on. False when ACCESS_RECORDERS
// processes record already.
bool StartRecording(AccessRing& ring, AccessReader& reader);
void StopRecording(AccessRing& ring);
// The accesses noted since the reader's last call, in order, appended to `taken`. An access a
// writer has not finished is waited for until the next call; after a second it counts as lost
// (its writer may have died).
void TakeAccesses(const AccessRing& ring, AccessReader& reader, std::vector<BoardsAccess>& taken);

} // namespace lumosim
