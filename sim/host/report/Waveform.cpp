// The run's trace as a value change dump: signals declared up front, then one time per event.
#include "sim/host/report/Waveform.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace standin {

namespace {

struct Signal {
    std::string name;
    int width;      // 8 for a byte as a vector, else 1
    std::string id; // the short identifier code
    int value = -1; // -1 unknown
};

// Identifier codes from the printable characters '!' to '~', as short as they can be.
std::string IdCode(size_t index) {
    std::string id;
    do {
        id += char('!' + index % 94);
        index /= 94;
    } while (index);
    return id;
}

std::string Change(const Signal& signal, int value) {
    if (signal.width == 1)
        return std::string(1, value < 0 ? 'x' : char('0' + value)) + signal.id + "\n";
    std::string text = "b";
    for (int bit = signal.width - 1; bit >= 0; --bit)
        text += value < 0 ? 'x' : char('0' + (value >> bit & 1));
    return text + " " + signal.id + "\n";
}

class Dump {
public:
    explicit Dump(bool bits) : bits_(bits) {}

    // The port's signals: its byte (one or eight wires), then its strobe.
    size_t Port(int slot, bool out, int port) {
        const auto key = std::make_tuple(slot, out ? 1 : 0, port);
        const auto found = ports_.find(key);
        if (found != ports_.end())
            return found->second;
        const std::string name =
            "b" + std::to_string(slot) + (out ? "_out" : "_in") + std::to_string(port);
        const size_t first = signals_.size();
        if (bits_)
            for (int bit = 0; bit < 8; ++bit)
                Add(name + "_" + std::to_string(bit), 1, -1);
        else
            Add(name, 8, -1);
        Add(name + "_acc", 1, 0);
        return ports_[key] = first;
    }

    size_t Named(const std::string& name) {
        const auto found = named_.find(name);
        return found != named_.end() ? found->second : named_[name] = Add(name, 1, 0);
    }

    void Access(size_t first, uint8_t byte) {
        const int wires = bits_ ? 8 : 1;
        for (int i = 0; i < wires; ++i)
            Set(first + i, bits_ ? byte >> i & 1 : byte);
        Toggle(first + wires);
    }

    void Toggle(size_t signal) { Set(signal, signals_[signal].value ^ 1); }

    // Declarations, the #0 values, then the changes.
    void At(int64_t time) { changes_ += "#" + std::to_string(time) + "\n"; }

    std::string Text() const {
        std::string text = "$comment pemo_host run trace $end\n$timescale 1 us $end\n"
                           "$scope module run $end\n";
        for (const Signal& signal : signals_)
            text += "$var wire " + std::to_string(signal.width) + " " + signal.id + " " +
                    signal.name + " $end\n";
        text += "$upscope $end\n$enddefinitions $end\n#0\n$dumpvars\n";
        for (const Signal& signal : signals_)
            text += Change(signal, initial_[&signal - signals_.data()]);
        return text + "$end\n" + changes_;
    }

private:
    size_t Add(const std::string& name, int width, int value) {
        signals_.push_back(Signal{name, width, IdCode(signals_.size()), value});
        initial_.push_back(value);
        return signals_.size() - 1;
    }

    void Set(size_t index, int value) {
        Signal& signal = signals_[index];
        if (signal.value != value)
            changes_ += Change(signal, value);
        signal.value = value;
    }

    bool bits_;
    std::vector<Signal> signals_;
    std::vector<int> initial_;
    std::map<std::tuple<int, int, int>, size_t> ports_;
    std::map<std::string, size_t> named_;
    std::string changes_;
};

// A kind this build does not know (a newer driver's) still gets a name a viewer accepts.
std::string ExternalName(const LumoSimEvent& event) {
    const std::string kind = LumoSimEventName(event.kind);
    return "b" + std::to_string(event.slot) +
           (event.port < 0 ? std::string() : "_p" + std::to_string(event.port)) + "_" +
           (kind == "?" ? "event" + std::to_string(event.kind) : kind);
}

} // namespace

std::string TraceVcd(const RunRecorder& recorder, bool bits) {
    Dump dump(bits);
    // Declared first, so that the header holds every signal before the first change.
    for (const TraceEvent& event : recorder.Events())
        if (event.kind == TraceEvent::External)
            dump.Named(ExternalName(event.external));
        else if (event.kind != TraceEvent::BlockReleased)
            dump.Port(event.slot, event.kind == TraceEvent::PortWrite, event.port);
    int64_t last = 0; // #0 holds the initial values alone
    for (const TraceEvent& event : recorder.Events()) {
        if (event.kind == TraceEvent::BlockReleased)
            continue;
        const int64_t ms = std::max<int64_t>(0, int32_t(event.tick - recorder.StartTick()));
        last = std::max(ms * 1000, last + 1);
        dump.At(last);
        if (event.kind == TraceEvent::External)
            dump.Toggle(dump.Named(ExternalName(event.external)));
        else
            dump.Access(dump.Port(event.slot, event.kind == TraceEvent::PortWrite, event.port),
                        event.byte);
    }
    return dump.Text();
}

} // namespace standin
