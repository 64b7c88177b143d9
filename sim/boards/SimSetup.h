// The simulated boards as a configuration describes them, and the parser of that text.
#pragma once

#include "sim/driver/LumoSimControl.h"

#include <cstdint>
#include <string>

namespace lumosim {

enum : int { DIR_IN = 0, DIR_OUT = 1, DIRECTIONS = 2 };

// Where an input port's byte comes from.
enum class Source { Constant, Counter, Square, Wire };

struct InputSetup {
    Source source = Source::Constant;
    uint8_t value = 0;              // constant byte; counter start; square wave's other bits
    uint8_t step = 1;               // counter: added per read
    uint8_t bits = 0;               // square wave: the bits that toggle
    uint32_t period = 2;            // square wave: reads per full period
    int wireSlot = 0, wirePort = 0; // wire: the output port read back
};

enum class FaultMode { None, Always, Nth, Every, Probability };

struct FaultSetup {
    FaultMode mode = FaultMode::None;
    uint32_t nth = 0;         // Nth: the call that fails, counted from 1
    uint32_t every = 0;       // Every: calls every, 2 every, ... fail
    uint32_t burst = 1;       // Nth, Every: so many calls in a row fail from each of those
    double probability = 0.0; // Probability: chance of each call to fail
    uint64_t seed = 1;        // Probability: start of the pseudo-random sequence
    int32_t code = LUMO_SIM_ERR_INJECTED;
};

struct BoardSetup {
    bool configured = false; // a board sits in the slot (possibly removed)
    bool removed = false;    // configured but pulled out at start
    int32_t createResult = 1;
    int32_t resourceResult = 1;
    int32_t switchResult = 1;
    bool leaveSlot = false; // Lumo31aCreate leaves createSlot in the caller's variable
    uint32_t createSlot = 0;
    uint32_t address = 0; // I/O port base address in the resource record
    uint32_t length = 0;  // I/O port range length in the resource record
    uint32_t switchValue = 0;
    InputSetup inputs[BOARD_PORTS];
    FaultSetup faults[BOARD_PORTS][DIRECTIONS];
};

struct Setup {
    BoardSetup boards[BOARD_SLOTS];
    uint32_t spin = 200;    // busy-wait iterations inside each port call
    bool fast = false;      // port calls: no log, no trace, no busy wait, no lock of the driver's
    std::wstring tracePath; // trace file named by the configuration, if any (UTF-16)
};

// Two boards, each input port reading back the output port of the same number.
const char* DefaultSetupText();

// UTF-8 text as UTF-16: the one way a path written in the configuration reaches the file
// functions. Bytes that are not UTF-8 become U+FFFD.
std::wstring WideFromUtf8(const std::string& utf8);
// UTF-16 as UTF-8, for the trace file and messages written as bytes.
std::string Utf8FromWide(const std::wstring& wide);

// Applies the lines of `text` (UTF-8, a leading byte order mark ignored) onto `setup`. False
// on the first bad line, with `error` (UTF-8) saying which; `setup` may then be half changed,
// so callers parse into a copy.
bool ParseSetup(const std::string& text, Setup& setup, std::string& error);

// A whole number of at most `limit`, decimal or 0x hexadecimal, with nothing else around it.
bool ReadNumber(const std::string& text, uint32_t limit, uint32_t& value);

} // namespace lumosim
