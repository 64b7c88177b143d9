// The stand-in host: a small Pemo host that loads the plug-in, answers its names, provides the
// services it calls, keeps modules, data blocks and the experiment's variables. This is its
// interface as a host; what it records of the plug-in and the faults it can play are in
// HostControl.h beside it, the flow chart in flowchart/Worksheet.h and the experiment run in
// run/ExperimentRun.h. Everything runs on the thread that called HostStart (the user-interface
// thread), except the process functions, which RunProcess may call from any thread.
#pragma once

#include "host/HostInterface.h"
#include "host/PluginEntry.h"
#include "modules/ModuleRecords.h"
#include "sim/host/support/TextCodes.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace standin {

// ---- Start and options ----------------------------------------------------------------------

struct HostOptions {
    bool interactive = false; // warnings are shown in message boxes, not only kept
    bool echo = false;        // warnings and unprovided calls also go to the console
    // Guard-page memory: every block the host hands out ends against a no-access page, starts
    // filled with a pattern where its contents are the plug-in's to write, and stays no-access
    // for a while after its release, so that an access past a block or after its release faults
    // at once and the fault names the block. Also on when the environment sets
    // PEMO_HOST_GUARD_PAGES=1 (every test run does).
    bool guardPages = false;
};

// Creates the main window (with its menu bar), the control bitmaps and the host memory. A host
// that is already started is stopped first. The fault switches start cleared.
bool HostStart(const HostOptions& options = {});
// Destroys everything HostStart made; unloads a loaded plug-in without calling it. The
// actions registered with AtHostStop run first, the last registered first; each is kept once.
void HostStop();
void AtHostStop(void (*action)());
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
    HOSTCMD_FILE_SAVE_AS = 40004,
    HOSTCMD_FILE_EXIT = 40009,
    HOSTCMD_FILE_RECENT_FIRST = 40010, // the recent files, up to HOSTCMD_RECENT_COUNT
    HOSTCMD_RECENT_COUNT = 4,
    HOSTCMD_EDIT_MODULE = 40101, // the selected module's parameters (103)
    HOSTCMD_MODULE_DELETE = 40102,
    HOSTCMD_MODULE_CONNECT = 40103,
    HOSTCMD_MODULE_NEW_FIRST = 40110, // a new module of the n-th registered class
    HOSTCMD_EXPERIMENT_START = 40201,
    HOSTCMD_EXPERIMENT_STOP = 40202,
    HOSTCMD_EXPERIMENT_PAUSE = 40203,
    HOSTCMD_EXPERIMENT_TIME_BASE = 40204,
    HOSTCMD_WINDOW_TILE = 40301,
    HOSTCMD_WINDOW_CHART = 40302,
    HOSTCMD_WINDOW_BOARDS = 40303,
    HOSTCMD_WINDOW_WARNINGS = 40304,
    HOSTCMD_HELP_ABOUT = 40401,
};
// The host's popups of the menu bar, by position before the plug-in inserts its own.
enum : int { HOST_POPUP_FILE = 0, HOST_POPUP_MODULE = 1, HOST_POPUP_EXPERIMENT = 2 };
HMENU HostPopup(int index);
// Messages of the main window that a window program may take before the host does: true when
// `hook` handled the message (its result in *result). One hook; an empty function removes it.
using MainWindowHook = std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT* result)>;
void SetMainWindowHook(MainWindowHook hook);
// Posted to the main window when the user picks a module on the desk (lParam: the
// ModuleRecord) and when one was dragged to a new place; and when warnings of another thread
// wait for their message boxes.
enum : UINT {
    HOSTMSG_MODULE_PICKED = WM_APP + 1,
    HOSTMSG_MODULE_MOVED = WM_APP + 2,
    HOSTMSG_WARNING_BOXES = WM_APP + 3,
};
// Gives a menu command of the host its handler (replacing an earlier one). Commands the
// plug-in registered through RegisterMenuEntry take precedence.
void RegisterHostCommand(uint32_t commandId, std::function<void()> handler);
// The shortcut keys of the host's menu commands, for an accelerator table.
std::vector<ACCEL> MenuShortcuts();
// Sends the menu command to the main window as a user's choice would (WM_COMMAND).
void ChooseMenuCommand(uint32_t commandId);
// Whether a top-level popup of the menu bar is the host's own (not inserted by the plug-in).
bool IsHostMenuPopup(HMENU popup);

// ---- Plug-in ----------------------------------------------------------------------------------

// Loads the plug-in DLL by path (no call yet). False when it cannot be loaded or lacks the
// three exports.
bool LoadPlugin(const std::wstring& path);
// For test programs that link the plug-in's parts: use these entries instead of a DLL.
void AttachPluginEntries(SetupPemoDLLFn setup, FinishPemoDLLFn finish, WEPFn wep);
int CallSetup();  // SetupPemoDLL(main window)
int CallFinish(); // FinishPemoDLL(0)
int CallWep();    // WEP(0)
void UnloadPlugin();
HMODULE PluginModule();

// ---- The plug-in's variables as the host keeps them -------------------------------------------

// Each writes the host's value to the address the plug-in defined.
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
bool ExperimentPaused();
uint32_t ExperimentStartTicks();

// ---- Classes ----------------------------------------------------------------------------------

struct RegisteredClass {
    ModuleClassRecord record; // as handed over, copied during the call
    std::string className, shortName, description;
    ModuleMessageHandler handler;
    ModuleProcessFunction process;
};
const std::vector<RegisteredClass>& Classes();
const RegisteredClass* FindClass(const char* className);
const RegisteredClass* FindClassById(uint32_t classId);

// ---- Modules ----------------------------------------------------------------------------------

// A module of a registered class: its ModuleRecord with every field at its offset, a
// parameter block and an extra block of the registered sizes (zero-filled), eight
// ChannelStates, 16 output channel records and a window on the desk, all in host memory below
// 4 GB. Null when host memory runs out.
ModuleRecord* NewModule(const RegisteredClass& moduleClass, uint32_t inputs = 0,
                        uint32_t outputs = 0);
void DeleteModuleRecord(ModuleRecord* module); // frees the host's memory; sends nothing
// Sends a module message to the module's class handler. For MODMSG_PARAMETER_DIALOG the
// current-module pointer designates the module while the handler runs.
int32_t SendModuleMessage(ModuleRecord* module, uint32_t message, uint32_t param = 0,
                          uint32_t data = 0);
void SetCurrentModule(ModuleRecord* module);
ModuleRecord* CurrentModulePointer();
// The modules made by NewModule and not yet deleted, in order of creation.
std::vector<ModuleRecord*> Modules();
const RegisteredClass* ClassOfModule(const ModuleRecord* module);
// A new module's name: the class's short name without trailing blanks.
std::string DefaultModuleName(const RegisteredClass& moduleClass);
// Where the module's window lies on the desk (client coordinates of the main window).
POINT ModulePosition(const ModuleRecord* module);
// A place for a new module: the first cell of a grid that keeps room for connections from
// every module on the desk.
POINT FreePosition();
void MoveModule(ModuleRecord* module, int x, int y);
// A module's window on the desk and where its channel marks lie: channel n of either side at
// height ModulePinY(n) of the window, inputs on the left edge, outputs on the right.
enum : int { MODULE_WIDTH = 90, MODULE_HEIGHT = 72, MODULE_PINS = 8 };
inline int ModulePinY(uint32_t channel) {
    return 6 + int(channel % MODULE_PINS) * 7;
}

// ---- Data blocks ------------------------------------------------------------------------------

// Queues a block of samples for input channel `channel` of the module (GetInputBlock).
void QueueInputBlock(ModuleRecord* module, uint32_t channel, const std::vector<float>& samples);
size_t QueuedInputBlocks(ModuleRecord* module, uint32_t channel);
int InputBlocksReleased(ModuleRecord* module, uint32_t channel);

// Output channel `outChannel` of `from` feeds input channel `inChannel` of `to`: each block
// released there is queued here too.
struct Connection {
    ModuleRecord* from;
    uint32_t outChannel;
    ModuleRecord* to;
    uint32_t inChannel;
};
void Connect(ModuleRecord* from, uint32_t outChannel, ModuleRecord* to, uint32_t inChannel);
std::vector<Connection> Connections(); // in order of connecting

// ---- Experiment steps (the run loop of ExperimentRun.h is made of these) ----------------------

// Sends MODMSG_EXPERIMENT_START to each module in turn (1 ms per sample and blocks of 100
// samples unless set). When one refuses, MODMSG_EXPERIMENT_STOP goes to those that started,
// and the result is false. Otherwise the start tick and the running flag are set.
bool StartExperiment(const std::vector<ModuleRecord*>& modules);
// Clears the running and paused flags and sends MODMSG_EXPERIMENT_STOP to each module.
void StopExperimentRun(const std::vector<ModuleRecord*>& modules);
int32_t RunProcess(ModuleRecord* module); // calls the class's process function once

// ---- Host memory and texts --------------------------------------------------------------------

// Zero-filled, below 4 GB; `what` names the block when an access past it faults.
void* HostAlloc(uint32_t size, const char* what = nullptr);
void HostFree(void* block);
bool GuardPagesOn(); // the host runs with guard-page memory
// In guard-page mode, what a faulting address belongs to ("3 bytes past the end of ..."), or
// empty when it is none of the host's blocks. Access violations are reported on stderr so.
std::string GuardFaultText(const void* address);

// The folder of the running program: the plug-in and the simulated driver lie beside it.
std::wstring ProgramFolder();

} // namespace standin
