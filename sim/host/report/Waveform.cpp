// Value change dumps: signals declared up front, then one time per access or event.
#include "sim/host/report/Waveform.h"

#include "sim/host/support/SafeSave.h"

#include <algorithm>

namespace standin {

namespace {

constexpr size_t SPILL_BYTES = 4u << 20;

// Identifier codes from the printable characters '!' to '~', as short as they can be.
std::string IdCode(size_t index) {
    std::string id;
    do {
        id += char('!' + index % 94);
        index /= 94;
    } while (index);
    return id;
}

std::string Change(int width, const std::string& id, int value) {
    if (width == 1)
        return std::string(1, value < 0 ? 'x' : char('0' + value)) + id + "\n";
    std::string text = "b";
    for (int bit = width - 1; bit >= 0; --bit)
        text += value < 0 ? 'x' : char('0' + (value >> bit & 1));
    return text + " " + id + "\n";
}

} // namespace

VcdWriter::VcdWriter(bool bits) : bits_(bits) {}

VcdWriter::~VcdWriter() {
    if (spilled_ != INVALID_HANDLE_VALUE)
        CloseHandle(spilled_);
}

size_t VcdWriter::Port(int slot, bool out, int port) {
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

size_t VcdWriter::Named(const std::string& name) {
    const auto found = named_.find(name);
    return found != named_.end() ? found->second : named_[name] = Add(name, 1, 0);
}

void VcdWriter::At(int64_t time) {
    last_ = std::max(time, last_ + 1);
    changes_ += "#" + std::to_string(last_) + "\n";
    if (changes_.size() >= SPILL_BYTES)
        Spill();
}

void VcdWriter::Access(size_t port, uint8_t byte) {
    const int wires = bits_ ? 8 : 1;
    for (int i = 0; i < wires; ++i)
        Set(port + i, bits_ ? byte >> i & 1 : byte);
    Toggle(port + wires);
}

void VcdWriter::Toggle(size_t signal) {
    Set(signal, signals_[signal].value ^ 1);
}

size_t VcdWriter::Add(const std::string& name, int width, int value) {
    signals_.push_back(Signal{name, width, IdCode(signals_.size()), value, value});
    return signals_.size() - 1;
}

void VcdWriter::Set(size_t index, int value) {
    Signal& signal = signals_[index];
    if (signal.value != value)
        changes_ += Change(signal.width, signal.id, value);
    signal.value = value;
}

std::string VcdWriter::Header(const std::string& comment) const {
    std::string text = "$comment " + comment +
                       " $end\n$timescale 1 us $end\n"
                       "$scope module run $end\n";
    for (const Signal& signal : signals_)
        text += "$var wire " + std::to_string(signal.width) + " " + signal.id + " " + signal.name +
                " $end\n";
    text += "$upscope $end\n$enddefinitions $end\n#0\n$dumpvars\n";
    for (const Signal& signal : signals_)
        text += Change(signal.width, signal.id, signal.initial);
    return text + "$end\n";
}

// The changes so far go to a temporary file of their own, which the system deletes when it is
// closed; a failure is kept for Save to report.
void VcdWriter::Spill() {
    if (spillError_)
        return;
    if (spilled_ == INVALID_HANDLE_VALUE) {
        wchar_t folder[MAX_PATH + 1], path[MAX_PATH + 1];
        if (!GetTempPathW(MAX_PATH + 1, folder) || !GetTempFileNameW(folder, L"vcd", 0, path)) {
            spillError_ = GetLastError();
            return;
        }
        spilled_ = CreateFileW(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (spilled_ == INVALID_HANDLE_VALUE) {
            spillError_ = GetLastError();
            DeleteFileW(path);
            return;
        }
    }
    DWORD written = 0;
    if (!WriteFile(spilled_, changes_.data(), DWORD(changes_.size()), &written, nullptr) ||
        written != changes_.size()) {
        spillError_ = written != changes_.size() ? ERROR_DISK_FULL : GetLastError();
        return;
    }
    changes_.clear();
}

// The dump's pieces in order for the safe save: the header, what was spilled, the changes kept;
// null after the last, or with `*failed` set when the spilled changes cannot be read back.
const std::string* VcdWriter::NextPiece(Pieces& pieces, DWORD* failed) {
    switch (pieces.step) {
    case 0:
        pieces.step = 1;
        if (spilled_ != INVALID_HANDLE_VALUE && !spillError_)
            SetFilePointer(spilled_, 0, nullptr, FILE_BEGIN);
        return &pieces.header;
    case 1:
        if (spilled_ != INVALID_HANDLE_VALUE) {
            if (spillError_) {
                *failed = spillError_;
                return nullptr;
            }
            pieces.piece.resize(SPILL_BYTES);
            DWORD read = 0;
            if (!ReadFile(spilled_, &pieces.piece[0], DWORD(pieces.piece.size()), &read, nullptr)) {
                *failed = GetLastError();
                return nullptr;
            }
            pieces.piece.resize(read);
            if (read)
                return &pieces.piece;
        }
        pieces.step = 2;
        return &changes_;
    default:
        return nullptr;
    }
}

bool VcdWriter::Save(const std::wstring& path, const std::string& comment, std::string* error) {
    Pieces pieces{0, Header(comment), std::string()};
    return SaveFileSafely(
        path, [&](DWORD* failed) { return NextPiece(pieces, failed); }, error);
}

std::string EventSignalName(const LumoSimEvent& event) {
    const std::string kind = LumoSimEventName(event.kind);
    return "b" + std::to_string(event.slot) +
           (event.port < 0 ? std::string() : "_p" + std::to_string(event.port)) + "_" +
           (kind == "?" ? "event" + std::to_string(event.kind) : kind);
}

bool SaveTraceVcd(const RunRecorder& recorder, bool bits, const std::wstring& path,
                  std::string* error) {
    VcdWriter dump(bits);
    for (const TraceEvent& event : recorder.Events()) {
        if (event.kind == TraceEvent::BlockReleased)
            continue;
        const int64_t ms = std::max<int64_t>(0, int32_t(event.tick - recorder.StartTick()));
        dump.At(ms * 1000);
        if (event.kind == TraceEvent::External)
            dump.Toggle(dump.Named(EventSignalName(event.external)));
        else
            dump.Access(dump.Port(event.slot, event.kind == TraceEvent::PortWrite, event.port),
                        event.byte);
    }
    dump.End(0);
    return dump.Save(path, "pemo_host run trace", error);
}

} // namespace standin
