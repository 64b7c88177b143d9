// A run's port accesses as a value change dump (IEEE 1364 VCD, ASCII) for logic-analyser viewers.
#pragma once

#include "sim/host/report/RunRecorder.h"

#include <string>

namespace standin {

// The trace's port accesses and external events as VCD, `$timescale 1 us`. Per port touched
// (`b<slot>_in<port>` for reads, `b<slot>_out<port>` for writes): its byte, as one 8-bit wire or,
// with `bits`, as eight 1-bit wires `<name>_0` (least significant) ... `<name>_7`; and the
// strobe `<name>_acc`, which toggles on every access so that an unchanged byte still shows.
// External events toggle `b<slot>_<kind>` (whole board) or `b<slot>_p<port>_<kind>`. Every
// signal starts at #0: bytes unknown (x), strobes and events 0. Times are microseconds since the
// run's start tick: an event's tick in ms times 1000, moved 1 us past the one before (or past
// #0) when that is not later, so each event has a time of its own and the order of the trace is
// kept.
std::string TraceVcd(const RunRecorder& recorder, bool bits);

} // namespace standin
