// Recorded sequences held against expected tables, in the manner of Wine's conformance tests
// (dlls/comctl32/tests/msg.h). An expected entry names the fields that count and whether it
// may be missing; a recorder collects what windows receive, as their parent or by subclassing
// them; EXPECT_SEQUENCE compares entry by entry and, on a mismatch, reports at the file and
// line of the expected table, with both sequences side by side:
//
//   msgseq::Recorder parent;
//   HWND window = parent.CreateParent(0, 0, 100, 100);
//   ... create a control in it, parent.subject = control, parent.Clear(), act ...
//   EXPECT_SEQUENCE(parent, MESSAGES({WM_COMMAND, CHECK_WPARAM, IDC_LESS}));
//
// The calls the simulated lumo31a.dll logged compare the same way (CALLS, LumoSimLog).
#pragma once

#include "sim/driver/LumoSimControl.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace msgseq {

// Flags of an expected entry. The message number or driver entry always counts.
enum : unsigned {
    CHECK_WPARAM = 1u << 0,
    CHECK_LPARAM = 1u << 1,
    CHECK_ID = 1u << 2,       // the control id of the window that received it
    WPARAM_IS_SELF = 1u << 3, // wParam is the handle of the recorder's subject
    OPTIONAL_ENTRY = 1u << 4, // may be missing from the recorded sequence
    CHECK_SLOT = 1u << 5,     // driver calls: the slot argument
    CHECK_PORT = 1u << 6,     // the port argument
    CHECK_DATA = 1u << 7,     // the data LumoSimCall logs
    CHECK_RESULT = 1u << 8,   // what the entry returned
    CHECK_CALL = CHECK_SLOT | CHECK_PORT | CHECK_DATA | CHECK_RESULT,
};

// A window message as expected, or as a window received it (flags 0).
struct Message {
    UINT message;
    unsigned flags;
    WPARAM wParam;
    LPARAM lParam;
    int id; // of the receiving window
};

// A driver call as expected, or as the simulated driver logged it.
struct Call {
    int32_t entry; // LumoSimEntry
    int32_t slot, port, data, result;
    unsigned flags = CHECK_CALL;
};

// An expected table and where it was written; made by MESSAGES(...) and CALLS(...).
template <typename Entry> struct Table {
    std::vector<Entry> entries;
    const char* file;
    int line;
};
#define MESSAGES(...) (::msgseq::Table<::msgseq::Message>{{__VA_ARGS__}, __FILE__, __LINE__})
#define CALLS(...) (::msgseq::Table<::msgseq::Call>{{__VA_ARGS__}, __FILE__, __LINE__})

// Collects, in order, the messages that its windows receive. Non-copyable: the windows'
// procedures find it by address.
class Recorder {
public:
    Recorder() = default;
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;
    ~Recorder(); // gives subclassed windows their own procedure back

    // A visible top-level window that records what its children send it: WM_COMMAND and every
    // message from WM_USER on.
    HWND CreateParent(int x, int y, int width, int height);
    // Records the messages the window's own procedure receives, those `wanted` accepts (every
    // one when null), until the recorder goes.
    void Subclass(HWND window, bool (*wanted)(UINT message) = nullptr);
    void Clear() { messages.clear(); }

    std::vector<Message> messages;
    HWND subject = nullptr; // the window that WPARAM_IS_SELF entries name

private:
    std::vector<HWND> windows; // recorded by this recorder
};

// The outcome of one comparison: the report of a mismatch and where the table was written.
struct Comparison {
    bool same;
    std::string report; // both sequences side by side when they differ
    const char* file;
    int line;
    explicit operator bool() const { return same; }
};
Comparison Compare(const Recorder& recorder, const Table<Message>& expected);
Comparison Compare(const std::vector<LumoSimCall>& seen, const Table<Call>& expected);

} // namespace msgseq

// Expects the recorded sequence to follow the table; a mismatch is reported at the table's
// file and line. Takes more text with <<, as EXPECT_EQ does.
#define EXPECT_SEQUENCE(seen, expected)                                                            \
    switch (0)                                                                                     \
    case 0:                                                                                        \
    default:                                                                                       \
        if (const ::msgseq::Comparison sequence_ = ::msgseq::Compare(seen, expected))              \
            ;                                                                                      \
        else                                                                                       \
            ADD_FAILURE_AT(sequence_.file, sequence_.line)                                         \
                << sequence_.report << "(checked at " << __FILE__ << ":" << __LINE__ << ")\n"
