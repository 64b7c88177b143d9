// What the files of the stand-in host share among themselves: start and stop of each part, the
// service entries handed to the plug-in, and the record helpers. Not for tests or programs.
#pragma once

#include "host/HostNames.h"
#include "sim/host/StandInHost.h"

#include <mutex>
#include <string>

namespace standin {

// ---- Start and stop of the parts (HostStart calls them in this order, HostStop reverses) ----

bool StartMemory(); // HostMemory.cpp
void StopMemory();
bool StartMainWindow(); // HostWindow.cpp
void StopMainWindow();
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

// ---- Services handed to the plug-in, with the shapes of host/HostInterface.h ----------------

namespace service {
void* PEMO_HOSTCALL NewMemAlloc(uint32_t size, const char* file, int32_t line);
int32_t PEMO_HOSTCALL NewDoMemFree(void* block, const char* file, int32_t line);
int32_t PEMO_HOSTCALL DefineDllModule(void);
int32_t PEMO_HOSTCALL DefineDllVariable(const char* name, void* address, uint32_t size);
int32_t PEMO_HOSTCALL RegisterModuleClass(ModuleClassRecord* record);
int32_t PEMO_HOSTCALL PerformDefaultAction(ModuleRecord* module, uint32_t message,
                                           uint32_t messageParam, uint32_t messageData);
int32_t PEMO_HOSTCALL NewReleaseOutputBlock(OutputChannelRecord* channel, const char* file,
                                            int32_t line);
DataBlock* PEMO_HOSTCALL GetCurrentOutputBlock(OutputChannelRecord* channel);
DataBlock* PEMO_HOSTCALL GetInputBlock(ModuleRecord* module, uint32_t channel);
int32_t PEMO_HOSTCALL NewReleaseInputBlock(ModuleRecord* module, uint32_t channel, const char* file,
                                           int32_t line);
int32_t PEMO_HOSTCALL ChangeModuleSize(ModuleRecord* module, uint32_t inputCount,
                                       uint32_t outputCount);
int32_t PEMO_HOSTCALL ShowWarning(const char* title, const char* text);
int32_t PEMO_HOSTCALL StopExperiment(void);
HFONT PEMO_HOSTCALL CreateStackedFontIndirect(const LOGFONTA* font);
int32_t PEMO_HOSTCALL DeleteStackedObject(HGDIOBJ object);
int32_t PEMO_HOSTCALL RegisterMenuEntry(uint32_t commandId, MenuEntryHandler handler);
} // namespace service

// The entry answered for service i of hostServiceNames (HostServices.cpp).
void* ServiceEntry(int index);

// ---- Pieces one part asks of another ----------------------------------------------------------

// HostNameTable.cpp: the word that &CurrentModulePtr designates.
Addr32* CurrentModuleWord();
// HostNameTable.cpp: answers message 30000 (variable) or 30001 (service) and records it.
LRESULT AnswerNameQuery(bool service, const char* name);
// HostWindow.cpp: the parent of module windows; drops the plug-in's menu entries and popups.
void ForgetPluginMenu(HMODULE plugin);
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

// HostMemory.cpp: whether an address (with its size) fits in a 32-bit field.
bool FitsIn32Bits(const void* address, size_t size = 0);

} // namespace standin
