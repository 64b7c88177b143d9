// The live strip chart of a run: the recent samples of every module's output channels, from
// the blocks the host carries, and the bytes last written to every output port of the
// simulated boards, drawn with the strip chart of the run plot into a window of its own.
#pragma once

#include "sim/host/core/HostControl.h"
#include "sim/host/picture/StripChart.h"

#include <cstdint>

namespace standin {

enum : uint32_t { LIVE_CHART_SPAN_MS = 5000 }; // how much of the run the chart shows
enum : UINT { LIVE_CHART_INTERVAL_MS = 80 };   // between redraws during a run

// Forget what was shown and follow the modules of the open flow chart from experiment time 0.
void ResetLiveChart();
// A block as the host carries it (RunHooks::blockNote): on the processing thread.
void NoteLiveBlock(const BlockNote& note);
// The output ports' bytes at `seconds` of experiment time, polled on the user-interface thread.
void NoteLivePorts(double seconds);
// The chart as it stands, ending at `seconds`.
StripChart LiveChart(double seconds);

// The chart window (owned by `owner`), hidden until shown; its redraws are counted.
HWND MakeLiveChartWindow(HWND owner);
uint64_t LiveChartRedraws();

} // namespace standin
