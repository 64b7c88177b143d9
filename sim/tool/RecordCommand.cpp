// lumo31a-sim record: the bench's port accesses, taken from the ring the driver of every process
// fills, and its external events, merged in the order they happened into a value change dump.
#include "sim/host/report/Waveform.h"
#include "sim/host/support/Console.h"
#include "sim/host/support/TextCodes.h"
#include "sim/tool/ToolSupport.h"

#include <deque>

using namespace lumosim;

namespace lumotool {

namespace {

constexpr DWORD POLL_MS = 5;

volatile LONG stopAsked = 0;

BOOL WINAPI OnConsoleControl(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        return FALSE;
    InterlockedExchange(&stopAsked, 1);
    return TRUE;
}

// The recording so far: the dump and what it counted.
struct Recording {
    explicit Recording(bool bits) : dump(bits) {}
    standin::VcdWriter dump;
    int64_t start = 0, frequency = 1; // QueryPerformanceCounter at the start, and its rate
    uint32_t startTick = 0;
    uint64_t accesses = 0, events = 0, eventsLost = 0;
    uint32_t nextEvent = 0;           // events before this number were taken or lost
    std::deque<LumoSimEvent> pending; // events taken whose accesses are not all taken yet
};

int64_t Microseconds(const Recording& recording, int64_t counter) {
    const int64_t ticks = counter - recording.start;
    if (ticks <= 0)
        return 0;
    return ticks / recording.frequency * 1000000 +
           ticks % recording.frequency * 1000000 / recording.frequency;
}

void PutEvent(Recording& recording, const LumoSimEvent& event) {
    recording.dump.At(Microseconds(recording, event.time));
    recording.dump.Toggle(recording.dump.Named(standin::EventSignalName(event)));
    ++recording.events;
}

// The events since the last poll, kept until the accesses before them are in the dump.
void TakeEvents(Recording& recording, BoardsRecord& record) {
    BoardsLock lock(record);
    const uint32_t count = record.eventCount;
    for (; recording.nextEvent != count; ++recording.nextEvent) {
        LumoSimEvent event;
        if (EventAt(record, recording.nextEvent + 1, event))
            recording.pending.push_back(event);
        else
            ++recording.eventsLost;
    }
}

// The pending events that happened before access number `before` (all with `all`).
void PutEventsBefore(Recording& recording, uint32_t before, bool all = false) {
    while (!recording.pending.empty() &&
           (all || int32_t(recording.pending.front().accesses - before) < 0)) {
        PutEvent(recording, recording.pending.front());
        recording.pending.pop_front();
    }
}

// Accesses and events in the order they happened: an event goes before the first access the
// ring numbered after it.
void PutAccesses(Recording& recording, const std::vector<BoardsAccess>& accesses, uint32_t noted) {
    for (const BoardsAccess& access : accesses) {
        PutEventsBefore(recording, access.number);
        recording.dump.At(Microseconds(recording, access.time));
        recording.dump.Access(
            recording.dump.Port(access.slot, access.direction == DIR_OUT, access.port),
            access.byte);
        ++recording.accesses;
    }
    // The rest once every access before them has been taken or lost.
    PutEventsBefore(recording, noted + 1);
}

} // namespace

int Record(const Arguments& given) {
    Arguments arguments = given;
    std::string secondsText;
    const uint32_t seconds = TakeOption(arguments, "--seconds", secondsText)
                                 ? Number(secondsText, 864000, "seconds")
                                 : 0;
    const bool bits = TakeFlag(arguments, "--bits");
    NeedCount(arguments, 1, 1);
    const std::wstring path = standin::Utf8ToWide(arguments[0]);

    // With no boards running yet, the driver beside the tool makes them, as the panel does.
    LumoSim sim{};
    HMODULE driver = nullptr;
    if (!BoardsRun() && !(driver = LoadDriverBeside(sim)))
        return FAILED;
    BoardsRecord& record = Boards();
    Recording recording(bits);
    AccessReader reader;
    {
        BoardsLock lock(record);
        if (!StartRecording(record.accesses, reader)) {
            Complain("record: " + std::to_string(ACCESS_RECORDERS) + " recorders already listen");
            if (driver)
                FreeLibrary(driver);
            return FAILED;
        }
        LARGE_INTEGER counter, frequency;
        QueryPerformanceFrequency(&frequency);
        QueryPerformanceCounter(&counter);
        recording.start = counter.QuadPart;
        recording.frequency = frequency.QuadPart > 0 ? frequency.QuadPart : 1;
        recording.startTick = GetTickCount();
        recording.nextEvent = record.eventCount;
    }
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
    standin::ConsolePrintf("recording %s\n", arguments[0].c_str());

    std::vector<BoardsAccess> accesses;
    const DWORD began = GetTickCount();
    for (bool last = false; !last;) {
        last = stopAsked || (seconds && GetTickCount() - began >= seconds * 1000);
        if (!last)
            Sleep(POLL_MS);
        if (last) {
            BoardsLock lock(record);
            StopRecording(record.accesses);
        }
        // Events first: an access the ring numbered before an event is then taken with it.
        TakeEvents(recording, record);
        accesses.clear();
        TakeAccesses(record.accesses, reader, accesses);
        PutAccesses(recording, accesses, reader.next);
    }
    PutEventsBefore(recording, 0, true);

    LARGE_INTEGER end;
    QueryPerformanceCounter(&end);
    recording.dump.End(Microseconds(recording, end.QuadPart));
    const std::string comment = standin::FormatText(
        "lumo31a-sim record, bench %s, start tick %u, %llu accesses, %u lost, %llu events, "
        "%llu events lost",
        standin::WideToUtf8(BenchName()).c_str(), recording.startTick,
        static_cast<unsigned long long>(recording.accesses), reader.lost,
        static_cast<unsigned long long>(recording.events),
        static_cast<unsigned long long>(recording.eventsLost));
    std::string error;
    const bool saved = recording.dump.Save(path, comment, &error);
    if (driver)
        FreeLibrary(driver);
    if (!saved) {
        Complain(error);
        return FAILED;
    }
    standin::ConsolePrintf("recorded %s accesses %llu events %llu lost %u\n", arguments[0].c_str(),
                           static_cast<unsigned long long>(recording.accesses),
                           static_cast<unsigned long long>(recording.events), reader.lost);
    if (reader.lost || recording.eventsLost)
        Complain(standin::FormatText(
            "record: the recorder fell behind: %u accesses and %llu events were lost", reader.lost,
            static_cast<unsigned long long>(recording.eventsLost)));
    return OK;
}

} // namespace lumotool
