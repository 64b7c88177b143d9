// Writers take a number with one interlocked increment and publish the entry by storing that
// number last; a reader that finds another number there knows the entry is unfinished or was
// overwritten, and a copy whose number changed under it was overwritten while it read.
#include "sim/boards/AccessRing.h"

#include "sim/boards/SharedBoards.h"

#include <cstddef>

namespace lumosim {

static_assert(sizeof(BoardsAccess) == 32, "");
static_assert(offsetof(BoardsAccess, time) == 8, "");
static_assert(offsetof(BoardsAccess, slot) == 20, "");
static_assert(offsetof(AccessRing, accesses) == 64, "");
static_assert((ACCESS_SLOTS & (ACCESS_SLOTS - 1)) == 0, "");

namespace {

constexpr DWORD UNFINISHED_MS = 1000;

BoardsAccess& Entry(AccessRing& ring, uint32_t number) {
    return ring.accesses[(number - 1) & (ACCESS_SLOTS - 1)];
}

const BoardsAccess& Entry(const AccessRing& ring, uint32_t number) {
    return ring.accesses[(number - 1) & (ACCESS_SLOTS - 1)];
}

} // namespace

void NoteAccessNow(AccessRing& ring, uint32_t slot, uint32_t port, int direction, uint32_t byte,
                   int32_t result) {
    if (slot >= BOARD_SLOTS || port >= BOARD_PORTS)
        return;
    static const uint32_t process = GetCurrentProcessId();
    const uint32_t number = __atomic_add_fetch(&ring.count, 1, __ATOMIC_SEQ_CST);
    BoardsAccess& entry = Entry(ring, number);
    __atomic_store_n(&entry.number, 0, __ATOMIC_RELAXED);
    __atomic_thread_fence(__ATOMIC_RELEASE);
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    entry.process = process;
    entry.time = now.QuadPart;
    entry.tick = GetTickCount();
    entry.slot = uint8_t(slot);
    entry.port = uint8_t(port);
    entry.direction = uint8_t(direction);
    entry.byte = uint8_t(byte);
    entry.result = result;
    entry.thread = GetCurrentThreadId();
    __atomic_store_n(&entry.number, number, __ATOMIC_RELEASE);
}

bool StartRecording(AccessRing& ring, AccessReader& reader) {
    const uint32_t self = GetCurrentProcessId();
    int free = -1;
    uint32_t listed = 0;
    for (int i = 0; i < int(ACCESS_RECORDERS); ++i) {
        uint32_t& recorder = ring.recorders[i];
        if (recorder && recorder != self && !ProcessRuns(recorder))
            recorder = 0;
        if (recorder == self)
            recorder = 0;
        if (!recorder && free < 0)
            free = i;
        listed += recorder != 0;
    }
    if (free < 0)
        return false;
    ring.recorders[free] = self;
    __atomic_store_n(&ring.recording, listed + 1, __ATOMIC_SEQ_CST);
    reader = AccessReader();
    reader.next = __atomic_load_n(&ring.count, __ATOMIC_SEQ_CST);
    return true;
}

void StopRecording(AccessRing& ring) {
    const uint32_t self = GetCurrentProcessId();
    uint32_t listed = 0;
    for (uint32_t& recorder : ring.recorders) {
        if (recorder == self)
            recorder = 0;
        listed += recorder != 0;
    }
    __atomic_store_n(&ring.recording, listed, __ATOMIC_SEQ_CST);
}

void TakeAccesses(const AccessRing& ring, AccessReader& reader, std::vector<BoardsAccess>& taken) {
    const uint32_t count = __atomic_load_n(&ring.count, __ATOMIC_ACQUIRE);
    while (reader.next != count) {
        const uint32_t behind = count - reader.next;
        if (behind > ACCESS_SLOTS) {
            reader.lost += behind - ACCESS_SLOTS;
            reader.next = count - ACCESS_SLOTS;
            continue;
        }
        const uint32_t number = reader.next + 1;
        const BoardsAccess& entry = Entry(ring, number);
        const uint32_t seen = __atomic_load_n(&entry.number, __ATOMIC_ACQUIRE);
        if (seen != number && (seen == 0 || int32_t(seen - number) < 0)) {
            // Its writer is at work: wait for it, unless it has been so for too long.
            const DWORD now = GetTickCount() | 1;
            if (!reader.waitedFrom)
                reader.waitedFrom = now;
            if (now - reader.waitedFrom < UNFINISHED_MS)
                return;
            ++reader.lost;
        } else if (seen == number) {
            BoardsAccess copy;
            copy.number = number;
            copy.process = entry.process;
            copy.time = entry.time;
            copy.tick = entry.tick;
            copy.slot = entry.slot;
            copy.port = entry.port;
            copy.direction = entry.direction;
            copy.byte = entry.byte;
            copy.result = entry.result;
            copy.thread = entry.thread;
            __atomic_thread_fence(__ATOMIC_ACQUIRE);
            // Whole (not overwritten while copied) and sound, or it counts as lost.
            if (__atomic_load_n(&entry.number, __ATOMIC_RELAXED) == number &&
                copy.slot < BOARD_SLOTS && copy.port < BOARD_PORTS && copy.direction < DIRECTIONS)
                taken.push_back(copy);
            else
                ++reader.lost;
        } else {
            ++reader.lost; // overwritten by a later round of the ring
        }
        ++reader.next;
        reader.waitedFrom = 0;
    }
}

} // namespace lumosim
