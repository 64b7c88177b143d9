// Observation and fault switches of the stand-in host: what it recorded of the plug-in (name
// queries, definitions, warnings, complaints, calls, blocks) and the faults it can play (an
// omitted name, refused definitions, a failing allocation, no output blocks). The host's own
// interface is StandInHost.h beside it; this header is for tests, the host program's reports
// and whoever watches a run.
#pragma once

#include "sim/host/core/StandInHost.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace standin {

// ---- Fault switches (HostStart and HostStop clear them) ---------------------------------------

struct HostFaults {
    std::string omitName;                 // this variable or service name is answered 0
    bool refuseDefineDllModule = false;   // DefineDllModule answers 0
    bool refuseDefineDllVariable = false; // DefineDllVariable answers 0
};
HostFaults& Faults();
// The next NewMemAlloc of the plug-in answers null.
void FailNextAllocation();
// Whether GetCurrentOutputBlock hands out a block (default true).
void SetOutputBlocksAvailable(bool available);
// What PerformDefaultAction answers (default 0).
void SetDefaultActionResult(int32_t result);

// ---- What the plug-in asked for and defined ---------------------------------------------------

struct NameQuery {
    bool service; // 30001 (service) or 30000 (variable)
    std::string name;
    uintptr_t answer;
};
const std::vector<NameQuery>& NameQueries();
// The value the host answers for a name (0 for unknown names), without recording.
uintptr_t AnswerVariable(const char* name);
uintptr_t AnswerService(const char* name);

struct DefinedVariable {
    std::string name;
    void* address;
    uint32_t size;
};
int DefineDllModuleCalls();
int DefineDllVariableCalls(); // accepted or not
// Accepted definitions, in order. Cleared when the plug-in is unloaded.
const std::vector<DefinedVariable>& DefinedVariables();

// Commands registered with RegisterMenuEntry, in order.
const std::vector<uint32_t>& MenuEntries();
int FontsCreated(); // through CreateStackedFontIndirect
int FontsAlive();   // created and not yet deleted through DeleteStackedObject

struct SizeChange {
    ModuleRecord* module;
    uint32_t inputs, outputs;
};
const std::vector<SizeChange>& SizeChanges(); // ChangeModuleSize calls

struct DefaultAction {
    ModuleRecord* module;
    uint32_t message, param, data;
};
const std::vector<DefaultAction>& DefaultActions();

// ---- Blocks -----------------------------------------------------------------------------------

struct ReleasedBlock {
    ModuleRecord* module;
    uint32_t channel;
    double startTime, sampleDistance;
    std::vector<float> samples; // sampleCount of them
    uint32_t tick;              // GetTickCount at the release
};
// Blocks released through NewReleaseOutputBlock, in order, while kept (default on).
const std::vector<ReleasedBlock>& ReleasedOutputBlocks();
void KeepReleasedBlocks(bool keep);
// Block services for benchmarks (off by default, and again after HostStop): nothing is
// recorded or told per call (ReleasedOutputBlocks stays empty), a handed-out output block is
// not cleared, and a released input block stays queued and is handed out again, so that one
// queued block per channel feeds any number of calls without the host allocating.
void SetFastBlocks(bool on);

// What happened to a block, told as it happens on the thread that called the service.
enum class BlockEvent {
    OutputHandedOut, // GetCurrentOutputBlock handed out a fresh block: the module fills it
    OutputReleased,  // NewReleaseOutputBlock: the block goes downstream
    InputHandedOut,  // GetInputBlock handed out a queued block (the first time)
    InputReleased,   // NewReleaseInputBlock: the module has consumed it
};
struct BlockNote {
    BlockEvent event;
    ModuleRecord* module;
    uint32_t channel;
    const float* samples;  // OutputReleased, InputHandedOut: the block's samples, else null
    uint32_t sampleCount;  // OutputReleased, InputHandedOut, InputReleased
    double startTime;      // OutputReleased
    double sampleDistance; // OutputReleased
    uint32_t tick;         // GetTickCount when it happened
};
// One watcher at a time (an empty function removes it). It runs without the host's locks
// held and must not call the block services itself.
void WatchBlocks(std::function<void(const BlockNote&)> watcher);

// ---- The experiment ---------------------------------------------------------------------------

int StopRequests(); // StopExperiment calls by the plug-in

struct Warning {
    std::string title, text; // code page 932 bytes
    uint32_t tick;           // GetTickCount when it was shown
};
const std::vector<Warning>& Warnings();
size_t WarningCount(); // safe from any thread
// Copies of the warnings from index `first` on; safe from any thread.
std::vector<Warning> WarningsFrom(size_t first);

// ---- Calls, help, misuse, memory --------------------------------------------------------------

// Services the host does not provide that were called, by name.
const std::vector<std::string>& UnprovidedCalls();

// Help requests that reached the host's help window (WinHelpA hands them over as WM_COPYDATA).
struct HelpRequest {
    uint32_t command; // HELP_CONTEXT, HELP_QUIT, ...
    std::string file; // the help file named, code page 932 bytes
    uint32_t data;    // dwData, or the offset of copied data
};
const std::vector<HelpRequest>& HelpRequests();

// Misuse of the host by the plug-in, one readable line each: freeing a block twice or one the
// host never gave, releasing a block that was not handed out, deleting an unknown object, a
// block count beyond the block's room. A sound plug-in leaves this empty.
const std::vector<std::string>& Complaints();

size_t LiveAllocations();
size_t LivePluginAllocations(); // NewMemAlloc blocks not yet given back
size_t PluginAllocationCalls(); // NewMemAlloc calls since the host started

// Clears every record above (queries, warnings, calls, blocks), keeping classes and modules.
void ClearRecords();

} // namespace standin
