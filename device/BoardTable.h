// The 16 logical slots found at set-up, and the claims that modules hold on their ports.
#pragma once

#include "device/DriverInterface.h"

#include <cstdint>

enum class PortKind { Input = 0, Output = 1 };

struct BoardEntry {
    int32_t present;                    // 1: answered at set-up and offered for selection
    uint32_t ioPortAddress;             // from the driver's resource record, 0 if that failed
    int32_t ioPortLength;               // likewise
    uint32_t switchValue;               // written by the driver
    int32_t inputClaimed[BOARD_PORTS];  // 1: owned by an input module
    int32_t outputClaimed[BOARD_PORTS]; // 1: owned by an output module
};
static_assert(sizeof(BoardEntry) == 48, "twelve 32-bit words");

extern BoardEntry BoardTable[BOARD_SLOTS];

// Device set-up: 1 when done (also with no board), 0 when the driver library is not usable.
int OpenBoards();
// Device shut-down: closes every present board, unloads the library, deletes the lock. 1.
int CloseBoards();

// Claim operations. A slot outside 0..15 or a port outside 0..3 never touches the table:
// ClaimPort and ReleasePort ignore it, ReclaimPort refuses it like a missing board, and
// IsPortFree answers false.
void ClaimPort(PortKind kind, uint16_t slot, uint16_t port);
// 1 when claimed; 0 (after the warning) when the driver knows no board in that slot.
int ReclaimPort(PortKind kind, uint16_t slot, uint16_t port);
void ReleasePort(PortKind kind, uint16_t slot, uint16_t port);
bool IsPortFree(PortKind kind, uint16_t slot, uint16_t port);
