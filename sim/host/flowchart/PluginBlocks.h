// What the stand-in host knows of the parameter blocks of the plug-in's two classes: where the
// board slot, the port and the channel names lie. The flow-chart file shows them beside the
// stored bytes, a run report names each module's port, and tests make stored modules with them.
#pragma once

#include "modules/ModuleRecords.h"

#include <cstdint>
#include <string>
#include <vector>

namespace standin {

struct BlockView {
    bool known = false; // the block belongs to one of the plug-in's classes and has its size
    bool reads = false; // the class reads its port (input class) or writes it (output class)
    uint16_t slot = 0;  // boardSlot
    uint16_t port = 0;  // port
    std::vector<std::string> channelNames; // eight, code page 932, each up to its NUL
};

BlockView ViewOfParams(const std::string& className, const std::vector<uint8_t>& params);
// Writes slot and port at the class's places; false (and nothing written) when the class is
// not one of the plug-in's or the block has the wrong size.
bool StorePort(const std::string& className, std::vector<uint8_t>& params, uint16_t slot,
               uint16_t port);
// The same in the parameter block of a module the host keeps.
bool StorePort(ModuleRecord* module, uint16_t slot, uint16_t port);

} // namespace standin
