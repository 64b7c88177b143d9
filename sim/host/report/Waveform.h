// Port accesses as a value change dump (IEEE 1364 VCD, ASCII) for logic-analyser viewers.
#pragma once

#include "sim/host/report/RunRecorder.h"

#include <windows.h>

#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace standin {

// A dump being written, `$timescale 1 us`, one scope `run`. Per port touched (`b<slot>_in<port>`
// for reads, `b<slot>_out<port>` for writes): its byte, as one 8-bit wire or, with `bits`, as
// eight 1-bit wires `<name>_0` (least significant) ... `<name>_7`; and the strobe `<name>_acc`,
// which toggles on every access so that an unchanged byte still shows. Other signals (external
// events) are 1-bit wires that toggle. Signals are declared as they first appear and all start
// at #0: bytes unknown (x), 1-bit wires 0. The changes are kept in order, beyond a few MiB in a
// temporary file, until the whole dump is saved.
class VcdWriter {
public:
    explicit VcdWriter(bool bits);
    ~VcdWriter();
    VcdWriter(const VcdWriter&) = delete;
    VcdWriter& operator=(const VcdWriter&) = delete;

    size_t Port(int slot, bool out, int port); // the port's first signal
    size_t Named(const std::string& name);
    // The time of the next changes, in microseconds: moved 1 us past the last time (or past #0)
    // when it is not later, so that each access has a time of its own.
    void At(int64_t time);
    // The end of the recording: a last time with no change after it, so that viewers that take
    // a dump's last time as its end (sigrok) still show the last change.
    void End(int64_t time) { At(time); }
    void Access(size_t port, uint8_t byte);
    void Toggle(size_t signal);

    // The whole dump, `comment` in its header, saved to `path` as SaveFileSafely does (the
    // writer then takes no more changes).
    bool Save(const std::wstring& path, const std::string& comment, std::string* error);

private:
    struct Signal {
        std::string name;
        int width;      // 8 for a byte as a vector, else 1
        std::string id; // the short identifier code
        int value;      // -1 unknown
        int initial;
    };
    size_t Add(const std::string& name, int width, int value);
    void Set(size_t index, int value);
    struct Pieces {
        int step;
        std::string header, piece;
    };
    std::string Header(const std::string& comment) const;
    void Spill();
    const std::string* NextPiece(Pieces& pieces, DWORD* failed);

    bool bits_;
    std::vector<Signal> signals_;
    std::map<std::tuple<int, int, int>, size_t> ports_;
    std::map<std::string, size_t> named_;
    int64_t last_ = 0;
    std::string changes_;                   // not yet spilled
    HANDLE spilled_ = INVALID_HANDLE_VALUE; // the earlier changes, deleted when closed
    DWORD spillError_ = 0;
};

// The name of an external event's signal: `b<slot>_<kind>` (whole board) or
// `b<slot>_p<port>_<kind>`; a kind this build does not know is `event<number>`.
std::string EventSignalName(const LumoSimEvent& event);

// The run's trace (port accesses and external events) as a dump, saved to `path`. Times are
// microseconds since the run's start tick: an event's tick in ms times 1000, moved as
// VcdWriter::At does.
bool SaveTraceVcd(const RunRecorder& recorder, bool bits, const std::wstring& path,
                  std::string* error);

} // namespace standin
