#include "sim/host/flowchart/Worksheet.h"

#include "sim/host/core/HostControl.h"
#include "sim/host/flowchart/PluginBlocks.h"

#include <cmath>
#include <cstring>
#include <tuple>

namespace standin {

namespace {

std::string ModulePath(size_t index, const char* field) {
    return "/modules/" + std::to_string(index) + "/" + field;
}

std::string ConnectionPath(size_t index, const char* field) {
    return "/connections/" + std::to_string(index) + "/" + field;
}

bool Fail(WorksheetError* error, const std::string& path, const std::string& what) {
    if (error) {
        error->path = path;
        error->line = 0;
        error->what = what;
    }
    return false;
}

std::string RegisteredNames() {
    std::string names;
    for (const RegisteredClass& registered : Classes())
        names += (names.empty() ? "\"" : ", \"") + registered.className + "\"";
    return names.empty() ? "none" : names;
}

bool CheckText(const std::string& text, size_t limit, const std::string& path,
               WorksheetError* error) {
    if (text.find('\0') != std::string::npos)
        return Fail(error, path, "holds a NUL character");
    if (text.size() > limit)
        return Fail(error, path,
                    std::to_string(text.size()) + " bytes in code page 932, at most " +
                        std::to_string(limit) + " fit");
    return true;
}

bool CheckBlock(const std::vector<uint8_t>& block, uint32_t size, const std::string& path,
                const std::string& className, WorksheetError* error) {
    if (block.size() == size)
        return true;
    return Fail(error, path,
                "a block of " + std::to_string(block.size()) + " bytes; the class \"" + className +
                    "\" keeps " + std::to_string(size));
}

bool CheckModule(const WorksheetModule& module, size_t index, WorksheetError* error) {
    const RegisteredClass* moduleClass = FindClass(module.className.c_str());
    if (!moduleClass)
        return Fail(error, ModulePath(index, "class"),
                    "no module class \"" + module.className +
                        "\" is registered (registered: " + RegisteredNames() + ")");
    const ModuleRecord* record = nullptr;
    const bool textsFit =
        CheckText(module.name, sizeof record->moduleName - 1, ModulePath(index, "name"), error) &&
        CheckText(module.description, sizeof record->moduleDescription - 1,
                  ModulePath(index, "description"), error);
    if (!textsFit)
        return false;
    if (module.inputs > MAX_CHANNELS)
        return Fail(error, ModulePath(index, "inputs"), "more than 16 channels");
    if (module.outputs > MAX_CHANNELS)
        return Fail(error, ModulePath(index, "outputs"), "more than 16 channels");
    return CheckBlock(module.params, moduleClass->record.paramsSize, ModulePath(index, "params"),
                      module.className, error) &&
           CheckBlock(module.extra, moduleClass->record.extraSize, ModulePath(index, "extra"),
                      module.className, error);
}

// One end of a connection: the module exists and has the channel.
bool CheckEnd(const Worksheet& sheet, uint32_t module, uint32_t channel, bool output, size_t index,
              WorksheetError* error) {
    const char* end = output ? "from" : "to";
    if (module >= sheet.modules.size())
        return Fail(error, ConnectionPath(index, end) + "/module",
                    "module " + std::to_string(module) + " does not exist (there are " +
                        std::to_string(sheet.modules.size()) + ", counted from 0)");
    const WorksheetModule& target = sheet.modules[module];
    const uint32_t channels = output ? target.outputs : target.inputs;
    if (channel >= channels)
        return Fail(error, ConnectionPath(index, end) + "/channel",
                    std::string(output ? "output" : "input") + " channel " +
                        std::to_string(channel) + " does not exist: module " +
                        std::to_string(module) + " has " + std::to_string(channels) + " " +
                        (output ? "output" : "input") + " channels");
    return true;
}

bool CheckConnections(const Worksheet& sheet, WorksheetError* error) {
    for (size_t i = 0; i < sheet.connections.size(); ++i) {
        const WorksheetConnection& connection = sheet.connections[i];
        if (!CheckEnd(sheet, connection.fromModule, connection.outChannel, true, i, error) ||
            !CheckEnd(sheet, connection.toModule, connection.inChannel, false, i, error))
            return false;
        for (size_t earlier = 0; earlier < i; ++earlier) {
            const WorksheetConnection& other = sheet.connections[earlier];
            if (other.toModule == connection.toModule && other.inChannel == connection.inChannel)
                return Fail(error, ConnectionPath(i, "to"),
                            "input channel " + std::to_string(connection.inChannel) +
                                " of module " + std::to_string(connection.toModule) +
                                " is already fed by connection " + std::to_string(earlier));
        }
    }
    return true;
}

void CopyText(char* field, size_t size, const std::string& text) {
    std::memset(field, 0, size);
    std::memcpy(field, text.data(), text.size() < size ? text.size() : size - 1);
}

// The record of a stored module, made but not yet told anything.
ModuleRecord* MakeStoredModule(const WorksheetModule& stored) {
    const RegisteredClass* moduleClass = FindClass(stored.className.c_str());
    if (!moduleClass)
        return nullptr;
    ModuleRecord* module = NewModule(*moduleClass, stored.inputs, stored.outputs);
    if (!module)
        return nullptr;
    CopyText(module->moduleName, sizeof module->moduleName, stored.name);
    CopyText(module->moduleDescription, sizeof module->moduleDescription, stored.description);
    if (module->params && !stored.params.empty())
        std::memcpy(FromAddr32<uint8_t>(module->params), stored.params.data(),
                    std::min<size_t>(stored.params.size(), moduleClass->record.paramsSize));
    if (module->extra && !stored.extra.empty())
        std::memcpy(FromAddr32<uint8_t>(module->extra), stored.extra.data(),
                    std::min<size_t>(stored.extra.size(), moduleClass->record.extraSize));
    MoveModule(module, stored.x, stored.y);
    return module;
}

std::vector<uint8_t> BlockBytes(Addr32 block, uint32_t size) {
    const uint8_t* bytes = FromAddr32<const uint8_t>(block);
    return bytes ? std::vector<uint8_t>(bytes, bytes + size) : std::vector<uint8_t>(size, 0);
}

std::string FieldText(const char* field, size_t size) {
    return std::string(field, strnlen(field, size));
}

} // namespace

bool CheckTimeBase(const TimeBase& timeBase, WorksheetError* error) {
    if (!std::isfinite(timeBase.msPerSample) || timeBase.msPerSample <= 0 ||
        timeBase.msPerSample > 1e6)
        return Fail(error, "/timeBase/msPerSample", "must be above 0 and at most 1000000");
    if (timeBase.blockSize < 1 || timeBase.blockSize > MAX_BLOCK_SIZE)
        return Fail(error, "/timeBase/blockSize", "must be 1 to 65535 samples");
    return true;
}

std::string WorksheetError::Text() const {
    std::string text = file.empty() ? std::string() : file + ": ";
    if (!path.empty())
        text += path + ": ";
    if (line > 0)
        text += "line " + std::to_string(line) + ": ";
    return text + what;
}

bool CheckWorksheet(const Worksheet& sheet, WorksheetError* error) {
    if (!CheckTimeBase(sheet.timeBase, error))
        return false;
    for (size_t i = 0; i < sheet.modules.size(); ++i)
        if (!CheckModule(sheet.modules[i], i, error))
            return false;
    return CheckConnections(sheet, error);
}

bool OpenFlowChart(const Worksheet& sheet, WorksheetError* error,
                   std::vector<int32_t>* restoreResults) {
    if (ExperimentRunning())
        return Fail(error, "", "an experiment is running; stop it first");
    if (!CheckWorksheet(sheet, error))
        return false;
    const std::vector<ModuleRecord*> previous = Modules();
    std::vector<ModuleRecord*> made;
    for (const WorksheetModule& stored : sheet.modules) {
        ModuleRecord* module = MakeStoredModule(stored);
        if (!module) {
            for (ModuleRecord* undone : made)
                DeleteModuleRecord(undone);
            return Fail(error, "", "the host ran out of memory for the modules");
        }
        made.push_back(module);
    }
    // The open flow chart goes first, so that its claims are given back before the restores.
    for (ModuleRecord* module : previous) {
        SendModuleMessage(module, MODMSG_DELETE);
        DeleteModuleRecord(module);
    }
    if (restoreResults)
        restoreResults->clear();
    for (ModuleRecord* module : made) {
        const int32_t result = SendModuleMessage(module, MODMSG_RESTORE);
        if (restoreResults)
            restoreResults->push_back(result);
    }
    for (const WorksheetConnection& connection : sheet.connections)
        Connect(made[connection.fromModule], connection.outChannel, made[connection.toModule],
                connection.inChannel);
    SetMilliSecondsPerSample(sheet.timeBase.msPerSample);
    SetBlockSize(sheet.timeBase.blockSize);
    return true;
}

Worksheet CurrentWorksheet() {
    Worksheet sheet;
    const std::vector<ModuleRecord*> modules = Modules();
    for (ModuleRecord* module : modules) {
        const RegisteredClass* moduleClass = ClassOfModule(module);
        WorksheetModule stored;
        stored.className = moduleClass ? moduleClass->className : std::string();
        stored.name = FieldText(module->moduleName, sizeof module->moduleName);
        stored.description = FieldText(module->moduleDescription, sizeof module->moduleDescription);
        stored.inputs = module->inputChannelCount;
        stored.outputs = module->outputChannelCount;
        const POINT position = ModulePosition(module);
        stored.x = position.x;
        stored.y = position.y;
        if (moduleClass) {
            stored.params = BlockBytes(module->params, moduleClass->record.paramsSize);
            stored.extra = BlockBytes(module->extra, moduleClass->record.extraSize);
        }
        sheet.modules.push_back(stored);
    }
    auto indexOf = [&modules](const ModuleRecord* module) {
        for (size_t i = 0; i < modules.size(); ++i)
            if (modules[i] == module)
                return uint32_t(i);
        return uint32_t(modules.size());
    };
    for (const Connection& connection : Connections())
        sheet.connections.push_back(
            WorksheetConnection{indexOf(connection.from), connection.outChannel,
                                indexOf(connection.to), connection.inChannel});
    sheet.timeBase.msPerSample = MilliSecondsPerSample();
    sheet.timeBase.blockSize = BlockSize();
    return sheet;
}

void CloseWorksheet() {
    for (ModuleRecord* module : Modules()) {
        SendModuleMessage(module, MODMSG_DELETE);
        DeleteModuleRecord(module);
    }
}

ModuleRecord* RestoreModule(const WorksheetModule& stored, int32_t* restoreResult) {
    ModuleRecord* module = MakeStoredModule(stored);
    const int32_t result = module ? SendModuleMessage(module, MODMSG_RESTORE) : 0;
    if (restoreResult)
        *restoreResult = result;
    return module;
}

WorksheetModule StoredModule(const char* className, uint16_t slot, uint16_t port, uint32_t inputs,
                             uint32_t outputs) {
    WorksheetModule stored;
    stored.className = className;
    stored.inputs = inputs;
    stored.outputs = outputs;
    const RegisteredClass* moduleClass = FindClass(className);
    if (!moduleClass)
        return stored;
    stored.name = DefaultModuleName(*moduleClass);
    stored.description = moduleClass->description;
    stored.params.assign(moduleClass->record.paramsSize, 0);
    stored.extra.assign(moduleClass->record.extraSize, 0);
    StorePort(className, stored.params, slot, port);
    const POINT position = FreePosition();
    stored.x = position.x;
    stored.y = position.y;
    return stored;
}

bool operator==(const WorksheetModule& a, const WorksheetModule& b) {
    return std::tie(a.className, a.name, a.description, a.inputs, a.outputs, a.x, a.y, a.params,
                    a.extra) == std::tie(b.className, b.name, b.description, b.inputs, b.outputs,
                                         b.x, b.y, b.params, b.extra);
}

bool operator==(const WorksheetConnection& a, const WorksheetConnection& b) {
    return std::tie(a.fromModule, a.outChannel, a.toModule, a.inChannel) ==
           std::tie(b.fromModule, b.outChannel, b.toModule, b.inChannel);
}

bool operator==(const TimeBase& a, const TimeBase& b) {
    return a.msPerSample == b.msPerSample && a.blockSize == b.blockSize;
}

bool operator==(const Worksheet& a, const Worksheet& b) {
    return a.modules == b.modules && a.connections == b.connections && a.timeBase == b.timeBase;
}

} // namespace standin
