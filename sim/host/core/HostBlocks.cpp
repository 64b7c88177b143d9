// Data blocks: a queue per module input channel (GetInputBlock, NewReleaseInputBlock), one
// current block per output channel record (GetCurrentOutputBlock, NewReleaseOutputBlock), the
// record of every released output block, and connections that carry released blocks on to
// another module's input, and the watcher that is told of each block as it goes. Process
// functions may run on another thread: one mutex guards it all.
#include "sim/host/core/HostInternal.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <map>

namespace standin {

namespace {

struct InputQueue {
    std::deque<DataBlock*> blocks;
    bool handedOut = false;     // the front block is with the plug-in
    uint32_t samplesQueued = 0; // for the start time of the next queued block
    int released = 0;
};

struct OutputSlot {
    ModuleRecord* module = nullptr;
    uint32_t channel = 0;
    DataBlock* block = nullptr;
    uint32_t capacity = 0; // samples the block has room for
    bool handedOut = false;
};

using QueueKey = std::pair<ModuleRecord*, uint32_t>;

std::mutex blocksMutex;
std::map<QueueKey, InputQueue> inputQueues;
std::map<const OutputChannelRecord*, OutputSlot> outputSlots;
std::vector<Connection> connections;
std::vector<ReleasedBlock> releasedBlocks;
bool keepReleasedBlocks = true;
bool outputBlocksAvailable = true;
// Set and called on the threads that use the services; replaced only between runs.
std::function<void(const BlockNote&)> blockWatcher;

void Tell(BlockEvent event, ModuleRecord* module, uint32_t channel, const float* samples = nullptr,
          uint32_t count = 0, const DataBlock* stamps = nullptr) {
    if (blockWatcher)
        blockWatcher(BlockNote{event, module, channel, samples, count,
                               stamps ? stamps->startTime : 0, stamps ? stamps->sampleDistance : 0,
                               GetTickCount()});
}
bool fastBlocks = false; // SetFastBlocks

// What a fault report calls a data block: "the input block 2 of module 'Lumo-P31 IN'".
std::string BlockName(const char* kind, const ModuleRecord* module, uint32_t channel) {
    return std::string("the ") + kind + " block " + std::to_string(channel) + " of module '" +
           std::string(module->moduleName, strnlen(module->moduleName, sizeof module->moduleName)) +
           "'";
}

// A block in host memory: the host's header carries "PB" and the room in samples; the samples
// are the plug-in's or the sender's to write.
DataBlock* MakeBlock(uint32_t capacity, const std::string& what) {
    const uint32_t room = std::max<uint32_t>(capacity, 1);
    auto* block = static_cast<DataBlock*>(HostAllocUnset(uint32_t(DataBlockSize(room)), what));
    if (!block)
        return nullptr;
    block->startTime = 0;
    block->sampleDistance = 0;
    block->sampleCount = 0;
    block->hostHeader[0] = 'P';
    block->hostHeader[1] = 'B';
    std::memcpy(block->hostHeader + 2, &room, sizeof room);
    return block;
}

double SampleDistance() {
    return MilliSecondsPerSample() * 0.001;
}

// Called with blocksMutex held.
void QueueBlock(ModuleRecord* module, uint32_t channel, double startTime, double distance,
                const float* samples, uint32_t count) {
    DataBlock* block = MakeBlock(count, BlockName("input", module, channel));
    if (!block)
        return;
    block->startTime = startTime;
    block->sampleDistance = distance;
    block->sampleCount = uint16_t(count);
    if (count)
        std::memcpy(block->samples, samples, count * sizeof(float));
    InputQueue& queue = inputQueues[QueueKey(module, channel)];
    queue.blocks.push_back(block);
    queue.samplesQueued += count;
}

void FreeQueue(InputQueue& queue) {
    for (DataBlock* block : queue.blocks)
        HostFree(block);
    queue.blocks.clear();
}

} // namespace

void StopBlocks() {
    std::lock_guard<std::mutex> lock(blocksMutex);
    for (auto& entry : inputQueues)
        FreeQueue(entry.second);
    inputQueues.clear();
    for (auto& entry : outputSlots)
        HostFree(entry.second.block);
    outputSlots.clear();
    connections.clear();
    releasedBlocks.clear();
    keepReleasedBlocks = true;
    outputBlocksAvailable = true;
    blockWatcher = nullptr;
    fastBlocks = false;
}

void ClearBlockRecords() {
    std::lock_guard<std::mutex> lock(blocksMutex);
    releasedBlocks.clear();
    for (auto& entry : inputQueues)
        entry.second.released = 0;
}

void ForgetModuleBlocks(ModuleRecord* module) {
    std::lock_guard<std::mutex> lock(blocksMutex);
    for (auto entry = inputQueues.begin(); entry != inputQueues.end();) {
        if (entry->first.first == module) {
            FreeQueue(entry->second);
            entry = inputQueues.erase(entry);
        } else {
            ++entry;
        }
    }
    for (auto entry = outputSlots.begin(); entry != outputSlots.end();) {
        if (entry->second.module == module) {
            HostFree(entry->second.block);
            entry = outputSlots.erase(entry);
        } else {
            ++entry;
        }
    }
    std::vector<Connection> kept;
    for (const Connection& connection : connections)
        if (connection.from != module && connection.to != module)
            kept.push_back(connection);
    connections = kept;
}

void QueueInputBlock(ModuleRecord* module, uint32_t channel, const std::vector<float>& samples) {
    // A block holds at most 65535 samples: its count is 16 bits wide.
    const uint32_t count = uint32_t(std::min<size_t>(samples.size(), 0xFFFF));
    std::lock_guard<std::mutex> lock(blocksMutex);
    const uint32_t queued = inputQueues[QueueKey(module, channel)].samplesQueued;
    QueueBlock(module, channel, queued * SampleDistance(), SampleDistance(), samples.data(), count);
}

size_t QueuedInputBlocks(ModuleRecord* module, uint32_t channel) {
    std::lock_guard<std::mutex> lock(blocksMutex);
    auto found = inputQueues.find(QueueKey(module, channel));
    return found == inputQueues.end() ? 0 : found->second.blocks.size();
}

int InputBlocksReleased(ModuleRecord* module, uint32_t channel) {
    std::lock_guard<std::mutex> lock(blocksMutex);
    auto found = inputQueues.find(QueueKey(module, channel));
    return found == inputQueues.end() ? 0 : found->second.released;
}

const std::vector<ReleasedBlock>& ReleasedOutputBlocks() {
    return releasedBlocks;
}

void KeepReleasedBlocks(bool keep) {
    std::lock_guard<std::mutex> lock(blocksMutex);
    keepReleasedBlocks = keep;
}

void WatchBlocks(std::function<void(const BlockNote&)> watcher) {
    std::lock_guard<std::mutex> lock(blocksMutex);
    blockWatcher = std::move(watcher);
}

void SetOutputBlocksAvailable(bool available) {
    std::lock_guard<std::mutex> lock(blocksMutex);
    outputBlocksAvailable = available;
}

void SetFastBlocks(bool on) {
    std::lock_guard<std::mutex> lock(blocksMutex);
    fastBlocks = on;
}

void Connect(ModuleRecord* from, uint32_t outChannel, ModuleRecord* to, uint32_t inChannel) {
    std::lock_guard<std::mutex> lock(blocksMutex);
    connections.push_back(Connection{from, outChannel, to, inChannel});
}

std::vector<Connection> Connections() {
    std::lock_guard<std::mutex> lock(blocksMutex);
    return connections;
}

namespace service {

DataBlock* PEMO_SERVICECALL GetInputBlock(ModuleRecord* module, uint32_t channel) {
    std::unique_lock<std::mutex> lock(blocksMutex);
    auto found = inputQueues.find(QueueKey(module, channel));
    if (found == inputQueues.end() || found->second.blocks.empty())
        return nullptr;
    DataBlock* block = found->second.blocks.front();
    const bool first = !found->second.handedOut;
    found->second.handedOut = true;
    lock.unlock();
    // The block stays the queue's front until this thread releases it.
    if (first)
        Tell(BlockEvent::InputHandedOut, module, channel, block->samples, block->sampleCount);
    return block;
}

int32_t PEMO_SERVICECALL NewReleaseInputBlock(ModuleRecord* module, uint32_t channel,
                                              const char* file, int32_t line) {
    std::unique_lock<std::mutex> lock(blocksMutex);
    auto found = inputQueues.find(QueueKey(module, channel));
    if (found == inputQueues.end() || !found->second.handedOut) {
        lock.unlock();
        RecordComplaint("NewReleaseInputBlock of input channel " + std::to_string(channel) +
                        " at " + (file ? file : "?") + ":" + std::to_string(line) +
                        ": no block was handed out");
        return 0;
    }
    InputQueue& queue = found->second;
    const uint32_t count = queue.blocks.front()->sampleCount;
    if (!fastBlocks) {
        HostFree(queue.blocks.front());
        queue.blocks.pop_front();
    }
    queue.handedOut = false;
    ++queue.released;
    lock.unlock();
    Tell(BlockEvent::InputReleased, module, channel, nullptr, count);
    return 1;
}

DataBlock* PEMO_SERVICECALL GetCurrentOutputBlock(OutputChannelRecord* channel) {
    ModuleRecord* module;
    uint32_t index;
    if (!FindOutputChannel(channel, &module, &index)) {
        RecordComplaint("GetCurrentOutputBlock of a channel record the host does not know");
        return nullptr;
    }
    std::unique_lock<std::mutex> lock(blocksMutex);
    if (!outputBlocksAvailable)
        return nullptr;
    OutputSlot& slot = outputSlots[channel];
    slot.module = module;
    slot.channel = index;
    const uint32_t wanted = std::max<uint32_t>(BlockSize(), 1);
    // Still the current block until it is released; it always has room for the block size in
    // force, which may have grown since it was handed out (a module that started afresh fills
    // it again with the new size).
    if (slot.handedOut && slot.capacity >= wanted)
        return slot.block;
    if (slot.handedOut) {
        DataBlock* grown = MakeBlock(wanted, BlockName("output", module, index));
        if (!grown)
            return nullptr;
        std::memcpy(grown, slot.block, DataBlockSize(slot.capacity));
        HostFree(slot.block);
        slot.block = grown;
        slot.capacity = wanted;
        std::memcpy(grown->hostHeader + 2, &wanted, sizeof wanted);
        return grown;
    }
    if (slot.block && slot.capacity < wanted) {
        HostFree(slot.block);
        slot.block = nullptr;
    }
    if (!slot.block) {
        slot.block = MakeBlock(wanted, BlockName("output", module, index));
        slot.capacity = slot.block ? wanted : 0;
    }
    if (!slot.block)
        return nullptr;
    slot.handedOut = true;
    if (fastBlocks)
        return slot.block;
    slot.block->startTime = 0;
    slot.block->sampleDistance = 0;
    slot.block->sampleCount = 0;
    std::memset(slot.block->samples, 0, slot.capacity * sizeof(float));
    DataBlock* block = slot.block;
    lock.unlock();
    Tell(BlockEvent::OutputHandedOut, module, index);
    return block;
}

int32_t PEMO_SERVICECALL NewReleaseOutputBlock(OutputChannelRecord* channel, const char* file,
                                               int32_t line) {
    std::unique_lock<std::mutex> lock(blocksMutex);
    auto found = outputSlots.find(channel);
    const auto where = [file, line] {
        return std::string(file ? file : "?") + ":" + std::to_string(line);
    };
    if (found == outputSlots.end() || !found->second.handedOut) {
        lock.unlock();
        RecordComplaint("NewReleaseOutputBlock at " + where() + ": no block was handed out");
        return 0;
    }
    OutputSlot& slot = found->second;
    DataBlock* block = slot.block;
    uint32_t count = block->sampleCount;
    std::string tooMany;
    if (count > slot.capacity) {
        // Never read past the block: keep what it has room for.
        tooMany = "NewReleaseOutputBlock at " + where() + ": sample count " +
                  std::to_string(count) + " beyond the block's room of " +
                  std::to_string(slot.capacity);
        count = slot.capacity;
    }
    if (keepReleasedBlocks && !fastBlocks) {
        ReleasedBlock released;
        released.module = slot.module;
        released.channel = slot.channel;
        released.startTime = block->startTime;
        released.sampleDistance = block->sampleDistance;
        released.samples.assign(block->samples, block->samples + count);
        released.tick = GetTickCount();
        releasedBlocks.push_back(released);
    }
    for (const Connection& connection : connections)
        if (connection.from == slot.module && connection.outChannel == slot.channel)
            QueueBlock(connection.to, connection.inChannel, block->startTime, block->sampleDistance,
                       block->samples, count);
    slot.handedOut = false;
    ModuleRecord* module = slot.module;
    const uint32_t index = slot.channel;
    lock.unlock();
    if (!tooMany.empty())
        RecordComplaint(tooMany);
    // The block stays the slot's until this thread asks for the channel's next one.
    Tell(BlockEvent::OutputReleased, module, index, block->samples, count, block);
    return 1;
}

} // namespace service

PEMO_CHECK_SERVICE_SHAPES()

} // namespace standin
