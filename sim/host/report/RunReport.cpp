// The run report's checks, and the report as text, as JSON and as a CSV trace.
#include "sim/host/report/RunReport.h"

#include "sim/host/support/Console.h"

#include <nlohmann/json.hpp>

#include <cstdarg>
#include <cstdio>

namespace standin {

namespace {

using Json = nlohmann::ordered_json;

std::string PortText(uint16_t slot, bool input, uint16_t port) {
    return FormatText("board %u %s port %u", slot, input ? "input" : "output", port);
}

std::string ModuleText(const RunReport& report, size_t index) {
    if (index >= report.modules.size())
        return FormatText("module %zu", index);
    return FormatText("module %zu \"%s\"", index, report.modules[index].name.c_str());
}

// Where a connection's ends meet the ports: "board 0 input port 0 bit 3".
std::string EndText(const RunReport& report, uint32_t module, uint32_t channel) {
    if (module >= report.modules.size() || !report.modules[module].hasPort)
        return FormatText("module %u channel %u", module, channel);
    const ModuleTally& tally = report.modules[module];
    return PortText(tally.slot, tally.reads, tally.port) + FormatText(" bit %u", channel);
}

double Seconds(uint32_t ms) {
    return ms / 1000.0;
}

} // namespace

uint64_t RunReport::PortAccesses() const {
    uint64_t accesses = 0;
    for (const ModuleTally& module : modules)
        accesses += module.portReads + module.portWrites;
    return accesses;
}

void CheckReport(RunReport& report) {
    std::vector<std::string>& failures = report.failures;
    failures.clear();
    for (const ChannelTally& channel : report.channels) {
        const std::string where =
            ModuleText(report, channel.module) + FormatText(" channel %u", channel.channel);
        if (channel.lateness.early)
            failures.push_back(where + FormatText(": %zu blocks released before their due tick",
                                                  channel.lateness.early));
        if (channel.stampsWrong)
            failures.push_back(where +
                               FormatText(": %llu blocks with a start time off the time base",
                                          (unsigned long long)channel.stampsWrong));
        if (channel.samplesWrong)
            failures.push_back(where + FormatText(": %llu of %llu samples differ from the bit read",
                                                  (unsigned long long)channel.samplesWrong,
                                                  (unsigned long long)channel.samplesChecked));
    }
    for (const ConnectionTally& connection : report.connections) {
        if (!connection.meetsAtPorts)
            continue;
        const WorksheetConnection& c = connection.connection;
        const std::string where = FormatText("connection %u.%u -> %u.%u", c.fromModule,
                                             c.outChannel, c.toModule, c.inChannel);
        if (!connection.inOrder())
            failures.push_back(where +
                               FormatText(": %llu bits did not reach the output port as read",
                                          (unsigned long long)connection.mismatches));
        else if (connection.bitsWritten == 0)
            failures.push_back(where + ": no bit reached the output port");
    }
    for (const LoopTally& loop : report.loops)
        if (loop.matching != loop.reads)
            failures.push_back(PortText(loop.inSlot, true, loop.inPort) +
                               FormatText(": %llu of %llu reads differ from what ",
                                          (unsigned long long)(loop.reads - loop.matching),
                                          (unsigned long long)loop.reads) +
                               PortText(loop.outSlot, false, loop.outPort) + " was last given");
    if (!report.complaints.empty())
        failures.push_back(
            FormatText("%zu complaints of the host about the plug-in", report.complaints.size()));
    if (report.overlaps)
        failures.push_back(FormatText("%d port calls overlapped another", report.overlaps));
    if (report.logDropped)
        failures.push_back(FormatText(
            "the driver's log lost %u calls: the port checks are incomplete", report.logDropped));
}

std::string ProgressLine(const RunStatus& status, uint64_t portAccesses) {
    const std::string total =
        status.durationMs ? FormatText(" / %.1f", Seconds(status.durationMs)) : std::string();
    return FormatText("  %6.1f%s s   blocks %llu   port accesses %llu   warnings %zu%s",
                      Seconds(status.elapsedMs), total.c_str(), (unsigned long long)status.blocks,
                      (unsigned long long)portAccesses, status.warnings,
                      status.paused ? "   (paused)" : "");
}

std::string ReportText(const RunReport& report) {
    std::string text;
    auto line = [&text](const std::string& part) { text += part + "\n"; };
    line(FormatText("Run: %.1f s (%s); %g ms per sample, blocks of %u samples; %llu rounds",
                    Seconds(report.elapsedMs), RunEndText(report.end), report.settings.msPerSample,
                    report.settings.blockSize, (unsigned long long)report.rounds));
    if (report.tickStep)
        line(FormatText("GetTickCount advanced in steps of %u ms here: a block is seen due at the "
                        "first step at or after its due tick.",
                        report.tickStep));
    else
        line("GetTickCount's step: not measured (the run saw no change of the tick count).");
    line("");
    line("Modules:");
    for (size_t i = 0; i < report.modules.size(); ++i) {
        const ModuleTally& module = report.modules[i];
        std::string port = module.hasPort ? ", " + PortText(module.slot, module.reads, module.port)
                                          : std::string();
        line(FormatText("  %zu \"%s\" (%s%s):", i, module.name.c_str(), module.className.c_str(),
                        port.c_str()));
        line(FormatText(
            "      blocks released %llu (%llu samples), consumed %llu (%llu samples); "
            "port reads %llu, writes %llu, failed %llu; warnings %zu",
            (unsigned long long)module.blocksReleased, (unsigned long long)module.samplesReleased,
            (unsigned long long)module.blocksConsumed, (unsigned long long)module.samplesConsumed,
            (unsigned long long)module.portReads, (unsigned long long)module.portWrites,
            (unsigned long long)module.failedAccesses, module.warnings));
    }
    if (!report.channels.empty()) {
        line("");
        line("Release against the due tick, ms late (min / median / 99th percentile / max); "
             "early releases must be 0:");
        for (const ChannelTally& channel : report.channels)
            line(FormatText("  module %zu channel %u: %4zu blocks, %d / %d / %d / %d, early %zu; "
                            "samples as read %llu/%llu",
                            channel.module, channel.channel, channel.lateness.blocks,
                            channel.lateness.min, channel.lateness.median, channel.lateness.p99,
                            channel.lateness.max, channel.lateness.early,
                            (unsigned long long)(channel.samplesChecked - channel.samplesWrong),
                            (unsigned long long)channel.samplesChecked));
    }
    bool portConnections = false;
    for (const ConnectionTally& connection : report.connections)
        portConnections = portConnections || connection.meetsAtPorts;
    if (portConnections) {
        line("");
        line("Connections, each bit read on an input port against the bit written to the output "
             "port:");
        for (const ConnectionTally& connection : report.connections) {
            if (!connection.meetsAtPorts)
                continue;
            const WorksheetConnection& c = connection.connection;
            line(FormatText("  %s -> %s: %llu bits read, %llu written%s, %llu in transit",
                            EndText(report, c.fromModule, c.outChannel).c_str(),
                            EndText(report, c.toModule, c.inChannel).c_str(),
                            (unsigned long long)connection.bitsRead,
                            (unsigned long long)connection.bitsWritten,
                            connection.inOrder() ? " in order" : " NOT as read",
                            (unsigned long long)(connection.bitsRead - connection.bitsWritten)));
        }
    }
    if (!report.loops.empty()) {
        line("");
        line("Input ports wired to an output port, each read against the byte last written there:");
        for (const LoopTally& loop : report.loops)
            line(FormatText("  %s <- %s: %llu reads, %llu as written",
                            PortText(loop.inSlot, true, loop.inPort).c_str(),
                            PortText(loop.outSlot, false, loop.outPort).c_str(),
                            (unsigned long long)loop.reads, (unsigned long long)loop.matching));
    }
    line("");
    if (!report.driverSeen)
        line("The loaded lumo31a.dll is not the simulated driver: port accesses are not seen.");
    else
        line(FormatText("Simulated driver: %llu port accesses, %d overlapping, %u not logged",
                        (unsigned long long)report.PortAccesses(), report.overlaps,
                        report.logDropped));
    line(FormatText("Warnings: %zu; host complaints: %zu", report.warnings.size(),
                    report.complaints.size()));
    for (const ReportWarning& warning : report.warnings)
        line(FormatText("  at %d ms: \"%s\" %s", warning.ms, warning.title.c_str(),
                        warning.text.c_str()));
    for (const std::string& complaint : report.complaints)
        line("  complaint: " + complaint);
    line("");
    if (report.Passed()) {
        line("All checks passed.");
    } else {
        line("Checks failed:");
        for (const std::string& failure : report.failures)
            line("  " + failure);
    }
    return text;
}

std::string ReportJson(const RunReport& report) {
    Json document = Json::object();
    document["settings"] = Json{{"msPerSample", report.settings.msPerSample},
                                {"blockSize", report.settings.blockSize},
                                {"seconds", Seconds(report.settings.durationMs)}};
    document["end"] = RunEndText(report.end);
    document["elapsedSeconds"] = Seconds(report.elapsedMs);
    document["rounds"] = report.rounds;
    document["tickStepMs"] =
        report.tickStep ? Json(report.tickStep) : Json(nullptr); // null: not measured
    document["passed"] = report.Passed();
    document["failures"] = report.failures;
    Json modules = Json::array();
    for (const ModuleTally& module : report.modules) {
        Json value = Json{{"class", module.className}, {"name", module.name}};
        value["port"] = module.hasPort ? Json{{"board", module.slot},
                                              {"direction", module.reads ? "input" : "output"},
                                              {"port", module.port}}
                                       : Json();
        value["blocksReleased"] = module.blocksReleased;
        value["samplesReleased"] = module.samplesReleased;
        value["blocksConsumed"] = module.blocksConsumed;
        value["samplesConsumed"] = module.samplesConsumed;
        value["portReads"] = module.portReads;
        value["portWrites"] = module.portWrites;
        value["failedPortAccesses"] = module.failedAccesses;
        value["warnings"] = module.warnings;
        modules.push_back(value);
    }
    document["modules"] = modules;
    Json channels = Json::array();
    for (const ChannelTally& channel : report.channels)
        channels.push_back(Json{{"module", channel.module},
                                {"channel", channel.channel},
                                {"blocks", channel.lateness.blocks},
                                {"latenessMs",
                                 {{"min", channel.lateness.min},
                                  {"median", channel.lateness.median},
                                  {"p99", channel.lateness.p99},
                                  {"max", channel.lateness.max}}},
                                {"earlyReleases", channel.lateness.early},
                                {"samplesChecked", channel.samplesChecked},
                                {"samplesWrong", channel.samplesWrong},
                                {"startTimesWrong", channel.stampsWrong}});
    document["channels"] = channels;
    Json connections = Json::array();
    for (const ConnectionTally& connection : report.connections) {
        const WorksheetConnection& c = connection.connection;
        connections.push_back(Json{{"from", {{"module", c.fromModule}, {"channel", c.outChannel}}},
                                   {"to", {{"module", c.toModule}, {"channel", c.inChannel}}},
                                   {"meetsAtPorts", connection.meetsAtPorts},
                                   {"bitsRead", connection.bitsRead},
                                   {"bitsWritten", connection.bitsWritten},
                                   {"inTransit", connection.bitsRead - connection.bitsWritten},
                                   {"mismatches", connection.mismatches},
                                   {"inOrder", connection.inOrder()}});
    }
    document["connections"] = connections;
    Json loops = Json::array();
    for (const LoopTally& loop : report.loops)
        loops.push_back(Json{{"inputPort", {{"board", loop.inSlot}, {"port", loop.inPort}}},
                             {"outputPort", {{"board", loop.outSlot}, {"port", loop.outPort}}},
                             {"reads", loop.reads},
                             {"asWritten", loop.matching}});
    document["loops"] = loops;
    document["driver"] = Json{{"simulated", report.driverSeen},
                              {"portAccesses", report.PortAccesses()},
                              {"overlappingCalls", report.overlaps},
                              {"notLogged", report.logDropped}};
    Json warnings = Json::array();
    for (const ReportWarning& warning : report.warnings)
        warnings.push_back(
            Json{{"ms", warning.ms}, {"title", warning.title}, {"text", warning.text}});
    document["warnings"] = warnings;
    document["complaints"] = report.complaints;
    // Texts of the plug-in that are not UTF-8 are written with replacement characters.
    return document.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

} // namespace standin
