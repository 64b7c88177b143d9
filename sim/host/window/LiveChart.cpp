#include "sim/host/window/LiveChart.h"

#include "sim/driver/LumoSimControl.h"
#include "sim/host/run/ExperimentRun.h"
#include "sim/host/window/ToolWindow.h"

#include <algorithm>
#include <atomic>
#include <map>
#include <mutex>

namespace standin {

namespace {

// A step line kept as its changes only: a value holds until the next one.
struct Trace {
    std::string label;
    double low = 0, high = 5;
    COLORREF colour = RGB(0, 0, 200);
    std::vector<double> times, values;

    void Add(double time, double value) {
        if (!values.empty() && values.back() == value) {
            lastTime = time;
            return;
        }
        times.push_back(time);
        values.push_back(value);
        lastTime = time;
    }
    // Drops the changes before `start`, keeping the one that still holds at `start`.
    void Trim(double start) {
        size_t keep = 0;
        while (keep + 1 < times.size() && times[keep + 1] <= start)
            ++keep;
        times.erase(times.begin(), times.begin() + long(keep));
        values.erase(values.begin(), values.begin() + long(keep));
    }
    double lastTime = 0;
};

std::mutex chartMutex;
std::map<std::pair<ModuleRecord*, uint32_t>, Trace> channels;
std::map<std::pair<int, int>, Trace> ports; // (slot, port) of output ports
std::map<ModuleRecord*, size_t> moduleIndex;
std::atomic<uint64_t> redraws{0};
const char chartClass[] = "PemoStandInLiveChart";

LRESULT CALLBACK ChartProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        PaintBuffered(window, [](HDC dc, const RECT& area) {
            DrawStripChart(dc, area, LiveChart(CurrentRun().elapsedMs / 1000.0));
        });
        ++redraws;
        return 0;
    case WM_SIZE:
        InvalidateRect(window, nullptr, FALSE);
        return 0;
    }
    return ToolWindowDefault(window, message, wParam, lParam);
}

} // namespace

void ResetLiveChart() {
    std::lock_guard<std::mutex> lock(chartMutex);
    channels.clear();
    ports.clear();
    moduleIndex.clear();
    const std::vector<ModuleRecord*> modules = Modules();
    for (size_t i = 0; i < modules.size(); ++i)
        moduleIndex[modules[i]] = i;
}

void NoteLiveBlock(const BlockNote& note) {
    if (note.event != BlockEvent::OutputReleased || !note.samples)
        return;
    std::lock_guard<std::mutex> lock(chartMutex);
    Trace& trace = channels[std::make_pair(note.module, note.channel)];
    if (trace.label.empty()) {
        const auto index = moduleIndex.find(note.module);
        trace.label = (index != moduleIndex.end() ? std::to_string(index->second) + " " : "") +
                      Cp932ToUtf8(note.module->moduleName) + " ch " + std::to_string(note.channel);
    }
    for (uint32_t j = 0; j < note.sampleCount; ++j)
        trace.Add(note.startTime + j * note.sampleDistance, note.samples[j]);
    trace.Trim(trace.lastTime - LIVE_CHART_SPAN_MS / 1000.0);
}

void NoteLivePorts(double seconds) {
    LumoSim sim;
    if (!LumoSimConnect(sim))
        return;
    std::lock_guard<std::mutex> lock(chartMutex);
    for (int slot = 0; slot < BOARD_SLOTS; ++slot) {
        if (sim.BoardState(slot) == LUMO_SIM_BOARD_NONE)
            continue;
        for (int port = 0; port < BOARD_PORTS; ++port) {
            const int32_t byte = sim.OutputByte(slot, port);
            if (byte < 0)
                continue;
            Trace& trace = ports[std::make_pair(slot, port)];
            if (trace.label.empty()) {
                trace.label = "board " + std::to_string(slot) + " output " + std::to_string(port);
                trace.high = 255;
                trace.colour = RGB(200, 0, 0);
            }
            trace.Add(seconds, byte);
            trace.Trim(seconds - LIVE_CHART_SPAN_MS / 1000.0);
        }
    }
}

StripChart LiveChart(double seconds) {
    StripChart chart;
    chart.endSeconds = std::max(seconds, LIVE_CHART_SPAN_MS / 1000.0);
    chart.startSeconds = chart.endSeconds - LIVE_CHART_SPAN_MS / 1000.0;
    chart.title = u8"ストリップチャート: 最後の 5 秒";
    std::lock_guard<std::mutex> lock(chartMutex);
    auto add = [&chart](const Trace& trace) {
        chart.series.push_back(ChartSeries{trace.label, trace.low, trace.high, trace.times,
                                           trace.values, trace.colour});
    };
    for (const auto& entry : channels)
        add(entry.second);
    for (const auto& entry : ports)
        add(entry.second);
    return chart;
}

HWND MakeLiveChartWindow(HWND owner) {
    return MakeToolWindow(owner, {chartClass, ChartProc, IDC_ARROW, "ストリップチャート",
                                  WS_OVERLAPPEDWINDOW, 120, 330, 820, 420});
}

uint64_t LiveChartRedraws() {
    return redraws.load();
}

} // namespace standin
