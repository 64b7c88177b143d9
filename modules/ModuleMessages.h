// What the two classes' message handlers share: the shape of a message table and its
// dispatch, the answers that do nothing, and the per-channel resets and names.
#pragma once

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

// Names all eight channels "<stem> <n>" and puts their animation at its start.
void NameChannels(ModuleRecord* module, char (*channelNames)[24], const char* stem);
void ResetChannelState(ChannelState* state);

// A port access failed during an experiment: stop it and tell the user which board and channel.
void ReportPortFailure(const char* title, uint16_t boardSlot, uint32_t channel);
