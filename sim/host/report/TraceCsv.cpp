// The trace of a run as CSV: every port access, every released block and every external event
// (force, unforce, pull, insert, fault, a switch set, from any process) with its tick.
#include "sim/host/report/RunRecorder.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace standin {

namespace {

// The byte a force or a switch set; a forced port's mask, a fault's settings (no commas).
std::string ExternalByte(const LumoSimEvent& event) {
    if (event.kind != LUMO_SIM_EVENT_FORCE && event.kind != LUMO_SIM_EVENT_SET)
        return std::string();
    char text[8];
    std::snprintf(text, sizeof text, "0x%02x", event.value & 0xFF);
    return text;
}

std::string ExternalDetail(const LumoSimEvent& event) {
    std::string detail;
    if (event.kind == LUMO_SIM_EVENT_FORCE) {
        char text[16];
        std::snprintf(text, sizeof text, "mask 0x%02x", event.mask & 0xFF);
        detail = text;
    } else if (event.kind == LUMO_SIM_EVENT_FAULT) {
        detail.assign(event.text, strnlen(event.text, sizeof event.text));
    }
    for (char& c : detail)
        if (c == ',' || c == '"' || c == '\n' || c == '\r')
            c = ' ';
    return detail;
}

} // namespace

std::string TraceCsv(const RunRecorder& recorder) {
    std::string file =
        "tick,ms,event,module,channel,board,port,byte,ok,samples,start_s,due_tick,late_ms,"
        "detail\n";
    const uint32_t start = recorder.StartTick();
    char row[256];
    for (const TraceEvent& event : recorder.Events()) {
        const int32_t ms = int32_t(event.tick - start);
        if (event.kind == TraceEvent::External)
            std::snprintf(
                row, sizeof row, "%u,%d,%s,,,%d,%s,%s,,,,,,%s\n", event.tick, ms,
                LumoSimEventName(event.external.kind), event.external.slot,
                event.external.port < 0 ? "" : std::to_string(event.external.port).c_str(),
                ExternalByte(event.external).c_str(), ExternalDetail(event.external).c_str());
        else if (event.kind == TraceEvent::BlockReleased)
            std::snprintf(row, sizeof row, "%u,%d,block_released,%d,%d,,,,,%u,%.6f,%u,%d,\n",
                          event.tick, ms, event.module, event.channel, event.samples,
                          event.startTime, event.due, int32_t(event.tick - event.due));
        else
            std::snprintf(row, sizeof row, "%u,%d,%s,%d,%s,%u,%u,0x%02x,%d,,,,,\n", event.tick, ms,
                          event.kind == TraceEvent::PortRead ? "port_read" : "port_write",
                          event.module,
                          event.channel < 0 ? "" : std::to_string(event.channel).c_str(),
                          event.slot, event.port, event.byte, event.ok ? 1 : 0);
        file += row;
    }
    return file;
}

} // namespace standin
