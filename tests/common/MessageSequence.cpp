#include "tests/common/MessageSequence.h"

#include "sim/host/support/Console.h"
#include "ui/ChannelControls.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <map>

namespace msgseq {

namespace {

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
    const Recording recording = found != recordings.end() ? found->second : Recording{};
    if (recording.recorder && (!recording.wanted || recording.wanted(message)))
        recording.recorder->messages.push_back({message, 0, wParam, lParam, GetDlgCtrlID(window)});
    if (!recording.original)
        return DefWindowProcA(window, message, wParam, lParam);
    return CallWindowProcA(recording.original, window, message, wParam, lParam);
}

// An expected entry shows "*" for a field that does not count; a recorded one shows them all.
std::string Describe(const Message& entry, bool expected) {
    static const std::map<UINT, const char*> names = {{WM_COMMAND, "WM_COMMAND"},
                                                      {WM_SETFONT, "WM_SETFONT"},
                                                      {CTLM_SETSTATE, "CTLM_SETSTATE"},
                                                      {CTLM_CHANNELDOWN, "CTLM_CHANNELDOWN"},
                                                      {CTLM_CHANNELUP, "CTLM_CHANNELUP"},
                                                      {CTLM_CHANNELDBLCLK, "CTLM_CHANNELDBLCLK"},
                                                      {CTLM_CHANNELRDBLCLK, "CTLM_CHANNELRDBLCLK"},
                                                      {CTLM_DESELECT, "CTLM_DESELECT"}};
    const auto name = names.find(entry.message);
    const auto field = [&](unsigned flag, unsigned long long value) {
        return !expected || (entry.flags & flag) ? standin::FormatText("%#llx", value)
                                                 : std::string("*");
    };
    std::string text =
        name != names.end() ? name->second : standin::FormatText("message %u", entry.message);
    text += " " + (expected && (entry.flags & WPARAM_IS_SELF) ? std::string("self")
                                                              : field(CHECK_WPARAM, entry.wParam));
    text += " " + field(CHECK_LPARAM, entry.lParam);
    if (expected ? (entry.flags & CHECK_ID) != 0 : entry.id != 0)
        text += standin::FormatText(" #%d", entry.id);
    return text + (entry.flags & OPTIONAL_ENTRY ? " (optional)" : "");
}

std::string Describe(const Call& entry, bool expected) {
    const auto field = [&](unsigned flag, const char* format, int32_t value) {
        return !expected || (entry.flags & flag) ? standin::FormatText(format, value)
                                                 : std::string("*");
    };
    return std::string(LumoSimEntryName(entry.entry)) + "(slot " +
           field(CHECK_SLOT, "%d", entry.slot) + ", port " + field(CHECK_PORT, "%d", entry.port) +
           ", data " + field(CHECK_DATA, "%#x", entry.data) + ") -> " +
           field(CHECK_RESULT, "%d", entry.result) +
           (entry.flags & OPTIONAL_ENTRY ? " (optional)" : "");
}

// Whether a field counts and differs.
template <typename T> bool Differs(unsigned flags, unsigned flag, T expected, T seen) {
    return (flags & flag) && expected != seen;
}

bool Matches(const Message& expected, const Message& seen, HWND subject) {
    const unsigned f = expected.flags;
    const WPARAM wParam = f & WPARAM_IS_SELF ? reinterpret_cast<WPARAM>(subject) : expected.wParam;
    return expected.message == seen.message &&
           !Differs(f, CHECK_WPARAM | WPARAM_IS_SELF, wParam, seen.wParam) &&
           !Differs(f, CHECK_LPARAM, expected.lParam, seen.lParam) &&
           !Differs(f, CHECK_ID, expected.id, seen.id);
}

bool Matches(const Call& expected, const Call& seen, HWND) {
    const unsigned f = expected.flags;
    return expected.entry == seen.entry && !Differs(f, CHECK_SLOT, expected.slot, seen.slot) &&
           !Differs(f, CHECK_PORT, expected.port, seen.port) &&
           !Differs(f, CHECK_DATA, expected.data, seen.data) &&
           !Differs(f, CHECK_RESULT, expected.result, seen.result);
}

// Walks both sequences: matching entries pair up, a missing optional entry is passed over;
// from the first mismatch on, the rest is paired row by row, each differing row marked "!".
template <typename Entry>
Comparison CompareEntries(const std::vector<Entry>& seen, const Table<Entry>& table, HWND subject) {
    const std::vector<Entry>& expected = table.entries;
    std::vector<std::string> left, right, marks;
    bool same = true;
    for (size_t i = 0, j = 0; i < expected.size() || j < seen.size();) {
        const Entry* want = i < expected.size() ? &expected[i] : nullptr;
        const Entry* got = j < seen.size() ? &seen[j] : nullptr;
        const bool match = want && got && Matches(*want, *got, subject);
        const bool skip = same && !match && want && (want->flags & OPTIONAL_ENTRY);
        same = same && (match || skip);
        left.push_back(want ? Describe(*want, true) : "");
        right.push_back(got && !skip ? Describe(*got, false) : "");
        marks.push_back(match || skip ? " " : "!");
        i += want != nullptr;
        j += got && !skip;
    }
    Comparison comparison = {same, "", table.file, table.line};
    if (same)
        return comparison;
    size_t width = 8;
    for (const std::string& text : left)
        width = std::max(width, text.size());
    comparison.report = "the recorded sequence differs from the table written here:\n       " +
                        std::string("expected").append(width - 6, ' ') + "recorded\n";
    for (size_t row = 0; row < left.size(); ++row)
        comparison.report += standin::FormatText("%s %3d  ", marks[row].c_str(), int(row)) +
                             left[row].append(width - left[row].size(), ' ') + "  " + right[row] +
                             "\n";
    return comparison;
}

} // namespace

Recorder::~Recorder() {
    for (HWND window : windows) {
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
    static const bool registered = [] {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = RecordingProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        windowClass.lpszClassName = className;
        return RegisterClassA(&windowClass) != 0;
    }();
    HWND parent = registered
                      ? CreateWindowA(className, "parent", WS_POPUP | WS_VISIBLE, x, y, width,
                                      height, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr)
                      : nullptr;
    UpdateWindow(parent);
    recordings[parent] = {this, nullptr, IsNotification};
    windows.push_back(parent);
    return parent;
}

void Recorder::Subclass(HWND window, bool (*wanted)(UINT message)) {
    const WNDPROC original = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordingProc)));
    recordings[window] = {this, original, wanted};
    windows.push_back(window);
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
