// The modules of the flow chart: for each, the host's ModuleRecord with the blocks it points
// to, all in host memory below 4 GB, and a window on the host's desk (ModuleWindows.cpp). Module
// messages go to the class's handler; the services ChangeModuleSize and PerformDefaultAction act on
// the records.
#include "sim/host/core/HostInternal.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace standin {

namespace {

enum : uint32_t { OUTPUT_CHANNEL_RECORDS = MODULE_RECORD_CHANNELS, CHANNEL_STATES = 8 };

struct HostModule {
    ModuleRecord* record;
    std::string className;
    void* params;
    void* extra;
    ChannelState* states;          // CHANNEL_STATES of them
    OutputChannelRecord* channels; // OUTPUT_CHANNEL_RECORDS of them
    HWND window;
    POINT position; // of the window on the desk
};

std::mutex modulesMutex; // the list is searched from processing threads too
std::vector<HostModule> modules;
std::vector<SizeChange> sizeChanges;
std::vector<DefaultAction> defaultActions;
int32_t defaultActionResult = 0;

HostModule* Find(const ModuleRecord* record) {
    for (HostModule& module : modules)
        if (module.record == record)
            return &module;
    return nullptr;
}

void NameModule(ModuleRecord* record, const RegisteredClass& moduleClass) {
    lstrcpynA(record->moduleName, DefaultModuleName(moduleClass).c_str(),
              sizeof record->moduleName);
    lstrcpynA(record->moduleDescription, moduleClass.description.c_str(),
              sizeof record->moduleDescription);
}

void FreeModuleMemory(const HostModule& module) {
    HostFree(module.params);
    HostFree(module.extra);
    HostFree(module.states);
    HostFree(module.channels);
    HostFree(module.record);
}

} // namespace

std::string DefaultModuleName(const RegisteredClass& moduleClass) {
    std::string name = moduleClass.shortName;
    while (!name.empty() && name.back() == ' ')
        name.pop_back();
    return name;
}

namespace {

// Cells of the desk for new modules: a module's width apart and as much again between them, so
// that a connection drawn from one to the next is seen.
enum : int { CELL_WIDTH = MODULE_WIDTH * 2, CELL_HEIGHT = MODULE_HEIGHT + 40, CELLS_PER_ROW = 5 };

POINT CellPosition(size_t index) {
    return POINT{20 + LONG(index % CELLS_PER_ROW) * CELL_WIDTH,
                 20 + LONG(index / CELLS_PER_ROW) * CELL_HEIGHT};
}

// Whether a module at `at` keeps its distance from every module there (the caller holds
// modulesMutex).
bool PlaceIsFree(POINT at) {
    for (const HostModule& module : modules)
        if (std::abs(module.position.x - at.x) < CELL_WIDTH &&
            std::abs(module.position.y - at.y) < CELL_HEIGHT)
            return false;
    return true;
}

POINT FreePositionLocked() {
    size_t cell = 0;
    while (!PlaceIsFree(CellPosition(cell)))
        ++cell;
    return CellPosition(cell);
}

} // namespace

POINT FreePosition() {
    std::lock_guard<std::mutex> lock(modulesMutex);
    return FreePositionLocked();
}

ModuleRecord* NewModule(const RegisteredClass& moduleClass, uint32_t inputs, uint32_t outputs) {
    HostModule module = {};
    module.className = moduleClass.className;
    module.record = static_cast<ModuleRecord*>(HostAlloc(sizeof(ModuleRecord), "a module record"));
    if (moduleClass.record.paramsSize)
        module.params = HostAlloc(moduleClass.record.paramsSize, "a module's parameter block");
    if (moduleClass.record.extraSize)
        module.extra = HostAlloc(moduleClass.record.extraSize, "a module's extra block");
    module.states = static_cast<ChannelState*>(
        HostAlloc(CHANNEL_STATES * sizeof(ChannelState), "a module's 8 channel states"));
    module.channels = static_cast<OutputChannelRecord*>(
        HostAlloc(OUTPUT_CHANNEL_RECORDS * sizeof(OutputChannelRecord),
                  "a module's 16 output channel records"));
    if (!module.record || (moduleClass.record.paramsSize && !module.params) ||
        (moduleClass.record.extraSize && !module.extra) || !module.states || !module.channels) {
        FreeModuleMemory(module);
        return nullptr;
    }
    ModuleRecord* record = module.record;
    record->processEnable = 1;
    record->inputChannelCount = inputs;
    record->outputChannelCount = outputs;
    record->params = ToAddr32(module.params);
    record->extra = ToAddr32(module.extra);
    for (uint32_t i = 0; i < CHANNEL_STATES; ++i)
        record->channelState[i] = ToAddr32(&module.states[i]);
    for (uint32_t i = 0; i < OUTPUT_CHANNEL_RECORDS; ++i) {
        // The host's own part of the channel record: the channel number.
        std::memcpy(module.channels[i].hostData, &i, sizeof i);
        record->outputChannels[i] = ToAddr32(&module.channels[i]);
    }
    NameModule(record, moduleClass);
    {
        std::lock_guard<std::mutex> lock(modulesMutex);
        module.position = FreePositionLocked();
        modules.push_back(module);
    }
    HWND window = MakeModuleWindow(record, module.position);
    record->hWnd = HandleToAddr32(window);
    std::lock_guard<std::mutex> lock(modulesMutex);
    Find(record)->window = window;
    return record;
}

void DeleteModuleRecord(ModuleRecord* record) {
    HostModule module;
    {
        std::lock_guard<std::mutex> lock(modulesMutex);
        HostModule* found = Find(record);
        if (!found)
            return;
        module = *found;
        modules.erase(modules.begin() + (found - modules.data()));
    }
    ForgetModuleBlocks(record);
    if (CurrentModulePointer() == record)
        SetCurrentModule(nullptr);
    if (module.window)
        DestroyWindow(module.window);
    FreeModuleMemory(module);
}

void DeleteModulesOfInstance(Addr32 instance) {
    for (ModuleRecord* record : Modules()) {
        const RegisteredClass* moduleClass = ClassOfModule(record);
        if (!moduleClass || moduleClass->record.instance == instance)
            DeleteModuleRecord(record);
    }
}

void StopModules() {
    for (ModuleRecord* record : Modules())
        DeleteModuleRecord(record);
    defaultActionResult = 0;
    ForgetModuleWindowClass();
}

void ClearModuleRecords() {
    sizeChanges.clear();
    defaultActions.clear();
}

std::vector<ModuleRecord*> Modules() {
    std::lock_guard<std::mutex> lock(modulesMutex);
    std::vector<ModuleRecord*> records;
    for (const HostModule& module : modules)
        records.push_back(module.record);
    return records;
}

const RegisteredClass* ClassOfModule(const ModuleRecord* record) {
    std::string className;
    {
        std::lock_guard<std::mutex> lock(modulesMutex);
        const HostModule* module = Find(record);
        if (!module)
            return nullptr;
        className = module->className;
    }
    return FindClass(className.c_str());
}

bool FindOutputChannel(const OutputChannelRecord* channel, ModuleRecord** record, uint32_t* index) {
    std::lock_guard<std::mutex> lock(modulesMutex);
    for (const HostModule& module : modules) {
        for (uint32_t i = 0; i < OUTPUT_CHANNEL_RECORDS; ++i) {
            if (&module.channels[i] == channel) {
                *record = module.record;
                *index = i;
                return true;
            }
        }
    }
    return false;
}

int32_t SendModuleMessage(ModuleRecord* record, uint32_t message, uint32_t param, uint32_t data) {
    const RegisteredClass* moduleClass = ClassOfModule(record);
    if (!moduleClass || !moduleClass->handler)
        return 0;
    // The parameter dialog finds its module through the current-module pointer.
    if (message == MODMSG_PARAMETER_DIALOG)
        SetCurrentModule(record);
    return moduleClass->handler(record, message, param, data);
}

POINT ModulePosition(const ModuleRecord* record) {
    std::lock_guard<std::mutex> lock(modulesMutex);
    const HostModule* module = Find(record);
    return module ? module->position : POINT{0, 0};
}

void MoveModule(ModuleRecord* record, int x, int y) {
    HWND window = nullptr;
    {
        std::lock_guard<std::mutex> lock(modulesMutex);
        HostModule* module = Find(record);
        if (!module)
            return;
        module->position = POINT{x, y};
        window = module->window;
    }
    if (window)
        SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void SetCurrentModule(ModuleRecord* record) {
    Addr32* word = CurrentModuleWord();
    if (word)
        *word = ToAddr32(record);
}

ModuleRecord* CurrentModulePointer() {
    Addr32* word = CurrentModuleWord();
    return word ? FromAddr32<ModuleRecord>(*word) : nullptr;
}

const std::vector<SizeChange>& SizeChanges() {
    return sizeChanges;
}

const std::vector<DefaultAction>& DefaultActions() {
    return defaultActions;
}

void SetDefaultActionResult(int32_t result) {
    defaultActionResult = result;
}

namespace service {

int32_t PEMO_SERVICECALL ChangeModuleSize(ModuleRecord* record, uint32_t inputCount,
                                          uint32_t outputCount) {
    sizeChanges.push_back(SizeChange{record, inputCount, outputCount});
    bool known;
    {
        std::lock_guard<std::mutex> lock(modulesMutex);
        known = Find(record) != nullptr;
    }
    if (!known) {
        RecordComplaint("ChangeModuleSize of a module the host does not know");
        return 0;
    }
    // The host has 16 output channel records per module; it refuses more channels.
    if (inputCount > OUTPUT_CHANNEL_RECORDS || outputCount > OUTPUT_CHANNEL_RECORDS) {
        RecordComplaint("ChangeModuleSize to " + std::to_string(inputCount) + " inputs, " +
                        std::to_string(outputCount) + " outputs: more than 16");
        return 0;
    }
    record->inputChannelCount = inputCount;
    record->outputChannelCount = outputCount;
    return 1;
}

int32_t PEMO_SERVICECALL PerformDefaultAction(ModuleRecord* record, uint32_t message,
                                              uint32_t messageParam, uint32_t messageData) {
    defaultActions.push_back(DefaultAction{record, message, messageParam, messageData});
    return defaultActionResult;
}

} // namespace service

PEMO_CHECK_SERVICE_SHAPES()

} // namespace standin
