// The picture of a run (pemo_host run --plot): each input channel's samples and each port's
// bytes over the run's time, one strip each, drawn as a strip chart and saved as PNG.
#pragma once

#include "sim/host/report/RunRecorder.h"
#include "sim/host/picture/StripChart.h"

#include <string>

namespace standin {

enum : int { PLOT_WIDTH = 1200 };

// The chart of a recorded run (the recorder kept its events): the channels first, in module
// and channel order, then the ports in board and port order, inputs before outputs.
StripChart RunChart(const RunRecorder& recorder, const RunReport& report);
bool WritePlot(const std::wstring& path, const StripChart& chart, std::string* error);

} // namespace standin
