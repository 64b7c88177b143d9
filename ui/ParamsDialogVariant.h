// What tells the two parameter dialogs apart; the procedure itself is shared.
#pragma once

#include "device/BoardTable.h"
#include "modules/ModuleRecords.h"

#include <windows.h>

#include <cstdint>

struct ParamsVariant {
    uint32_t blockSize; // bytes of the module's parameter block
    PortKind portKind;  // column of the port name table
    bool countIsInputs; // the edited count is inputChannelCount: ChangeModuleSize(module, count,
                        // 0); else outputChannelCount: ChangeModuleSize(module, 0, count)
    // The port number of a block of the class.
    uint16_t (*portOf)(const ParamsBlock& block);
    // Copies into the edited block what belongs to a running experiment, from the module's own
    // block, so that OK keeps it; null when the block holds nothing of the kind.
    void (*keepRunValues)(ParamsBlock& edited, const ParamsBlock& own);
};

extern const ParamsVariant outputParamsVariant;
extern const ParamsVariant inputParamsVariant;

INT_PTR ParamsDialogProc(const ParamsVariant& variant, HWND dialog, UINT message, WPARAM wParam,
                         LPARAM lParam);
