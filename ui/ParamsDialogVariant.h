// What tells the two parameter dialogs apart; the procedure itself is shared.
#pragma once

#include "device/BoardTable.h"

#include <windows.h>

#include <cstddef>
#include <cstdint>

struct ParamsVariant {
    uint32_t blockSize;        // bytes of the module's parameter block
    size_t channelCountOffset; // of the edited channel count in the ModuleRecord
    size_t portOffset;         // of the 16-bit port number in the block
    PortKind portKind;         // column of the port name table
    bool countIsInputs;        // ChangeModuleSize(module, count, 0), else (module, 0, count)
    size_t runValueOffset;     // bytes of the block that belong to a running experiment:
    size_t runValueSize;       // OK keeps the module's own (size 0: none)
};

extern const ParamsVariant outputParamsVariant;
extern const ParamsVariant inputParamsVariant;

INT_PTR ParamsDialogProc(const ParamsVariant& variant, HWND dialog, UINT message, WPARAM wParam,
                         LPARAM lParam);
