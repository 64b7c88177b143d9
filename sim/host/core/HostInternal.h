// What the files of the stand-in host share among themselves: start and stop of each part, the
// service entries handed to the plug-in, and the record helpers. Not for tests or programs.
#pragma once

#include "host/HostNames.h"
#include "sim/host/core/HostControl.h"

#include <mutex>
#include <string>
#include <type_traits>

namespace standin {

// ---- Start and stop of the parts (HostStart calls them in this order, HostStop reverses) ----

bool StartMemory(bool guardPages); // HostMemory.cpp
void StopMemory();
bool StartMainWindow(); // HostWindow.cpp
void StopMainWindow();
// The message box of a warning (interactive hosts): at once on the window's thread; from
// another thread (the processing) queued to the window's thread, so that the processing goes on.
void ShowWarningBox(const Warning& warning);
bool StartBitmaps(); // HostBitmaps.cpp: control pictures, pens and brushes
void StopBitmaps();
bool StartNameTable(); // HostNameTable.cpp: the storage the variable names designate
void StopNameTable();
bool StartHelpWindow(); // HostHelp.cpp
void StopHelpWindow();
void StopFonts();       // HostFonts.cpp: deletes the fonts the plug-in left
void StopModules();     // HostModules.cpp: every module and its window
void StopBlocks();      // HostBlocks.cpp: queues, current blocks, connections
void StopClasses();     // HostClasses.cpp
void StopExperiments(); // HostExperiment.cpp: values, definitions
void StopPlugin();      // HostPlugin.cpp: unloads without calling

// Each part forgets what it recorded (ClearRecords).
void ClearNameRecords();
void ClearMemoryRecords();
void ClearModuleRecords();
void ClearBlockRecords();
void ClearExperimentRecords();
void ClearHelpRecords();

// ---- Services handed to the plug-in ----------------------------------------------------------

// Every service of host/HostNames.h is declared here from its entry: a function of exactly the
// list's type for each service the plug-in calls, and an empty mark for those it never calls,
// which answer as unprovided.
struct UnprovidedService {};
template <typename Type>
using ServiceDeclaration = std::conditional_t<std::is_same<Type, HostEntry>::value,
                                              const UnprovidedService, std::remove_pointer_t<Type>>;

namespace service {
#define PEMO_DECLARE_SERVICE(name, field, type) ServiceDeclaration<type> field;
PEMO_HOST_SERVICES(PEMO_DECLARE_SERVICE)
#undef PEMO_DECLARE_SERVICE
} // namespace service

// Placed after the service definitions of a file: a definition there whose parameters differ
// from the list's type is an overload of the declaration above, so that its name no longer
// designates one function, and this does not compile.
#define PEMO_SERVICE_SHAPE(name, field, type)                                                      \
    static_assert(std::is_same<decltype(&service::field), ServiceDeclaration<type>*>::value, name);
#define PEMO_CHECK_SERVICE_SHAPES() PEMO_HOST_SERVICES(PEMO_SERVICE_SHAPE)

// The entry answered for service i of hostServiceNames (HostServices.cpp).
void* ServiceEntry(int index);

// ---- Pieces one part asks of another ----------------------------------------------------------

// HostNameTable.cpp: the word that &CurrentModulePtr designates.
Addr32* CurrentModuleWord();
// HostNameTable.cpp: answers message 30000 (variable) or 30001 (service) and records it.
LRESULT AnswerNameQuery(bool service, const char* name);
// HostWindow.cpp: the parent of module windows; drops the plug-in's menu entries and popups.
void ForgetPluginMenu(HMODULE plugin);
// ModuleWindows.cpp: the module's window on the desk, at `position`.
HWND MakeModuleWindow(ModuleRecord* record, POINT position);
void ForgetModuleWindowClass(); // at the host's stop, when no module window is left
// HostModules.cpp: which module and output channel a channel record belongs to.
bool FindOutputChannel(const OutputChannelRecord* channel, ModuleRecord** module, uint32_t* index);
// HostModules.cpp / HostClasses.cpp: forgetting what belongs to an unloaded plug-in.
void DeleteModulesOfInstance(Addr32 instance);
void ForgetClassesOfInstance(Addr32 instance);
// HostBlocks.cpp: drops the queues and blocks of a module about to be deleted.
void ForgetModuleBlocks(ModuleRecord* module);
// HostExperiment.cpp: definitions point into the plug-in; they go with it.
void ForgetDefinedVariables();
// HostBitmaps.cpp: the drawing objects the variables hDkGrayPen ... hGreenBrush name.
HGDIOBJ HostDrawingObject(const char* name);

// ---- Records (HostRecords.cpp) -----------------------------------------------------------

// Guards the records that services may add to from a processing thread.
std::mutex& RecordsMutex();
void RecordUnprovidedCall(const char* name);
void RecordComplaint(const std::string& text);
// Prints a line of code page 932 text, as UTF-8, when echo is on.
void Echo(const std::string& text);
void EchoUtf8(const std::string& text); // the same for a line of UTF-8 (paths)

// HostMemory.cpp: whether an address (with its size) fits in a 32-bit field.
bool FitsIn32Bits(const void* address, size_t size = 0);
// HostMemory.cpp: a block whose bytes the plug-in should not take for zero (data blocks): in
// guard-page mode it starts filled with GUARD_PATTERN. `what` names it in fault reports.
void* HostAllocUnset(uint32_t size, const std::string& what);
enum : uint8_t { GUARD_PATTERN = 0xCD };

// GuardPages.cpp: blocks ending against a no-access page (HostMemory.cpp uses them in
// guard-page mode). GuardTake answers null when the reservation is used up.
bool StartGuardPages();
void StopGuardPages();
void* GuardTake(size_t size, const std::string& what);
void GuardGive(void* block); // its pages become no-access and stay so for a while

} // namespace standin
