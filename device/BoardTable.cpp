// Placeholder: filled in by the device work.
#include "device/BoardTable.h"

BoardEntry BoardTable[BOARD_SLOTS];
int OpenBoards() { return 1; }
int CloseBoards() { return 1; }
void ClaimPort(PortKind, uint16_t, uint16_t) {}
int ReclaimPort(PortKind, uint16_t, uint16_t) { return 0; }
void ReleasePort(PortKind, uint16_t, uint16_t) {}
bool IsPortFree(PortKind, uint16_t, uint16_t) { return false; }
