// The host's side of the plug-in interface: calling conventions, 32-bit address fields and the
// shapes of the host services and class callbacks.
#pragma once

#include <windows.h>

#include <cstdint>

// The calling conventions of the interface, each named once (docs/binary-interface.md).
#define PEMO_EXPORT WINAPI    // SetupPemoDLL, FinishPemoDLL, WEP
#define PEMO_HOSTCALL __cdecl // class callbacks and menu handlers: the host calls the plug-in
// The host's services, as the plug-in declares them. The plug-in calls them through
// host/ForeignCall.h, which works with either convention; the stand-in host's second build
// defines this as __stdcall to show that.
#ifndef PEMO_SERVICECALL
#define PEMO_SERVICECALL __cdecl
#endif

// A pointer or handle field of a record exchanged with the host or the driver: 32 bits wide in
// both builds. The 64-bit test build keeps everything it stores there below 4 GB.
using Addr32 = uint32_t;

// Fails loudly (message on stderr, then the process ends) when an address does not fit.
[[noreturn]] void FailAddressAbove4GB(const void* address, const char* what);

inline Addr32 ToAddr32(const void* address, const char* what = "address") {
    const uintptr_t value = reinterpret_cast<uintptr_t>(address);
    if (value > 0xFFFFFFFFu)
        FailAddressAbove4GB(address, what);
    return static_cast<Addr32>(value);
}

template <typename T> inline T* FromAddr32(Addr32 field) {
    return reinterpret_cast<T*>(static_cast<uintptr_t>(field));
}

// Window, menu, bitmap and font handles carry 32 significant bits on 64-bit Windows too.
template <typename H> inline H HandleFromAddr32(Addr32 field) {
    return reinterpret_cast<H>(static_cast<uintptr_t>(field));
}
inline Addr32 HandleToAddr32(const void* handle) {
    return ToAddr32(handle, "handle");
}

struct ModuleRecord;
struct ModuleClassRecord;
struct DataBlock;
struct OutputChannelRecord;

// Class callbacks entered in ModuleClassRecord.
typedef int32_t(PEMO_HOSTCALL* ModuleMessageHandler)(ModuleRecord* module, uint32_t message,
                                                     uint32_t messageParam, uint32_t messageData);
typedef int32_t(PEMO_HOSTCALL* ModuleProcessFunction)(ModuleRecord* module);
typedef void(PEMO_HOSTCALL* MenuEntryHandler)(void);

// Module messages: the host's codes, the second argument of a ModuleMessageHandler. The plug-in
// knows the role of those it acts on; the others it only answers as the host expects, and
// their names keep the number.
enum : uint32_t {
    MODMSG_NOTIFY_1 = 1,            // answered 1
    MODMSG_CREATE = 101,            // the user places a new module
    MODMSG_DELETE = 102,            // the module is removed
    MODMSG_PARAMETER_DIALOG = 103,  // the user opens the module's parameters
    MODMSG_NOTIFY_104 = 104,        // answered 1
    MODMSG_RESTORE = 105,           // the module comes back with a stored flow chart
    MODMSG_EXPERIMENT_START = 106,  // an experiment starts
    MODMSG_EXPERIMENT_STOP = 107,   // the experiment ends
    MODMSG_QUERY_117 = 117,         // the input class answers 0
    MODMSG_QUERY_118 = 118,         // the input class answers 1
    MODMSG_QUERY_119 = 119,         // the input class answers 0
    MODMSG_QUERY_120 = 120,         // the input class answers 0
    MODMSG_QUERY_121 = 121,         // the input class answers 0
    MODMSG_QUERY_122 = 122,         // the input class answers 0
    MODMSG_CLEAR_EXTRA_BLOCK = 123, // input class: the first word of the extra block to 0
    MODMSG_CLASS_INFO = 124,        // input class: messageData is a ClassInfoRequest
    MODMSG_NOTIFY_201 = 201,        // answered 1
};

// Host services that the plug-in calls. Files are source file names, lines their line numbers.
typedef void*(PEMO_SERVICECALL* NewMemAllocFn)(uint32_t size, const char* file, int32_t line);
typedef int32_t(PEMO_SERVICECALL* NewDoMemFreeFn)(void* block, const char* file, int32_t line);
typedef int32_t(PEMO_SERVICECALL* DefineDllModuleFn)(void);
typedef int32_t(PEMO_SERVICECALL* DefineDllVariableFn)(const char* name, void* address,
                                                       uint32_t size);
typedef int32_t(PEMO_SERVICECALL* RegisterModuleClassFn)(ModuleClassRecord* record);
typedef int32_t(PEMO_SERVICECALL* PerformDefaultActionFn)(ModuleRecord* module, uint32_t message,
                                                          uint32_t messageParam,
                                                          uint32_t messageData);
typedef int32_t(PEMO_SERVICECALL* NewReleaseOutputBlockFn)(OutputChannelRecord* channel,
                                                           const char* file, int32_t line);
typedef DataBlock*(PEMO_SERVICECALL* GetCurrentOutputBlockFn)(OutputChannelRecord* channel);
typedef DataBlock*(PEMO_SERVICECALL* GetInputBlockFn)(ModuleRecord* module, uint32_t channel);
typedef int32_t(PEMO_SERVICECALL* NewReleaseInputBlockFn)(ModuleRecord* module, uint32_t channel,
                                                          const char* file, int32_t line);
typedef int32_t(PEMO_SERVICECALL* ChangeModuleSizeFn)(ModuleRecord* module, uint32_t inputCount,
                                                      uint32_t outputCount);
typedef int32_t(PEMO_SERVICECALL* ShowWarningFn)(const char* title, const char* text);
typedef int32_t(PEMO_SERVICECALL* StopExperimentFn)(void);
typedef HFONT(PEMO_SERVICECALL* CreateStackedFontIndirectFn)(const LOGFONTA* font);
typedef int32_t(PEMO_SERVICECALL* DeleteStackedObjectFn)(HGDIOBJ object);
typedef int32_t(PEMO_SERVICECALL* RegisterMenuEntryFn)(uint32_t commandId,
                                                       MenuEntryHandler handler);

// A service that the plug-in resolves and keeps but never calls.
typedef void* HostEntry;

// The host's pictures of the parameter dialogs' buttons (the arrays that hBitChannel and
// hBitLessMore name): how many each array holds, element i being the picture of state i, and
// the pixel size of its pictures, which is also the fixed size of the buttons.
enum : int {
    CHANNEL_PICTURE_COUNT = 4,
    CHANNEL_PICTURE_WIDTH = 22,
    CHANNEL_PICTURE_HEIGHT = 30,
    LESS_MORE_PICTURE_COUNT = 6,
    LESS_MORE_PICTURE_WIDTH = 24,
    LESS_MORE_PICTURE_HEIGHT = 32,
};

// The host's menu command that the plug-in registers its setup message for.
enum : uint32_t { HOSTCMD_DEVICE_SETUP = 4990 };

// Messages of the host main window that answer a name.
enum : UINT { HOSTMSG_VARIABLE = 30000, HOSTMSG_SERVICE = 30001 };
