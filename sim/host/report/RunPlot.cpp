#include "sim/host/report/RunPlot.h"

#include "sim/host/picture/PngFile.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <tuple>

namespace standin {

namespace {

// One colour per kind: samples blue, input bytes green, output bytes red.
const COLORREF sampleColour = RGB(0, 0, 200);
const COLORREF inputColour = RGB(0, 140, 0);
const COLORREF outputColour = RGB(200, 0, 0);

std::string ChannelLabel(const RunReport& report, const ChannelSamples& samples) {
    std::string name = samples.module < report.modules.size() ? report.modules[samples.module].name
                                                              : std::string("module");
    return std::to_string(samples.module) + " " + name + " ch " + std::to_string(samples.channel);
}

} // namespace

StripChart RunChart(const RunRecorder& recorder, const RunReport& report) {
    StripChart chart;
    chart.startSeconds = 0;
    chart.endSeconds = std::max(report.elapsedMs, 1u) / 1000.0;
    char title[128];
    std::snprintf(
        title, sizeof title, "pemo_host run: %.1f s, %g ms per sample, %u samples per block",
        report.elapsedMs / 1000.0, report.settings.msPerSample, report.settings.blockSize);
    chart.title = title;
    std::vector<ChannelSamples> channels = recorder.Samples();
    std::sort(channels.begin(), channels.end(),
              [](const ChannelSamples& a, const ChannelSamples& b) {
                  return a.module != b.module ? a.module < b.module : a.channel < b.channel;
              });
    for (const ChannelSamples& samples : channels) {
        ChartSeries series;
        series.label = ChannelLabel(report, samples);
        series.low = 0;
        series.high = 5;
        series.times = samples.times;
        series.values.assign(samples.values.begin(), samples.values.end());
        series.colour = sampleColour;
        chart.series.push_back(series);
    }
    // Ports by (input first, board, port): reads and writes as they happened.
    std::map<std::tuple<bool, int, int>, ChartSeries> ports;
    const uint32_t start = recorder.StartTick();
    for (const TraceEvent& event : recorder.Events()) {
        if ((event.kind != TraceEvent::PortRead && event.kind != TraceEvent::PortWrite) ||
            !event.ok)
            continue;
        const bool read = event.kind == TraceEvent::PortRead;
        ChartSeries& series = ports[std::make_tuple(!read, int(event.slot), int(event.port))];
        if (series.label.empty()) {
            series.label = "board " + std::to_string(event.slot) + (read ? " input " : " output ") +
                           std::to_string(event.port);
            series.low = 0;
            series.high = 255;
            series.colour = read ? inputColour : outputColour;
        }
        series.times.push_back(int32_t(event.tick - start) / 1000.0);
        series.values.push_back(event.byte);
    }
    for (auto& entry : ports)
        chart.series.push_back(entry.second);
    return chart;
}

bool WritePlot(const std::wstring& path, const StripChart& chart, std::string* error) {
    const RECT area = ChartArea(PLOT_WIDTH, chart.series.size());
    const std::vector<uint32_t> pixels = ChartPixels(chart, area.right, area.bottom);
    if (pixels.empty()) {
        if (error)
            *error = WideToUtf8(path) + ": the picture could not be drawn";
        return false;
    }
    return SavePng(path, area.right, area.bottom, pixels, error);
}

} // namespace standin
