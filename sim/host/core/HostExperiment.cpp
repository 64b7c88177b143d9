// The experiment as the host runs it: the seven variables the plug-in defined (the host writes
// its values at the addresses given), start and stop of a run, the plug-in's stop requests and
// warnings.
#include "sim/host/core/HostInternal.h"

#include <atomic>
#include <cstring>

namespace standin {

namespace {

// The host's values of the plug-in's variables.
struct ExperimentValues {
#define PEMO_HOST_VALUE(name, field, type) type field = 0;
    PEMO_PLUGIN_VARIABLES(PEMO_HOST_VALUE)
#undef PEMO_HOST_VALUE
    bool milliSecondsSet = false; // given by the user (or a test), so no default applies
    bool blockSizeSet = false;
};

// Used when a run starts with no value given: 1 kHz, blocks of 100 samples.
const double defaultMilliSecondsPerSample = 1.0;
const uint32_t defaultBlockSize = 100;

ExperimentValues values;
std::vector<DefinedVariable> defined;
int defineModuleCalls = 0;
int defineVariableCalls = 0;
std::atomic<int> stopRequests{0};
std::vector<Warning> warnings;

struct KnownVariable {
    const char* name;
    uint32_t size;
    const void* value; // the host's value
};

const KnownVariable knownVariables[] = {
#define PEMO_KNOWN_VARIABLE(name, field, type) {name, sizeof(type), &values.field},
    PEMO_PLUGIN_VARIABLES(PEMO_KNOWN_VARIABLE)
#undef PEMO_KNOWN_VARIABLE
};

const KnownVariable* FindKnown(const char* name) {
    for (const KnownVariable& known : knownVariables)
        if (std::strcmp(known.name, name) == 0)
            return &known;
    return nullptr;
}

// Keeps the plug-in's copy of one variable current: writes the host's value at the defined
// address.
void WriteThrough(const KnownVariable& known) {
    for (const DefinedVariable& variable : defined)
        if (variable.name == known.name && variable.size == known.size)
            std::memcpy(variable.address, known.value, known.size);
}

// Sets the host's value of a variable and writes it through.
template <typename T> void SetValue(T& field, T value) {
    field = value;
    for (const KnownVariable& known : knownVariables)
        if (known.value == &field)
            WriteThrough(known);
}

void SendToAll(const std::vector<ModuleRecord*>& modules, uint32_t message) {
    for (ModuleRecord* module : modules)
        SendModuleMessage(module, message);
}

} // namespace

void StopExperiments() {
    values = ExperimentValues();
    defined.clear();
    defineModuleCalls = 0;
    defineVariableCalls = 0;
}

void ClearExperimentRecords() {
    std::lock_guard<std::mutex> lock(RecordsMutex());
    warnings.clear();
    stopRequests = 0;
}

void ForgetDefinedVariables() {
    defined.clear();
}

int DefineDllModuleCalls() {
    return defineModuleCalls;
}

int DefineDllVariableCalls() {
    return defineVariableCalls;
}

const std::vector<DefinedVariable>& DefinedVariables() {
    return defined;
}

void SetMilliSecondsPerSample(double ms) {
    SetValue(values.fGlobalMilliSecondsPerSample, ms);
    values.milliSecondsSet = true;
}

void SetBlockSize(uint32_t samples) {
    SetValue(values.uiGlobalBlockSize, samples);
    values.blockSizeSet = true;
}

void SetAnimation(uint32_t on) {
    SetValue(values.bAnimation, on);
}

void SetExperimentRunning(uint32_t on) {
    SetValue(values.bExperimentIsRunning, on);
}

void SetExperimentPaused(uint32_t on) {
    SetValue(values.bExperimentIsPaused, on);
}

void SetExperimentStartTicks(uint32_t ticks) {
    SetValue(values.dwExperimentStartTimeTicks, ticks);
}

double MilliSecondsPerSample() {
    return values.fGlobalMilliSecondsPerSample;
}

uint32_t BlockSize() {
    return values.uiGlobalBlockSize;
}

bool ExperimentRunning() {
    return values.bExperimentIsRunning != 0;
}

bool ExperimentPaused() {
    return values.bExperimentIsPaused != 0;
}

uint32_t ExperimentStartTicks() {
    return values.dwExperimentStartTimeTicks;
}

bool StartExperiment(const std::vector<ModuleRecord*>& modules) {
    if (!values.milliSecondsSet)
        SetMilliSecondsPerSample(defaultMilliSecondsPerSample);
    if (!values.blockSizeSet)
        SetBlockSize(defaultBlockSize);
    SetExperimentPaused(0);
    for (size_t i = 0; i < modules.size(); ++i) {
        if (SendModuleMessage(modules[i], MODMSG_EXPERIMENT_START))
            continue;
        // One module cannot start: the run ends before it began, for those already started.
        SendToAll(std::vector<ModuleRecord*>(modules.begin(), modules.begin() + i),
                  MODMSG_EXPERIMENT_STOP);
        SetExperimentRunning(0);
        return false;
    }
    SetExperimentStartTicks(GetTickCount());
    SetExperimentRunning(1);
    return true;
}

void StopExperimentRun(const std::vector<ModuleRecord*>& modules) {
    SetExperimentRunning(0);
    SetExperimentPaused(0);
    SendToAll(modules, MODMSG_EXPERIMENT_STOP);
}

int32_t RunProcess(ModuleRecord* module) {
    const RegisteredClass* moduleClass = ClassOfModule(module);
    if (!moduleClass || !moduleClass->process)
        return 0;
    return moduleClass->process(module);
}

int StopRequests() {
    return stopRequests;
}

const std::vector<Warning>& Warnings() {
    return warnings;
}

size_t WarningCount() {
    std::lock_guard<std::mutex> lock(RecordsMutex());
    return warnings.size();
}

std::vector<Warning> WarningsFrom(size_t first) {
    std::lock_guard<std::mutex> lock(RecordsMutex());
    if (first >= warnings.size())
        return {};
    return std::vector<Warning>(warnings.begin() + std::ptrdiff_t(first), warnings.end());
}

namespace service {

int32_t PEMO_SERVICECALL DefineDllModule(void) {
    ++defineModuleCalls;
    return Faults().refuseDefineDllModule ? 0 : 1;
}

int32_t PEMO_SERVICECALL DefineDllVariable(const char* name, void* address, uint32_t size) {
    ++defineVariableCalls;
    if (Faults().refuseDefineDllVariable)
        return 0;
    if (!name || !address) {
        RecordComplaint("DefineDllVariable without a name or an address");
        return 0;
    }
    // The host would write a known variable with its own width: a smaller one would be
    // overwritten past its end.
    const KnownVariable* known = FindKnown(name);
    if (known && size != known->size) {
        RecordComplaint(std::string("DefineDllVariable ") + name + " with size " +
                        std::to_string(size) + ", the host writes " + std::to_string(known->size));
        return 0;
    }
    bool replaced = false;
    for (DefinedVariable& variable : defined) {
        if (variable.name == name) {
            variable.address = address;
            variable.size = size;
            replaced = true;
        }
    }
    if (!replaced)
        defined.push_back(DefinedVariable{name, address, size});
    if (known)
        WriteThrough(*known);
    return 1;
}

int32_t PEMO_SERVICECALL StopExperiment(void) {
    ++stopRequests;
    Echo("the plug-in asks to stop the experiment");
    return 1;
}

int32_t PEMO_SERVICECALL ShowWarning(const char* title, const char* text) {
    Warning warning{title ? title : "", text ? text : "", GetTickCount()};
    {
        std::lock_guard<std::mutex> lock(RecordsMutex());
        warnings.push_back(warning);
    }
    Echo("warning \"" + warning.title + "\": " + warning.text);
    if (Options().interactive)
        ShowWarningBox(warning);
    return 1;
}

} // namespace service

PEMO_CHECK_SERVICE_SHAPES()

} // namespace standin
