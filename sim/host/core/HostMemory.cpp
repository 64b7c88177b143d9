// Host memory: every block the host hands to the plug-in or keeps in a record lies below 4 GB,
// since the records carry 32-bit addresses. Live blocks are kept in a table, so that a block
// given back twice, or one the host never gave, is caught instead of corrupting the heap.
#include "sim/host/core/HostInternal.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

namespace standin {

namespace {

// Where blocks come from: the private heap, or guard-page memory (GuardPages.cpp), where every
// block ends against a no-access page and a released one stays no-access for a while.
HANDLE heap = nullptr;
bool guarded = false;

// A block of the host's or the plug-in's; `pattern` fills it with GUARD_PATTERN in guard-page
// mode (zero otherwise), so that what nobody wrote does not pass for zero.
void* TakeFromSource(size_t size, const std::string& what, bool pattern) {
    if (!guarded)
        return HeapAlloc(heap, HEAP_ZERO_MEMORY, size ? size : 1);
    void* block = GuardTake(size, what);
    if (block)
        std::memset(block, pattern ? GUARD_PATTERN : 0, size);
    return block;
}
void GiveToSource(void* block) {
    if (guarded)
        GuardGive(block);
    else
        HeapFree(heap, 0, block);
}

struct LiveBlock {
    size_t size;
    bool fromPlugin; // NewMemAlloc, not the host's own
    std::string file;
    int32_t line;
};

std::mutex memoryMutex;
std::map<void*, LiveBlock> liveBlocks;
bool failNext = false;
size_t pluginAllocationCalls = 0;

std::string Where(const char* file, int32_t line) {
    return std::string(file ? file : "(no file)") + ":" + std::to_string(line);
}

// Takes a block and files it; a block above 4 GB ends the program, as a record could not hold
// it.
void* TakeBlock(size_t size, bool fromPlugin, const std::string& what, bool pattern,
                const char* file, int32_t line) {
    std::lock_guard<std::mutex> lock(memoryMutex);
    if (!heap)
        return nullptr;
    void* block = TakeFromSource(
        size, fromPlugin ? "the NewMemAlloc block of " + Where(file, line) : what, pattern);
    if (!block)
        return nullptr;
    if (!FitsIn32Bits(block, size))
        FailAddressAbove4GB(block, "stand-in host memory");
    liveBlocks[block] = LiveBlock{size, fromPlugin, file ? file : "", line};
    return block;
}

} // namespace

bool FitsIn32Bits(const void* address, size_t size) {
    const uint64_t start = reinterpret_cast<uintptr_t>(address);
    return start + size <= 0x100000000ull;
}

bool StartMemory(bool guardPages) {
    const char* setting = std::getenv("PEMO_HOST_GUARD_PAGES");
    guarded = guardPages || (setting && std::strcmp(setting, "1") == 0);
    heap = HeapCreate(0, 0, 0);
    return heap != nullptr && (!guarded || StartGuardPages());
}

bool GuardPagesOn() {
    return guarded;
}

void StopMemory() {
    std::lock_guard<std::mutex> lock(memoryMutex);
    liveBlocks.clear();
    if (heap)
        HeapDestroy(heap);
    heap = nullptr;
    StopGuardPages();
    guarded = false;
    failNext = false;
    pluginAllocationCalls = 0;
}

void ClearMemoryRecords() {}

void* HostAlloc(uint32_t size, const char* what) {
    return TakeBlock(size, false, what ? what : "a host block", false, nullptr, 0);
}

void* HostAllocUnset(uint32_t size, const std::string& what) {
    return TakeBlock(size, false, what, true, nullptr, 0);
}

void HostFree(void* block) {
    if (!block)
        return;
    std::lock_guard<std::mutex> lock(memoryMutex);
    auto found = liveBlocks.find(block);
    if (found == liveBlocks.end()) {
        std::fprintf(stderr, "stand-in host: HostFree of unknown block %p\n", block);
        return;
    }
    liveBlocks.erase(found);
    GiveToSource(block);
}

size_t LiveAllocations() {
    std::lock_guard<std::mutex> lock(memoryMutex);
    return liveBlocks.size();
}

size_t LivePluginAllocations() {
    std::lock_guard<std::mutex> lock(memoryMutex);
    size_t count = 0;
    for (const auto& entry : liveBlocks)
        count += entry.second.fromPlugin ? 1 : 0;
    return count;
}

size_t PluginAllocationCalls() {
    std::lock_guard<std::mutex> lock(memoryMutex);
    return pluginAllocationCalls;
}

void FailNextAllocation() {
    std::lock_guard<std::mutex> lock(memoryMutex);
    failNext = true;
}

namespace service {

void* PEMO_SERVICECALL NewMemAlloc(uint32_t size, const char* file, int32_t line) {
    {
        std::lock_guard<std::mutex> lock(memoryMutex);
        ++pluginAllocationCalls;
        if (failNext) {
            failNext = false;
            return nullptr;
        }
    }
    return TakeBlock(size, true, std::string(), true, file, line);
}

int32_t PEMO_SERVICECALL NewDoMemFree(void* block, const char* file, int32_t line) {
    if (!block)
        return 0;
    {
        std::lock_guard<std::mutex> lock(memoryMutex);
        auto found = liveBlocks.find(block);
        if (found != liveBlocks.end() && found->second.fromPlugin) {
            liveBlocks.erase(found);
            GiveToSource(block);
            return 1;
        }
    }
    char text[200];
    std::snprintf(text, sizeof text, "NewDoMemFree of %p at %s: not a live block of the plug-in",
                  block, Where(file, line).c_str());
    RecordComplaint(text);
    return 0;
}

} // namespace service

PEMO_CHECK_SERVICE_SHAPES()

} // namespace standin
