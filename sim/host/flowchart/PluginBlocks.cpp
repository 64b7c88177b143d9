#include "sim/host/flowchart/PluginBlocks.h"

#include "sim/host/core/StandInHost.h"

#include <cstring>

namespace standin {

namespace {

// Reads the head fields of a block of type Block, or writes slot and port into it.
template <typename Block> BlockView View(const std::vector<uint8_t>& params, bool reads) {
    BlockView view;
    if (params.size() != sizeof(Block))
        return view;
    Block block;
    std::memcpy(&block, params.data(), sizeof block);
    view.known = true;
    view.reads = reads;
    view.slot = block.boardSlot;
    view.port = block.port;
    for (const auto& name : block.channelNames)
        view.channelNames.emplace_back(name, strnlen(name, sizeof name));
    return view;
}

template <typename Block> bool Store(std::vector<uint8_t>& params, uint16_t slot, uint16_t port) {
    if (params.size() != sizeof(Block))
        return false;
    Block block;
    std::memcpy(&block, params.data(), sizeof block);
    block.boardSlot = slot;
    block.port = port;
    std::memcpy(params.data(), &block, sizeof block);
    return true;
}

} // namespace

BlockView ViewOfParams(const std::string& className, const std::vector<uint8_t>& params) {
    if (className == OUTPUT_CLASS_NAME)
        return View<OutParams>(params, false);
    if (className == INPUT_CLASS_NAME)
        return View<InParams>(params, true);
    return BlockView();
}

bool StorePort(const std::string& className, std::vector<uint8_t>& params, uint16_t slot,
               uint16_t port) {
    if (className == OUTPUT_CLASS_NAME)
        return Store<OutParams>(params, slot, port);
    if (className == INPUT_CLASS_NAME)
        return Store<InParams>(params, slot, port);
    return false;
}

bool StorePort(ModuleRecord* module, uint16_t slot, uint16_t port) {
    const RegisteredClass* moduleClass = ClassOfModule(module);
    uint8_t* block = FromAddr32<uint8_t>(module->params);
    if (!moduleClass || !block)
        return false;
    std::vector<uint8_t> params(block, block + moduleClass->record.paramsSize);
    if (!StorePort(moduleClass->className, params, slot, port))
        return false;
    std::memcpy(block, params.data(), params.size());
    return true;
}

} // namespace standin
