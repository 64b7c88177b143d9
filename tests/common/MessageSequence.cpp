#include "tests/common/MessageSequence.h"

#include "ui/ChannelControls.h"

#include <algorithm>
#include <cstdio>
#include <map>

namespace msgseq {

namespace {

// ---- Recording ------------------------------------------------------------------------------

struct Recording {
    Recorder* recorder;
    WNDPROC original; // null for a parent made by the recorder
    bool (*wanted)(UINT message);
};
std::map<HWND, Recording> recordings;

bool IsNotification(UINT message) {
    return message == WM_COMMAND || (message >= WM_USER && message < 0x8000);
}

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto found = recordings.find(window);
    if (found == recordings.end())
        return DefWindowProcA(window, message, wParam, lParam);
    const Recording recording = found->second;
    if (!recording.wanted || recording.wanted(message))
        recording.recorder->messages.push_back({message, 0, wParam, lParam, GetDlgCtrlID(window)});
    if (!recording.original)
        return DefWindowProcA(window, message, wParam, lParam);
    return CallWindowProcA(recording.original, window, message, wParam, lParam);
}

// ---- Comparing ------------------------------------------------------------------------------

const char* MessageName(UINT message) {
    static const std::map<UINT, const char*> names = {
        {WM_COMMAND, "WM_COMMAND"},
        {WM_SETFONT, "WM_SETFONT"},
        {CTLM_SETSTATE, "CTLM_SETSTATE"},
        {CTLM_CHANNELDOWN, "CTLM_CHANNELDOWN"},
        {CTLM_CHANNELUP, "CTLM_CHANNELUP"},
        {CTLM_CHANNELDBLCLK, "CTLM_CHANNELDBLCLK"},
        {CTLM_CHANNELRDBLCLK, "CTLM_CHANNELRDBLCLK"},
        {CTLM_DESELECT, "CTLM_DESELECT"},
    };
    const auto found = names.find(message);
    return found == names.end() ? nullptr : found->second;
}

std::string Hex(unsigned long long value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%llx", value);
    return text;
}

// An expected entry shows the fields that count ("*" for the others); a recorded one all.
std::string Describe(const Message& entry, bool expected) {
    const char* name = MessageName(entry.message);
    std::string text = name ? name : "message " + std::to_string(entry.message);
    if (expected && (entry.flags & WPARAM_IS_SELF))
        text += " self";
    else
        text += " " + (!expected || (entry.flags & CHECK_WPARAM) ? Hex(entry.wParam) : "*");
    text += " " + (!expected || (entry.flags & CHECK_LPARAM) ? Hex(entry.lParam) : "*");
    if (expected ? (entry.flags & CHECK_ID) != 0 : entry.id != 0)
        text += " #" + std::to_string(entry.id);
    if (expected && (entry.flags & OPTIONAL_ENTRY))
        text += " (optional)";
    return text;
}

std::string Describe(const Call& entry, bool expected) {
    auto field = [&](const char* label, int32_t value, unsigned flag) {
        return std::string(label) +
               (!expected || (entry.flags & flag) ? std::to_string(value) : std::string("*"));
    };
    std::string text = std::string(LumoSimEntryName(entry.entry)) + "(" +
                       field("slot ", entry.slot, CHECK_SLOT) + ", " +
                       field("port ", entry.port, CHECK_PORT) + ", data " +
                       (!expected || (entry.flags & CHECK_DATA) ? Hex(uint32_t(entry.data)) : "*") +
                       ") -> " + field("", entry.result, CHECK_RESULT);
    if (expected && (entry.flags & OPTIONAL_ENTRY))
        text += " (optional)";
    return text;
}

bool Counts(unsigned flags, unsigned flag) {
    return (flags & flag) != 0;
}

bool Matches(const Message& expected, const Message& seen, HWND subject) {
    const unsigned f = expected.flags;
    const WPARAM wParam =
        Counts(f, WPARAM_IS_SELF) ? reinterpret_cast<WPARAM>(subject) : expected.wParam;
    return expected.message == seen.message &&
           (!Counts(f, CHECK_WPARAM | WPARAM_IS_SELF) || wParam == seen.wParam) &&
           (!Counts(f, CHECK_LPARAM) || expected.lParam == seen.lParam) &&
           (!Counts(f, CHECK_ID) || expected.id == seen.id);
}

bool Matches(const Call& expected, const Call& seen, HWND) {
    const unsigned f = expected.flags;
    return expected.entry == seen.entry && (!Counts(f, CHECK_SLOT) || expected.slot == seen.slot) &&
           (!Counts(f, CHECK_PORT) || expected.port == seen.port) &&
           (!Counts(f, CHECK_DATA) || expected.data == seen.data) &&
           (!Counts(f, CHECK_RESULT) || expected.result == seen.result);
}

// Walks both sequences: matching entries pair up, a missing optional entry is passed over;
// from the first mismatch on, the rest is paired row by row and marked.
template <typename Entry>
Comparison CompareEntries(const std::vector<Entry>& seen, const Table<Entry>& table, HWND subject) {
    const std::vector<Entry>& expected = table.entries;
    struct Row {
        const Entry* expected;
        const Entry* seen;
        bool differs;
    };
    std::vector<Row> rows;
    bool same = true;
    size_t i = 0, j = 0;
    while (i < expected.size() || j < seen.size()) {
        const Entry* want = i < expected.size() ? &expected[i] : nullptr;
        const Entry* got = j < seen.size() ? &seen[j] : nullptr;
        if (same && want && got && Matches(*want, *got, subject)) {
            rows.push_back({want, got, false});
            ++i, ++j;
        } else if (same && want && (want->flags & OPTIONAL_ENTRY)) {
            rows.push_back({want, nullptr, false});
            ++i;
        } else {
            same = false;
            rows.push_back({want, got, !want || !got || !Matches(*want, *got, subject)});
            i += want != nullptr;
            j += got != nullptr;
        }
    }
    Comparison comparison = {same, "", table.file, table.line};
    if (same)
        return comparison;
    std::vector<std::string> left;
    size_t width = 8;
    for (const Row& row : rows) {
        left.push_back(row.expected ? Describe(*row.expected, true) : "");
        width = std::max(width, left.back().size());
    }
    std::string report = "the recorded sequence differs from the table written here:\n";
    report += "       " + std::string("expected").append(width - 6, ' ') + "recorded\n";
    for (size_t row = 0; row < rows.size(); ++row) {
        left[row].append(width - left[row].size(), ' ');
        char number[16];
        std::snprintf(number, sizeof number, "%s %3zu  ", rows[row].differs ? "!" : " ", row);
        report += number + left[row] + "  " +
                  (rows[row].seen ? Describe(*rows[row].seen, false) : std::string()) + "\n";
    }
    comparison.report = report;
    return comparison;
}

} // namespace

Recorder::~Recorder() {
    for (HWND window : subclassed) {
        const auto found = recordings.find(window);
        if (found == recordings.end() || found->second.recorder != this)
            continue;
        if (found->second.original && IsWindow(window))
            SetWindowLongPtrA(window, GWLP_WNDPROC,
                              reinterpret_cast<LONG_PTR>(found->second.original));
        recordings.erase(found);
    }
}

HWND Recorder::CreateParent(int x, int y, int width, int height) {
    static const char* const className = "MessageSequenceParent";
    static bool registered = false;
    if (!registered) {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = RecordingProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        windowClass.lpszClassName = className;
        registered = RegisterClassA(&windowClass) != 0;
    }
    HWND parent = CreateWindowA(className, "parent", WS_POPUP | WS_VISIBLE, x, y, width, height,
                                nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    UpdateWindow(parent);
    recordings[parent] = {this, nullptr, IsNotification};
    subclassed.push_back(parent);
    return parent;
}

void Recorder::Subclass(HWND window, bool (*wanted)(UINT message)) {
    const WNDPROC original = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordingProc)));
    recordings[window] = {this, original, wanted};
    subclassed.push_back(window);
}

std::vector<LumoSimCall> DriverLog(const LumoSim& sim) {
    std::vector<LumoSimCall> calls(static_cast<size_t>(sim.LogCount()));
    for (size_t index = 0; index < calls.size(); ++index)
        sim.LogEntry(static_cast<int32_t>(index), &calls[index]);
    return calls;
}

Comparison Compare(const Recorder& recorder, const Table<Message>& expected) {
    return CompareEntries(recorder.messages, expected, recorder.subject);
}

Comparison Compare(const std::vector<LumoSimCall>& seen, const Table<Call>& expected) {
    std::vector<Call> calls;
    for (const LumoSimCall& call : seen)
        calls.push_back({call.entry, call.slot, call.port, call.data, call.result, 0});
    return CompareEntries(calls, expected, nullptr);
}

} // namespace msgseq
