// Flow-chart files: a worksheet as human-readable JSON (docs/flowchart-format.md). Blocks are
// kept as exact bytes in hex, with a decoded view beside them for people that reading ignores.
// A damaged or foreign file gives one error naming the file, the place and what is wrong, and
// nothing of it is loaded.
#pragma once

#include "sim/host/flowchart/Worksheet.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace standin {

extern const char FLOWCHART_FORMAT[]; // the value of "format": "pemo-flowchart"
enum : int { FLOWCHART_VERSION = 1 }; // the version this host reads and writes

// The file's text into a worksheet, checking its structure (fields, types, hex, version). The
// classes are checked when the worksheet is opened. `fileName` only names the file in errors.
bool ParseFlowChart(const std::string& text, const std::string& fileName, Worksheet* sheet,
                    WorksheetError* error);
bool ReadFlowChart(const std::wstring& path, Worksheet* sheet, WorksheetError* error);
// Reads the file and opens its worksheet in the host (as OpenFlowChart of a worksheet): all
// or nothing.
bool OpenFlowChart(const std::wstring& path, WorksheetError* error,
                   std::vector<int32_t>* restoreResults = nullptr);

std::string FlowChartText(const Worksheet& sheet);
// Saved safely (SaveFileSafely): on failure the file there before stays as it was and `error`
// holds one line naming the file and the reason.
bool WriteFlowChart(const std::wstring& path, const Worksheet& sheet, std::string* error);

// The simulated driver's configuration that belongs to a flow chart: beside it, named from it
// ("loopback.json" has "loopback.lumo31a-sim.txt").
std::wstring DriverConfigBeside(const std::wstring& flowChartPath);

// The worksheet as its file's text, so that a test failure shows it readably.
std::ostream& operator<<(std::ostream& out, const Worksheet& sheet);

} // namespace standin
