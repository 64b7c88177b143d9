// The flow chart (worksheet) the host has open: its modules, each with its class, names,
// channel counts, place on the desk and its parameter and extra blocks byte for byte, the
// connections from output channels to input channels, and the time base. A Worksheet is a
// plain value: loaded into the host it becomes module records, taken from the host it is what
// the plug-in left in them. Flow-chart files (FlowChartFile.h) carry one.
#pragma once

#include "sim/host/core/StandInHost.h"

#include <cstdint>
#include <string>
#include <vector>

namespace standin {

struct WorksheetModule {
    std::string className;   // as the class registered it
    std::string name;        // code page 932, at most 12 bytes
    std::string description; // code page 932, at most 40 bytes
    uint32_t inputs = 0, outputs = 0;
    int32_t x = 0, y = 0;        // the module's window on the desk
    std::vector<uint8_t> params; // the parameter block, byte for byte
    std::vector<uint8_t> extra;  // the extra block, byte for byte
};

// Output channel `outChannel` of module `fromModule` feeds input channel `inChannel` of module
// `toModule`; modules are counted from 0 in worksheet order.
struct WorksheetConnection {
    uint32_t fromModule, outChannel;
    uint32_t toModule, inChannel;
};

struct TimeBase {
    double msPerSample = 1.0; // milliseconds from one sample to the next
    uint32_t blockSize = 100; // samples per block
};

struct Worksheet {
    std::vector<WorksheetModule> modules;
    std::vector<WorksheetConnection> connections;
    TimeBase timeBase;
};

// Field for field, blocks byte for byte: what a flow-chart file keeps (FlowChartFile.h prints
// one, as its file's text).
bool operator==(const WorksheetModule& a, const WorksheetModule& b);
bool operator==(const WorksheetConnection& a, const WorksheetConnection& b);
bool operator==(const TimeBase& a, const TimeBase& b);
bool operator==(const Worksheet& a, const Worksheet& b);

// What is wrong with a worksheet and where: the file it came from, a JSON pointer into it
// ("/modules/1/params"), the line where the parser knows it (else 0), and what; all UTF-8.
struct WorksheetError {
    std::string file;
    std::string path;
    int line = 0;
    std::string what;
    // One line for people: "FILE: /modules/1/params: WHAT" (with "line N" when known).
    std::string Text() const;
};

// The host's limits of what a stored module may hold.
enum : uint32_t {
    MAX_CHANNELS = 16,     // output channel records the host keeps per module
    MAX_BLOCK_SIZE = 65535 // a block's sample count has 16 bits
};

// Checks the worksheet against itself and the registered classes (class known, blocks of the
// class's sizes, names that fit, channels and connections that exist, a usable time base).
bool CheckWorksheet(const Worksheet& sheet, WorksheetError* error);
// The time base alone: a sample distance above 0 ms and at most 1000000 ms, blocks of 1 to
// MAX_BLOCK_SIZE samples.
bool CheckTimeBase(const TimeBase& timeBase, WorksheetError* error);
// Replaces the open flow chart with `sheet`: the open one's modules get MODMSG_DELETE and go,
// then each module of `sheet` is made from its stored bytes and gets MODMSG_RESTORE, in order
// (each result in `restoreResults`, when given); connections and time base follow. When the
// check fails or host memory runs out, nothing changes and the open flow chart stays.
bool OpenFlowChart(const Worksheet& sheet, WorksheetError* error,
                   std::vector<int32_t>* restoreResults = nullptr);
// The open flow chart as it stands: the modules in order, with the blocks as the plug-in left
// them, the connections and the host's time base.
Worksheet CurrentWorksheet();
// Every module gets MODMSG_DELETE and goes, with its connections.
void CloseWorksheet();

// One module made from its stored bytes, followed by MODMSG_RESTORE, as OpenFlowChart does for
// each (unchecked: the class must be registered). Null when host memory runs out.
ModuleRecord* RestoreModule(const WorksheetModule& stored, int32_t* restoreResult = nullptr);
// A stored module of one of the plug-in's classes: zero blocks of the class's sizes with slot
// and port written, the class's default names, no channels beyond those given.
WorksheetModule StoredModule(const char* className, uint16_t slot, uint16_t port, uint32_t inputs,
                             uint32_t outputs);

} // namespace standin
