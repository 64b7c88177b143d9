// The stand-in host: a small Pemo host that loads the plug-in, answers its names, provides the
// services it calls, keeps modules, data blocks and the experiment, and records what happened.
// Tests drive it through this interface; the pemo_host program and later the interactive host
// are built on it. Everything runs on the thread that called HostStart (the user-interface
// thread), except the process functions, which RunProcess may call from any thread.
#pragma once

#include "host/HostInterface.h"
#include "modules/ModuleRecords.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace standin {

// ---- Start and options ----------------------------------------------------------------------

struct HostOptions {
    std::string omitName;                 // this variable or service name is answered 0
    bool refuseDefineDllModule = false;   // DefineDllModule answers 0
    bool refuseDefineDllVariable = false; // DefineDllVariable answers 0
    bool interactive = false;             // warnings are shown in message boxes, not only kept
    bool echo = false;                    // warnings and unprovided calls also go to stdout
};

// Creates the main window (with its menu bar), the control bitmaps and the host memory. A host
// that is already started is stopped first.
bool HostStart(const HostOptions& options = {});
// Destroys everything HostStart made; unloads a loaded plug-in without calling it.
void HostStop();
HostOptions& Options();

HWND MainWindow();
HMENU MainMenu();
// The two arrays of control bitmaps: CHANNEL_PICTURE_COUNT channel-button pictures and
// LESS_MORE_PICTURE_COUNT less/more pictures (host/HostInterface.h).
const Addr32* ChannelBitmaps();
const Addr32* LessMoreBitmaps();
// Pumps the message queue of this thread until it is empty.
void PumpMessages();

// Host commands of the menu bar, with HOSTCMD_DEVICE_SETUP of host/HostInterface.h (the
// plug-in's commands come through RegisterMenuEntry).
enum : uint32_t {
    HOSTCMD_FILE_NEW = 40001,
    HOSTCMD_FILE_OPEN = 40002,
    HOSTCMD_FILE_SAVE = 40003,
    HOSTCMD_FILE_EXIT = 40009,
    HOSTCMD_EDIT_MODULE = 40101,
    HOSTCMD_EXPERIMENT_START = 40201,
    HOSTCMD_EXPERIMENT_STOP = 40202,
    HOSTCMD_WINDOW_TILE = 40301,
    HOSTCMD_HELP_ABOUT = 40401,
};
// Gives a menu command of the host its handler (replacing an earlier one). Commands the
// plug-in registered through RegisterMenuEntry take precedence.
void RegisterHostCommand(uint32_t commandId, std::function<void()> handler);

// ---- Plug-in ----------------------------------------------------------------------------------

// Loads the plug-in DLL by path (no call yet). False when it cannot be loaded or lacks the
// three exports.
bool LoadPlugin(const char* path);
// For test programs that link the plug-in's parts: use these entries instead of a DLL.
typedef int(PEMO_EXPORT* PluginEntryFn)(HWND);
typedef int(PEMO_EXPORT* PluginFinishFn)(int);
void AttachPluginEntries(PluginEntryFn setup, PluginFinishFn finish, PluginFinishFn wep);
int CallSetup();  // SetupPemoDLL(main window)
int CallFinish(); // FinishPemoDLL(0)
int CallWep();    // WEP(0)
void UnloadPlugin();
HMODULE PluginModule();

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

// The plug-in's variables as the host keeps them: each writes to the defined address.
void SetMilliSecondsPerSample(double ms);
void SetBlockSize(uint32_t samples);
void SetAnimation(uint32_t on);
void SetExperimentRunning(uint32_t on);
void SetExperimentPaused(uint32_t on);
void SetExperimentStartTicks(uint32_t ticks);
// The host's own values of those variables.
double MilliSecondsPerSample();
uint32_t BlockSize();
bool ExperimentRunning();
uint32_t ExperimentStartTicks();

// ---- Classes, menu, fonts ---------------------------------------------------------------------

struct RegisteredClass {
    ModuleClassRecord record; // as handed over, copied during the call
    std::string className, shortName, description;
    ModuleMessageHandler handler;
    ModuleProcessFunction process;
};
const std::vector<RegisteredClass>& Classes();
const RegisteredClass* FindClass(const char* className);
const RegisteredClass* FindClassById(uint32_t classId);

// Sends the menu command to the main window as a user's choice would (WM_COMMAND).
void ChooseMenuCommand(uint32_t commandId);
// Whether a top-level popup of the menu bar is the host's own (not inserted by the plug-in).
bool IsHostMenuPopup(HMENU popup);
// Commands registered with RegisterMenuEntry, in order.
const std::vector<uint32_t>& MenuEntries();

int FontsCreated(); // through CreateStackedFontIndirect
int FontsAlive();   // created and not yet deleted through DeleteStackedObject

// ---- Modules ----------------------------------------------------------------------------------

// A module of a registered class: its ModuleRecord with every field at its offset, a
// parameter block and an extra block of the registered sizes (zero-filled), eight
// ChannelStates, 16 output channel records and a window, all in host memory below 4 GB.
ModuleRecord* NewModule(const RegisteredClass& moduleClass, uint32_t inputs = 0,
                        uint32_t outputs = 0);
void DeleteModuleRecord(ModuleRecord* module); // frees the host's memory; sends nothing
// Sends a module message to the module's class handler. For MODMSG_PARAMETER_DIALOG the
// current-module pointer designates the module while the handler runs.
int32_t SendModuleMessage(ModuleRecord* module, uint32_t message, uint32_t param = 0,
                          uint32_t data = 0);
// Writes slot and port into the module's parameter block at the places of its class (one of
// the plug-in's two), as a stored flow chart brings them back before MODMSG_RESTORE.
void StorePort(ModuleRecord* module, uint16_t slot, uint16_t port);
void SetCurrentModule(ModuleRecord* module);
ModuleRecord* CurrentModulePointer();
// The modules made by NewModule and not yet deleted, in order of creation.
std::vector<ModuleRecord*> Modules();
const RegisteredClass* ClassOfModule(const ModuleRecord* module);

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
void SetDefaultActionResult(int32_t result);

// ---- Data blocks and experiment ---------------------------------------------------------------

// Queues a block of samples for input channel `channel` of the module (GetInputBlock).
void QueueInputBlock(ModuleRecord* module, uint32_t channel, const std::vector<float>& samples);
size_t QueuedInputBlocks(ModuleRecord* module, uint32_t channel);
int InputBlocksReleased(ModuleRecord* module, uint32_t channel);

struct ReleasedBlock {
    ModuleRecord* module;
    uint32_t channel;
    double startTime, sampleDistance;
    std::vector<float> samples; // sampleCount of them
    uint32_t tick;              // GetTickCount at the release
};
// Blocks released through NewReleaseOutputBlock, in order.
const std::vector<ReleasedBlock>& ReleasedOutputBlocks();
// Whether GetCurrentOutputBlock hands out a block (default true).
void SetOutputBlocksAvailable(bool available);
// Block services for benchmarks (off by default, and again after HostStop): nothing is
// recorded per call (ReleasedOutputBlocks stays empty), a handed-out output block is not
// cleared, and a released input block stays queued and is handed out again, so that one
// queued block per channel feeds any number of calls without the host allocating.
void SetFastBlocks(bool on);
// Connects output channel `outChannel` of `from` to input channel `inChannel` of `to`: each
// released block is queued there too.
void Connect(ModuleRecord* from, uint32_t outChannel, ModuleRecord* to, uint32_t inChannel);

// Starts an experiment: sends MODMSG_EXPERIMENT_START to each module given, sets the running
// flag and the start tick. Stop sends MODMSG_EXPERIMENT_STOP and clears the flag.
bool StartExperiment(const std::vector<ModuleRecord*>& modules);
void StopExperimentRun(const std::vector<ModuleRecord*>& modules);
int32_t RunProcess(ModuleRecord* module); // calls the class's process function once

int StopRequests(); // StopExperiment calls by the plug-in

struct Warning {
    std::string title, text; // code page 932 bytes
};
const std::vector<Warning>& Warnings();
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

// Code page 932 text (what the plug-in hands over) as UTF-8 for a terminal.
std::string Cp932ToUtf8(const std::string& text);
// The folder of the running program: the plug-in and the simulated driver lie beside it.
std::string ProgramFolder();

// ---- Host memory ------------------------------------------------------------------------------

void* HostAlloc(uint32_t size); // zero-filled, below 4 GB
void HostFree(void* block);
size_t LiveAllocations();
// The next NewMemAlloc of the plug-in answers null.
void FailNextAllocation();
size_t LivePluginAllocations(); // NewMemAlloc blocks not yet given back
size_t PluginAllocationCalls(); // NewMemAlloc calls since the host started

// Clears every record above (queries, warnings, calls, blocks), keeping classes and modules.
void ClearRecords();

} // namespace standin
