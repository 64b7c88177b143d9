// What the two classes' message handlers share: the shape of a message table and its
// dispatch, the answers that do nothing, creation, and the per-channel resets.
#pragma once

#include "device/BoardTable.h"
#include "modules/ModuleRecords.h"

#include <cstddef>

// Channel numbers that have a ChannelState, a name and a port bit of their own.
enum : uint32_t { MODULE_CHANNEL_LIMIT = 8 };

typedef int32_t (*ModuleMessageFn)(ModuleRecord* module, uint32_t messageParam,
                                   uint32_t messageData);

struct ModuleMessageEntry {
    uint32_t message;
    ModuleMessageFn answer;
};

// Answers the message from the table, or hands it unchanged to the host's default action.
int32_t DispatchModuleMessage(const ModuleMessageEntry* table, size_t entries, ModuleRecord* module,
                              uint32_t message, uint32_t messageParam, uint32_t messageData);

int32_t OnAcknowledge(ModuleRecord* module, uint32_t messageParam, uint32_t messageData);
int32_t OnDecline(ModuleRecord* module, uint32_t messageParam, uint32_t messageData);

// What tells the two classes' creation (MODMSG_CREATE) apart.
struct ModuleCreation {
    PortKind kind;          // of the hardware selection and the claim
    uint32_t defaultInputs; // the channel counts a module that has none is given
    uint32_t defaultOutputs;
    const char* stem; // the class's short name: channel n is named "<stem> <n>"
};

// Creation as both classes do it, on the fields of the class's block: the hardware selection,
// the claim of the chosen port, slot and port stored, the default channel counts for a module
// that has none, and all eight channels named with their animation at its start. 1, or 0 when
// the selection ended without a choice; nothing is changed then.
int32_t CreateModule(ModuleRecord* module, const ModuleCreation& creation, char (*channelNames)[24],
                     uint16_t& boardSlot, uint16_t& port);
void ResetChannelState(ChannelState* state);

// A port access failed during an experiment: stop it and tell the user which board and channel,
// with the driver's last error code for the board.
void ReportPortFailure(const char* title, uint16_t boardSlot, uint32_t channel);
