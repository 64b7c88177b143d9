// lumo31a-sim: the simulated boards of the session from a shell, while any host runs. One line
// per fact, in a fixed format a script can parse; exit status 0 on success, 1 when the boards
// cannot be reached or the command fails, 2 for a usage error. The tool never makes a bench: it
// attaches to the one the first process that loaded the simulated driver made.
#include "sim/boards/SharedBoards.h"
#include "sim/driver/LumoSimControl.h"
#include "sim/host/window/BoardPanel.h"
#include "sim/host/support/Console.h"
#include "sim/host/support/TextCodes.h"
#include "sim/tool/ToolSupport.h"

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

using namespace lumosim;
using namespace lumotool;
using standin::ConsolePrintf;

namespace {

struct Command {
    const char* name;
    const char* usage; // after "lumo31a-sim NAME"
    const char* help;
    int (*run)(const Arguments& arguments);
};

int Slot(const std::string& text) {
    return int(Number(text, BOARD_SLOTS - 1, "slot (0 to 15)"));
}

int Port(const std::string& text) {
    return int(Number(text, BOARD_PORTS - 1, "port (0 to 3)"));
}

std::string Bits(uint32_t byte) {
    std::string bits;
    for (int bit = 7; bit >= 0; --bit)
        bits += (byte >> bit) & 1 ? '1' : '0';
    return bits;
}

bool Configured(const BoardsRecord& record, int slot) {
    return record.setup.boards[slot].configured;
}

int NoBoard(int slot) {
    Complain("no board in slot " + std::to_string(slot));
    return FAILED;
}

std::string SourceText(const InputSetup& input) {
    switch (input.source) {
    case Source::Counter:
        return standin::FormatText("counter start=0x%02X step=%u", input.value, input.step);
    case Source::Square:
        return standin::FormatText("square base=0x%02X bits=0x%02X period=%u", input.value,
                                   input.bits, input.period);
    case Source::Wire:
        return standin::FormatText("wire %d %d", input.wireSlot, input.wirePort);
    default:
        return standin::FormatText("constant 0x%02X", input.value);
    }
}

std::string FaultText(const FaultSetup& fault) {
    switch (fault.mode) {
    case FaultMode::Always:
        return standin::FormatText("always code=%d", fault.code);
    case FaultMode::Nth:
        return standin::FormatText("nth=%u burst=%u code=%d", fault.nth, fault.burst, fault.code);
    case FaultMode::Every:
        return standin::FormatText("every=%u burst=%u code=%d", fault.every, fault.burst,
                                   fault.code);
    case FaultMode::Probability:
        return standin::FormatText("probability=%g seed=%llu code=%d", fault.probability,
                                   static_cast<unsigned long long>(fault.seed), fault.code);
    default:
        return std::string();
    }
}

// ---- Commands ----------------------------------------------------------------------------------

int Info(const Arguments& arguments) {
    NeedCount(arguments, 0, 0);
    BoardsRecord& record = Boards();
    BoardsLock lock(record);
    ConsolePrintf("bench %s\n", standin::WideToUtf8(BenchName()).c_str());
    ConsolePrintf("version %s\n", OwnVersion().c_str());
    ConsolePrintf("origin %s\n", standin::WideToUtf8(OriginOf(record)).c_str());
    for (int slot = 0; slot < BOARD_SLOTS; ++slot) {
        const BoardSetup& setup = record.setup.boards[slot];
        const BoardState& board = record.boards[slot];
        if (!setup.configured)
            continue;
        ConsolePrintf("board %d %s %s address 0x%X length %u switch %u\n", slot,
                      board.inserted ? "present" : "pulled", board.open ? "open" : "closed",
                      setup.address, setup.length, setup.switchValue);
        for (int port = 0; port < BOARD_PORTS; ++port) {
            const PortState& state = board.ports[port];
            if (state.outputLatch < 0)
                ConsolePrintf("out %d %d none writes 0\n", slot, port);
            else
                ConsolePrintf("out %d %d 0x%02X writes %u\n", slot, port, state.outputLatch & 0xFF,
                              state.outputWrites);
            std::string forced;
            if (state.forceMask & 0xFF)
                forced = standin::FormatText(" forced 0x%02X mask 0x%02X",
                                             state.forceValue & state.forceMask & 0xFF,
                                             state.forceMask & 0xFF);
            ConsolePrintf("in %d %d 0x%02X %s%s\n", slot, port, CurrentInput(record, slot, port),
                          SourceText(setup.inputs[port]).c_str(), forced.c_str());
            for (int direction = 0; direction < DIRECTIONS; ++direction) {
                const std::string fault = FaultText(setup.faults[port][direction]);
                if (!fault.empty())
                    ConsolePrintf("fault %d %d %s %s calls %u\n", slot, port,
                                  direction == DIR_IN ? "in" : "out", fault.c_str(),
                                  state.calls[direction]);
            }
        }
    }
    ConsolePrintf("overlaps %d\n", record.overlaps);
    ConsolePrintf("events %u\n", record.eventCount);
    uint32_t recorders = 0;
    for (uint32_t process : record.accesses.recorders)
        recorders += process && ProcessRuns(process);
    ConsolePrintf("recorders %u\n", recorders);
    for (uint32_t process : record.processes)
        if (process && ProcessRuns(process))
            ConsolePrintf("process %u\n", process);
    return OK;
}

int Get(const Arguments& arguments) {
    NeedCount(arguments, 3, 3);
    const int slot = Slot(arguments[0]);
    if (arguments[1] != "in" && arguments[1] != "out")
        throw Usage{"bad direction '" + arguments[1] + "' (in or out)"};
    const int port = Port(arguments[2]);
    BoardsRecord& record = Boards();
    BoardsLock lock(record);
    if (!Configured(record, slot))
        return NoBoard(slot);
    int32_t byte = arguments[1] == "in" ? CurrentInput(record, slot, port)
                                        : record.boards[slot].ports[port].outputLatch;
    if (byte < 0) {
        ConsolePrintf("none\n");
        return OK;
    }
    ConsolePrintf("0x%02X %s\n", byte & 0xFF, Bits(uint32_t(byte & 0xFF)).c_str());
    return OK;
}

int Force(const Arguments& given) {
    Arguments arguments = given;
    std::string maskText = "0xFF";
    TakeOption(arguments, "--mask", maskText);
    NeedCount(arguments, 3, 3);
    const int slot = Slot(arguments[0]), port = Port(arguments[1]);
    const uint32_t value = Number(arguments[2], 255, "value (0 to 0xFF)");
    const uint32_t mask = Number(maskText, 255, "mask (0 to 0xFF)");
    BoardsRecord& record = Boards();
    BoardsLock lock(record);
    if (!ForcePort(record, slot, port, int32_t(value), int32_t(mask)))
        return NoBoard(slot);
    ConsolePrintf("forced %d %d 0x%02X mask 0x%02X\n", slot, port, value & mask, mask);
    return OK;
}

int Unforce(const Arguments& arguments) {
    NeedCount(arguments, 2, 2);
    const int slot = Slot(arguments[0]), port = Port(arguments[1]);
    BoardsRecord& record = Boards();
    BoardsLock lock(record);
    if (!UnforcePort(record, slot, port))
        return NoBoard(slot);
    ConsolePrintf("unforced %d %d\n", slot, port);
    return OK;
}

int Present(const Arguments& arguments, bool inserted) {
    NeedCount(arguments, 1, 1);
    const int slot = Slot(arguments[0]);
    BoardsRecord& record = Boards();
    BoardsLock lock(record);
    if (!SetPresent(record, slot, inserted))
        return NoBoard(slot);
    ConsolePrintf("%s %d\n", inserted ? "inserted" : "pulled", slot);
    return OK;
}

int Pull(const Arguments& arguments) {
    return Present(arguments, false);
}

int Insert(const Arguments& arguments) {
    return Present(arguments, true);
}

int Fault(const Arguments& arguments) {
    NeedCount(arguments, 4, 12);
    const int slot = Slot(arguments[0]);
    if (arguments[1] != "*")
        Port(arguments[1]);
    std::string line = "fault";
    for (const std::string& word : arguments)
        line += " " + word;
    // Parsed on its own first, so that a bad line is a usage error whatever the boards hold.
    Setup scratch;
    scratch.boards[slot].configured = true;
    std::string error;
    if (!ParseSetup(line, scratch, error))
        throw Usage{error.substr(error.find(": ") + 2)};
    BoardsRecord& record = Boards();
    BoardsLock lock(record);
    if (!Configured(record, slot))
        return NoBoard(slot);
    if (!ApplyFault(record, line, error)) {
        Complain(error);
        return FAILED;
    }
    ConsolePrintf("%s\n", line.c_str());
    return OK;
}

// Polls the output latches: a change shorter than the poll shows as its last byte.
int Watch(const Arguments& given) {
    Arguments arguments = given;
    std::string countText, secondsText;
    const uint32_t count =
        TakeOption(arguments, "--count", countText) ? Number(countText, 0x7FFFFFFF, "count") : 0;
    const uint32_t seconds =
        TakeOption(arguments, "--seconds", secondsText) ? Number(secondsText, 86400, "seconds") : 0;
    NeedCount(arguments, 0, 2);
    const int onlySlot = arguments.size() > 0 ? Slot(arguments[0]) : -1;
    const int onlyPort = arguments.size() > 1 ? Port(arguments[1]) : -1;
    int32_t last[BOARD_SLOTS][BOARD_PORTS];
    uint32_t startTick;
    BoardsRecord& record = Boards();
    {
        BoardsLock lock(record);
        if (onlySlot >= 0 && !Configured(record, onlySlot))
            return NoBoard(onlySlot);
        for (int slot = 0; slot < BOARD_SLOTS; ++slot)
            for (int port = 0; port < BOARD_PORTS; ++port)
                last[slot][port] = record.boards[slot].ports[port].outputLatch;
        startTick = record.startTick;
    }
    const DWORD began = GetTickCount();
    uint32_t seen = 0;
    while (!seconds || GetTickCount() - began < seconds * 1000) {
        std::string lines;
        {
            BoardsLock lock(record);
            for (int slot = 0; slot < BOARD_SLOTS && !(count && seen >= count); ++slot)
                for (int port = 0; port < BOARD_PORTS && !(count && seen >= count); ++port) {
                    const int32_t now = record.boards[slot].ports[port].outputLatch;
                    if (now == last[slot][port] || (onlySlot >= 0 && slot != onlySlot) ||
                        (onlyPort >= 0 && port != onlyPort))
                        continue;
                    lines += standin::FormatText(
                        "%lu %d %d %s 0x%02X\n",
                        static_cast<unsigned long>(GetTickCount() - startTick), slot, port,
                        last[slot][port] < 0
                            ? "none"
                            : standin::FormatText("0x%02X", last[slot][port] & 0xFF).c_str(),
                        now & 0xFF);
                    last[slot][port] = now;
                    ++seen;
                }
        }
        if (!lines.empty())
            standin::ConsolePrint(lines);
        if (count && seen >= count)
            return OK;
        Sleep(1);
    }
    return OK;
}

// The stand-in host's board panel as a window of its own. It loads the simulated driver beside
// the tool, which makes the bench from its configuration if no process has yet, and keeps the
// boards alive while the window is open.
int Panel(const Arguments& arguments) {
    NeedCount(arguments, 0, 0);
    LumoSim sim{};
    const HMODULE driver = LoadDriverBeside(sim);
    if (!driver)
        return FAILED;
    const HWND panel = standin::MakeBoardPanelWindow(nullptr);
    if (!panel) {
        Complain("cannot make the panel window");
        return FAILED;
    }
    ShowWindow(panel, SW_SHOW);
    MSG message;
    while (IsWindowVisible(panel) && GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    DestroyWindow(panel);
    FreeLibrary(driver);
    return OK;
}

const Command commands[] = {
    {"info", "",
     "Every board: presence, ports (byte and source, forced bits), faults, counters, "
     "the processes attached.",
     Info},
    {"get", "SLOT in|out PORT",
     "The byte an input port reads now, or the last byte written to an output port: 0xNN and "
     "its eight bits (\"none\" before the first write).",
     Get},
    {"force", "SLOT PORT VALUE [--mask MASK]",
     "From now on the input port reads VALUE on the bits of MASK (default 0xFF) and its source "
     "on the others, until unforce.",
     Force},
    {"unforce", "SLOT PORT", "The input port reads its source again.", Unforce},
    {"watch", "[SLOT [PORT]] [--count N] [--seconds S]",
     "One line per change of an output port's byte: milliseconds since the boards were made, "
     "slot, port, old byte, new byte. Until stopped, N changes or S seconds.",
     Watch},
    {"pull", "SLOT", "The board leaves its slot: port calls fail with no board.", Pull},
    {"insert", "SLOT", "The pulled board goes back into its slot.", Insert},
    {"fault",
     "SLOT PORT|* in|out|both none|always|nth=N|every=N|probability=P [burst=K] "
     "[seed=N] [code=N]",
     "Injects port faults as a fault line of the configuration file does; none clears them.",
     Fault},
    {"panel", "",
     "The board panel as a window: lamps, switches (forced bits in orange) and pull/insert "
     "buttons. Makes the boards from the configuration if none run yet, and keeps them while "
     "open.",
     Panel},
    {"record", "FILE [--seconds S] [--bits]",
     "Every port access of every process on the boards from now on, as a value change dump "
     "(VCD) for GTKWave: per port its byte as one 8-bit wire, or with --bits as eight 1-bit "
     "wires for PulseView and sigrok, and a strobe that toggles on each access; external events "
     "as signals of their own. Until stopped (Ctrl+C) or S seconds have passed. Makes the boards "
     "from the configuration if none run yet.",
     Record},
};

void PrintUsage() {
    ConsolePrintf("usage: lumo31a-sim COMMAND [ARGUMENTS] (--help after a command for more)\n"
                  "The simulated boards of bench LUMO31A_SIM_BENCH (default \"default\").\n");
    for (const Command& command : commands)
        ConsolePrintf("  lumo31a-sim %s %s\n", command.name, command.usage);
}

int Run(const Arguments& words) {
    if (words.empty() || words[0] == "--help" || words[0] == "-h") {
        PrintUsage();
        return words.empty() ? USAGE : OK;
    }
    const Command* command = nullptr;
    for (const Command& candidate : commands)
        if (words[0] == candidate.name)
            command = &candidate;
    if (!command) {
        Complain("unknown command '" + words[0] + "' (lumo31a-sim --help lists them)");
        return USAGE;
    }
    const Arguments arguments(words.begin() + 1, words.end());
    for (const std::string& word : arguments)
        if (word == "--help" || word == "-h") {
            ConsolePrintf("usage: lumo31a-sim %s %s\n%s\n", command->name, command->usage,
                          command->help);
            return OK;
        }
    int status;
    try {
        status = command->run(arguments);
    } catch (const Unreachable& failure) {
        Complain(failure.message);
        status = FAILED;
    } catch (const Usage& usage) {
        Complain(std::string(command->name) + ": " + usage.message + "\nusage: lumo31a-sim " +
                 command->name + " " + command->usage);
        status = USAGE;
    }
    LetGoOfBoards();
    return status;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    Arguments words;
    for (int i = 1; i < argc; ++i)
        words.push_back(standin::WideToUtf8(argv[i]));
    return Run(words);
}
