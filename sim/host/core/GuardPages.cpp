// Guard-page host memory: every block ends against a page that is never committed, so that a
// read or write one byte past its end faults at once; a released block's pages are decommitted
// and kept out of use for a while (quarantine), so that a use after release faults too. The
// blocks come from one reservation below 4 GB, carved into runs of whole pages: a reservation
// per block would cost 64 KB of address space each, too much for a 32-bit process. A vectored
// exception handler names the block an access violation hit before the process ends.
#include "sim/host/core/HostInternal.h"

#include <cstdio>
#include <cstring>
#include <deque>
#include <map>

namespace standin {

namespace {

const size_t PAGE = 4096;
// Up to 256 MB of address space (some 30 000 blocks of a page), committed only while live; less
// when a 32-bit process has no such hole left.
const size_t ARENA_MOST_PAGES = 65536, ARENA_LEAST_PAGES = 4096;
size_t arenaPages = 0;
// Released blocks stay no-access until this many more have been released after them.
const size_t QUARANTINE_BLOCKS = 2048;

struct Run {
    size_t firstPage, pages; // the block's pages, its guard page last
    uintptr_t block;         // where the block starts: its end touches the guard page
    size_t size;
    std::string what;
    bool live;
};

std::mutex guardMutex;
char* arena = nullptr;
size_t nextPage = 0;                    // pages below it have been handed out at least once
std::map<size_t, Run> runs;             // by first page: live and quarantined blocks
std::multimap<size_t, size_t> freeRuns; // pages -> first page
std::deque<size_t> quarantine;          // first pages, oldest first
PVOID handler = nullptr;

uintptr_t PageAddress(size_t page) {
    return reinterpret_cast<uintptr_t>(arena) + page * PAGE;
}

// Called with guardMutex held: the quarantine's oldest block becomes free address space.
void EndQuarantineOfOldest() {
    const size_t first = quarantine.front();
    quarantine.pop_front();
    auto found = runs.find(first);
    freeRuns.emplace(found->second.pages, first);
    runs.erase(found);
}

// Called with guardMutex held. A run of `pages` pages, or SIZE_MAX when the arena is full.
size_t FindRun(size_t pages) {
    for (;;) {
        auto exact = freeRuns.find(pages);
        if (exact != freeRuns.end()) {
            const size_t first = exact->second;
            freeRuns.erase(exact);
            return first;
        }
        if (nextPage + pages <= arenaPages) {
            nextPage += pages;
            return nextPage - pages;
        }
        auto larger = freeRuns.lower_bound(pages);
        if (larger != freeRuns.end()) {
            const size_t first = larger->second, rest = larger->first - pages;
            freeRuns.erase(larger);
            freeRuns.emplace(rest, first + pages);
            return first;
        }
        if (quarantine.empty())
            return SIZE_MAX;
        EndQuarantineOfOldest();
    }
}

const Run* RunAt(uintptr_t address) {
    if (!arena || address < PageAddress(0) || address >= PageAddress(arenaPages))
        return nullptr;
    const size_t page = (address - PageAddress(0)) / PAGE;
    auto found = runs.upper_bound(page);
    if (found == runs.begin())
        return nullptr;
    --found;
    const Run& run = found->second;
    return page < run.firstPage + run.pages ? &run : nullptr;
}

LONG CALLBACK NameTheBlock(EXCEPTION_POINTERS* info) {
    const EXCEPTION_RECORD* record = info->ExceptionRecord;
    if (record->ExceptionCode != EXCEPTION_ACCESS_VIOLATION || record->NumberParameters < 2)
        return EXCEPTION_CONTINUE_SEARCH;
    const uintptr_t address = record->ExceptionInformation[1];
    const std::string text = GuardFaultText(reinterpret_cast<const void*>(address));
    if (!text.empty()) {
        const char* access = record->ExceptionInformation[0] == 1 ? "write" : "read";
        std::fprintf(stderr, "stand-in host: access violation (%s at %p): %s\n", access,
                     reinterpret_cast<void*>(address), text.c_str());
        std::fflush(stderr);
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

} // namespace

bool StartGuardPages() {
    std::lock_guard<std::mutex> lock(guardMutex);
    if (arena)
        return true;
    for (arenaPages = ARENA_MOST_PAGES; arenaPages >= ARENA_LEAST_PAGES; arenaPages /= 2) {
        arena = static_cast<char*>(
            VirtualAlloc(nullptr, arenaPages * PAGE, MEM_RESERVE, PAGE_NOACCESS));
        if (arena)
            break;
    }
    if (!arena) {
        std::fprintf(stderr, "stand-in host: no room for guard-page memory (error %lu)\n",
                     GetLastError());
        return false;
    }
    if (!FitsIn32Bits(arena, arenaPages * PAGE))
        FailAddressAbove4GB(arena, "stand-in host guard-page memory");
    handler = AddVectoredExceptionHandler(1, NameTheBlock);
    return true;
}

void StopGuardPages() {
    std::lock_guard<std::mutex> lock(guardMutex);
    if (!arena)
        return;
    if (handler)
        RemoveVectoredExceptionHandler(handler);
    handler = nullptr;
    VirtualFree(arena, 0, MEM_RELEASE);
    arena = nullptr;
    nextPage = 0;
    runs.clear();
    freeRuns.clear();
    quarantine.clear();
}

void* GuardTake(size_t size, const std::string& what) {
    std::lock_guard<std::mutex> lock(guardMutex);
    if (!arena)
        return nullptr;
    const size_t dataPages = (size + PAGE - 1) / PAGE;
    const size_t first = FindRun(dataPages + 1);
    if (first == SIZE_MAX)
        return nullptr;
    const uintptr_t guard = PageAddress(first + dataPages);
    if (dataPages && !VirtualAlloc(reinterpret_cast<void*>(PageAddress(first)), dataPages * PAGE,
                                   MEM_COMMIT, PAGE_READWRITE)) {
        freeRuns.emplace(dataPages + 1, first);
        return nullptr;
    }
    runs[first] = Run{first, dataPages + 1, guard - size, size, what, true};
    return reinterpret_cast<void*>(guard - size);
}

void GuardGive(void* block) {
    std::lock_guard<std::mutex> lock(guardMutex);
    const Run* found = RunAt(reinterpret_cast<uintptr_t>(block));
    if (!found || !found->live || found->block != reinterpret_cast<uintptr_t>(block))
        return;
    Run& run = runs[found->firstPage];
    if (run.pages > 1)
        VirtualFree(reinterpret_cast<void*>(PageAddress(run.firstPage)), (run.pages - 1) * PAGE,
                    MEM_DECOMMIT);
    run.live = false;
    quarantine.push_back(run.firstPage);
    if (quarantine.size() > QUARANTINE_BLOCKS)
        EndQuarantineOfOldest();
}

std::string GuardFaultText(const void* address) {
    std::unique_lock<std::mutex> lock(guardMutex, std::try_to_lock);
    if (!lock.owns_lock())
        return "in guard-page memory (its blocks are being changed)";
    const uintptr_t at = reinterpret_cast<uintptr_t>(address);
    const Run* run = RunAt(at);
    if (!run)
        return arena && at >= PageAddress(0) && at < PageAddress(arenaPages)
                   ? "in guard-page memory no block has used lately"
                   : "";
    char text[400];
    const char* what = run->what.c_str();
    if (!run->live)
        std::snprintf(text, sizeof text, "byte %lld of %s (%u bytes), after its release",
                      static_cast<long long>(at - run->block), what, unsigned(run->size));
    else if (at >= run->block + run->size)
        std::snprintf(text, sizeof text, "%u bytes past the end of %s (%u bytes)",
                      unsigned(at - run->block - run->size), what, unsigned(run->size));
    else
        std::snprintf(text, sizeof text, "byte %lld of %s (%u bytes)",
                      static_cast<long long>(at - run->block), what, unsigned(run->size));
    return text;
}

} // namespace standin
