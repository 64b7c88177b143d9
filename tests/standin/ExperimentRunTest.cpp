// Headless runs of the loopback example on the real clock: the report agrees with what the
// simulated driver logged, the progress comes at its interval, the plot shows the samples
// where they are; the plug-in's stop request ends a run, a pause holds it, a refused start
// (by a module or for an unusable time base) runs nothing.
#include "sim/host/picture/PngFile.h"
#include "sim/host/report/RunPlot.h"
#include "tests/common/MessageSequence.h"
#include "tests/standin/StandInTestSupport.h"

#include <cmath>
#include <regex>

using namespace standintest;

namespace {

using LoopbackRun = Loopback;

LumoSim& Sim() {
    return testsupport::SimulatedDriver();
}

std::vector<LumoSimCall> PortCalls() {
    std::vector<LumoSimCall> calls;
    for (const LumoSimCall& call : LumoSimLog(Sim()))
        if (call.entry == LUMO_SIM_IN_PORT || call.entry == LUMO_SIM_OUT_PORT)
            calls.push_back(call);
    return calls;
}

uint64_t Count(const std::vector<LumoSimCall>& calls, int32_t entry, int32_t slot, int32_t port) {
    uint64_t count = 0;
    for (const LumoSimCall& call : calls)
        count += call.entry == entry && call.slot == slot && call.port == port;
    return count;
}

standin::RunSettings Settings(uint32_t durationMs) {
    standin::RunSettings settings;
    settings.durationMs = durationMs;
    return settings;
}

uint32_t AsPixel(COLORREF colour) { // BGRA as WIC gives it back
    return 0xFF000000u | uint32_t(GetRValue(colour)) << 16 | uint32_t(GetGValue(colour)) << 8 |
           GetBValue(colour);
}

TEST_F(LoopbackRun, AOneSecondRunReportsWhatTheDriverLoggedWithProgressAndAPlot) {
    standin::RunRecorder recorder(true);
    const standin::RunSettings settings = Settings(1000);
    std::string refusal;
    ASSERT_TRUE(standin::StartRun(settings, recorder.Hooks(), &refusal)) << refusal;
    std::vector<standin::RunStatus> progress;
    std::vector<std::string> lines;
    const standin::RunEnd end = standin::ServeRun(
        [&](const standin::RunStatus& status) {
            progress.push_back(status);
            lines.push_back(standin::ProgressLine(status, recorder.PortAccesses()));
        },
        250);
    ASSERT_EQ(end, standin::RunEnd::Duration);
    const standin::RunReport report = recorder.Report(settings, end, standin::CurrentRun());
    EXPECT_TRUE(report.Passed()) << standin::ReportText(report);

    // Progress: every interval and once at the end, which shows the whole run.
    ASSERT_GE(progress.size(), 4u);
    const std::regex line("  +[0-9]+\\.[0-9] / 1\\.0 s   blocks [0-9]+   port accesses [0-9]+   "
                          "warnings 0");
    for (size_t i = 0; i < lines.size(); ++i) {
        EXPECT_TRUE(std::regex_match(lines[i], line)) << lines[i];
        EXPECT_GE(progress[i].blocks, i ? progress[i - 1].blocks : 0);
    }
    EXPECT_EQ(progress.back().elapsedMs, 1000u);
    EXPECT_EQ(progress.back().blocks,
              report.modules[0].blocksReleased + report.modules[2].blocksReleased);

    // The report's port counts are the driver's, and its trace is the driver's log.
    const std::vector<LumoSimCall> calls = PortCalls();
    EXPECT_EQ(Sim().LogDropped(), 0);
    EXPECT_EQ(report.modules[0].portReads, Count(calls, LUMO_SIM_IN_PORT, 0, 0));
    EXPECT_EQ(report.modules[1].portWrites, Count(calls, LUMO_SIM_OUT_PORT, 0, 0));
    EXPECT_EQ(report.modules[1].portWrites, uint64_t(Sim().OutputWrites(0, 0)));
    EXPECT_EQ(report.modules[2].portReads, Count(calls, LUMO_SIM_IN_PORT, 0, 1));
    EXPECT_EQ(report.PortAccesses(), calls.size());
    std::vector<LumoSimCall> traced;
    for (const standin::TraceEvent& event : recorder.Events())
        if (event.kind == standin::TraceEvent::PortRead ||
            event.kind == standin::TraceEvent::PortWrite)
            traced.push_back(LumoSimCall{
                0,
                event.kind == standin::TraceEvent::PortRead ? LUMO_SIM_IN_PORT : LUMO_SIM_OUT_PORT,
                event.slot, event.port, event.byte, 0, 0, event.ok, event.tick});
    ASSERT_EQ(traced.size(), calls.size());
    for (size_t i = 0; i < calls.size(); ++i)
        ASSERT_EQ(std::make_tuple(traced[i].entry, traced[i].slot, traced[i].port,
                                  traced[i].data & 0xFF, traced[i].tick),
                  std::make_tuple(calls[i].entry, calls[i].slot, calls[i].port,
                                  calls[i].data & 0xFF, calls[i].tick))
            << "access " << i;

    // What it found: blocks on every channel, none early, every bit round in order.
    ASSERT_EQ(report.channels.size(), 16u);
    for (const standin::ChannelTally& channel : report.channels) {
        EXPECT_GE(channel.lateness.blocks, 5u) << channel.module << "." << channel.channel;
        EXPECT_EQ(channel.lateness.early, 0u);
        EXPECT_EQ(channel.samplesChecked, channel.lateness.blocks * 100);
    }
    ASSERT_EQ(report.connections.size(), 8u);
    for (const standin::ConnectionTally& connection : report.connections) {
        EXPECT_TRUE(connection.meetsAtPorts);
        EXPECT_GE(connection.bitsWritten, 500u);
    }
    ASSERT_EQ(report.loops.size(), 1u);
    EXPECT_EQ(report.loops[0].reads, report.modules[2].portReads);
    EXPECT_GT(report.tickStep, 0u);
    standin::RunReport still = report; // a run that saw the tick count never change
    still.tickStep = 0;
    EXPECT_NE(standin::ReportText(still).find("step: not measured"), std::string::npos);
    EXPECT_EQ(standin::ReportText(still).find("steps of 0 ms"), std::string::npos);

    // The plot: one strip per channel and port, each sample where its value says.
    const standin::StripChart chart = standin::RunChart(recorder, report);
    ASSERT_EQ(chart.series.size(), 16u + 3u);
    const std::wstring path = TemporaryPath(L"pemo-run.png");
    std::string error;
    ASSERT_TRUE(standin::WritePlot(path, chart, &error)) << error;
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    ASSERT_TRUE(standin::LoadPng(path, &width, &height, &pixels, &error)) << error;
    DeleteFileW(path.c_str());
    const RECT area = standin::ChartArea(standin::PLOT_WIDTH, chart.series.size());
    ASSERT_EQ(width, area.right);
    ASSERT_EQ(height, area.bottom);
    const standin::ChartSeries& series = chart.series[5]; // module 0, channel 5
    size_t middle = 1;                                    // of three equal samples
    while (middle + 1 < series.values.size() &&
           !(series.values[middle - 1] == series.values[middle] &&
             series.values[middle + 1] == series.values[middle]))
        ++middle;
    ASSERT_LT(middle + 1, series.values.size());
    const RECT strip = standin::StripRect(area, chart.series.size(), 5);
    const double t = series.times[middle], value = series.values[middle];
    const POINT on = standin::ChartPoint(chart, strip, 5, t, value);
    const POINT off = standin::ChartPoint(chart, strip, 5, t, 5.0 - value);
    EXPECT_EQ(pixels[size_t(on.y) * width + on.x], AsPixel(series.colour)) << t << " s";
    EXPECT_EQ(pixels[size_t(off.y) * width + off.x], 0xFFFFFFFFu) << "the other level is blank";
}

TEST_F(LoopbackRun, ThePluginsStopRequestEndsTheRunAndItsWarningIsKeptWithItsTime) {
    ASSERT_EQ(Sim().Apply("fault 0 0 out nth=30 code=17\n"), 1);
    standin::RunRecorder recorder(false);
    const standin::RunSettings settings = Settings(5000);
    std::string refusal;
    ASSERT_TRUE(standin::StartRun(settings, recorder.Hooks(), &refusal)) << refusal;
    const standin::RunEnd end = standin::ServeRun(nullptr);
    EXPECT_EQ(end, standin::RunEnd::PluginStop);
    EXPECT_FALSE(standin::ExperimentRunning());
    EXPECT_EQ(standin::LivePluginAllocations(), 0u) << "the stop message freed the buffer";

    const standin::RunReport report = recorder.Report(settings, end, standin::CurrentRun());
    EXPECT_LT(report.elapsedMs, 5000u);
    ASSERT_EQ(report.warnings.size(), 1u);
    EXPECT_EQ(report.warnings[0].title, standin::Cp932ToUtf8("送出エラー"));
    EXPECT_EQ(report.warnings[0].text, "LogSlot = 0\nChannel = 0\nErrCode = 17");
    EXPECT_GE(report.warnings[0].ms, 0);
    EXPECT_LE(report.warnings[0].ms, int32_t(report.elapsedMs));
    EXPECT_EQ(report.modules[1].warnings, 1u);
    EXPECT_EQ(report.modules[1].failedAccesses, 1u);
    EXPECT_FALSE(report.Passed()) << "the bit of the failed write did not arrive";
}

TEST_F(LoopbackRun, APauseHoldsTheBlocksAndMovesTheStartTickOn) {
    standin::RunRecorder recorder(false);
    const standin::RunSettings settings = Settings(0);
    std::string refusal;
    ASSERT_TRUE(standin::StartRun(settings, recorder.Hooks(), &refusal)) << refusal;
    standin::WaitRun(250);
    const uint32_t startTick = standin::ExperimentStartTicks();
    standin::PauseRun(true);
    EXPECT_TRUE(standin::ExperimentPaused());
    standin::WaitRun(20); // a round under way when the pause began ends
    const standin::RunStatus paused = standin::CurrentRun();
    standin::WaitRun(300);
    EXPECT_EQ(standin::CurrentRun().blocks, paused.blocks);
    EXPECT_EQ(standin::CurrentRun().elapsedMs, paused.elapsedMs);
    standin::PauseRun(false);
    EXPECT_GE(standin::ExperimentStartTicks() - startTick, 300u);
    standin::WaitRun(250);
    EXPECT_EQ(standin::StopRun(), standin::RunEnd::Stopped);
    const standin::RunReport report =
        recorder.Report(settings, standin::RunEnd::Stopped, standin::CurrentRun());
    EXPECT_TRUE(report.Passed()) << standin::ReportText(report);
    EXPECT_GT(report.modules[0].blocksReleased, paused.blocks / 2);
}

TEST_F(LoopbackRun, ARefusedStartRunsNothing) {
    standin::FailNextAllocation(); // the output module's buffer at MODMSG_EXPERIMENT_START
    std::string refusal;
    EXPECT_FALSE(standin::StartRun(Settings(1000), {}, &refusal));
    EXPECT_NE(refusal.find("refused to start"), std::string::npos) << refusal;
    EXPECT_FALSE(standin::CurrentRun().active);
    EXPECT_FALSE(standin::ExperimentRunning());
    ASSERT_EQ(standin::Warnings().size(), 1u);
    EXPECT_EQ(standin::Warnings()[0].title, "Lumo-P31");
    EXPECT_TRUE(PortCalls().empty());

    // A time base the host cannot keep is refused before any module hears of the run.
    const struct {
        double ms;
        uint32_t block;
    } unusable[] = {{1, 0}, {1, 65536}, {0, 100}, {-1, 100}, {NAN, 100}, {2e6, 100}};
    for (const auto& c : unusable) {
        standin::RunSettings settings = Settings(1000);
        settings.msPerSample = c.ms;
        settings.blockSize = c.block;
        refusal.clear();
        EXPECT_FALSE(standin::StartRun(settings, {}, &refusal)) << c.ms << " " << c.block;
        EXPECT_NE(refusal.find("time base"), std::string::npos) << refusal;
    }
    EXPECT_FALSE(standin::CurrentRun().active);
    EXPECT_EQ(standin::Warnings().size(), 1u);
    EXPECT_TRUE(PortCalls().empty());
}

} // namespace
