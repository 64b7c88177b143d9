// Parser of the simulated driver's configuration text (format: docs/simulated-driver.md).
#include "sim/boards/SimSetup.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <vector>

namespace lumosim {

const char* DefaultSetupText() {
    return "# Two boards; every input port reads back the output port of the same number.\n"
           "board 0 address=0xD000 length=16 switch=0\n"
           "board 1 address=0xD100 length=16 switch=1\n"
           "input 0 * wire 0 *\n"
           "input 1 * wire 1 *\n";
}

namespace {

using Tokens = std::vector<std::string>;

// A failed line: the message, thrown to the line loop, which adds the line number.
struct LineError {
    std::string message;
};

[[noreturn]] void Fail(const std::string& message) {
    throw LineError{message};
}

Tokens SplitLine(const std::string& line) {
    Tokens tokens;
    std::istringstream stream(line);
    std::string token;
    while (stream >> token)
        tokens.push_back(token);
    return tokens;
}

// What follows the first word of the line, without the blanks around it: a path keeps its
// inner spaces as written.
std::string AfterKeyword(const std::string& line) {
    const char* const blanks = " \t\r\v\f";
    const size_t keyword = line.find_first_not_of(blanks);
    const size_t first = line.find_first_of(blanks, keyword);
    const size_t start = line.find_first_not_of(blanks, first);
    if (start == std::string::npos)
        return std::string();
    return line.substr(start, line.find_last_not_of(blanks) + 1 - start);
}

uint32_t ParseNumber(const std::string& text, uint32_t limit, const char* what) {
    uint32_t value = 0;
    if (!ReadNumber(text, limit, value))
        Fail(std::string("bad ") + what + " '" + text + "'");
    return value;
}

int32_t ParseResult(const std::string& text) {
    if (text == "ok")
        return 1;
    if (text == "fail")
        return 0;
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 0);
    if (text.empty() || *end != '\0')
        Fail("bad result '" + text + "' (ok, fail or a number)");
    return static_cast<int32_t>(value);
}

double ParseProbability(const std::string& text) {
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !(value >= 0.0 && value <= 1.0))
        Fail("bad probability '" + text + "' (0 to 1)");
    return value;
}

// Splits "key=value"; a token without '=' has an empty value.
void SplitKey(const std::string& token, std::string& key, std::string& value) {
    const size_t equals = token.find('=');
    key = token.substr(0, equals);
    value = equals == std::string::npos ? std::string() : token.substr(equals + 1);
}

int ParseSlot(const std::string& text) {
    return static_cast<int>(ParseNumber(text, BOARD_SLOTS - 1, "slot"));
}

int ParsePort(const std::string& text) {
    return static_cast<int>(ParseNumber(text, BOARD_PORTS - 1, "port"));
}

// The ports a line names by its words "<slot> <port|*>" (the second and third): the board's
// setup, and the first port and one past the last.
struct NamedPorts {
    BoardSetup* board;
    int first, last;
};

NamedPorts ParseNamedPorts(const Tokens& tokens, Setup& setup) {
    BoardSetup* board = &setup.boards[ParseSlot(tokens[1])];
    if (tokens[2] == "*")
        return {board, 0, BOARD_PORTS};
    const int port = ParsePort(tokens[2]);
    return {board, port, port + 1};
}

void NeedTokens(const Tokens& tokens, size_t count, const char* usage) {
    if (tokens.size() < count)
        Fail(std::string("usage: ") + usage);
}

BoardSetup FreshBoard(int slot) {
    BoardSetup board;
    board.configured = true;
    board.address = 0xD000u + 0x100u * static_cast<uint32_t>(slot);
    board.length = 16;
    board.switchValue = static_cast<uint32_t>(slot);
    return board;
}

void ParseBoardKey(BoardSetup& board, const std::string& token) {
    std::string key, value;
    SplitKey(token, key, value);
    if (key == "removed" && value.empty())
        board.removed = true;
    else if (key == "present" && value.empty())
        board.removed = false;
    else if (key == "address")
        board.address = ParseNumber(value, 0xFFFFFFFFu, "address");
    else if (key == "length")
        board.length = ParseNumber(value, 0xFFFFFFFFu, "length");
    else if (key == "switch")
        board.switchValue = ParseNumber(value, 0xFFFFFFFFu, "switch value");
    else if (key == "create")
        board.createResult = ParseResult(value);
    else if (key == "resource")
        board.resourceResult = ParseResult(value);
    else if (key == "getswitch")
        board.switchResult = ParseResult(value);
    else if (key == "createslot") {
        board.leaveSlot = true;
        board.createSlot = ParseNumber(value, 0xFFFFFFFFu, "slot value");
    } else
        Fail("unknown board setting '" + token + "'");
}

// board <slot> [setting...]
void ParseBoard(const Tokens& tokens, Setup& setup) {
    NeedTokens(tokens, 2, "board <slot> [setting...]");
    const int slot = ParseSlot(tokens[1]);
    BoardSetup& board = setup.boards[slot];
    if (!board.configured)
        board = FreshBoard(slot);
    for (size_t i = 2; i < tokens.size(); ++i)
        ParseBoardKey(board, tokens[i]);
}

// The source words after "input <slot> <port>"; `port` resolves a wire's "*".
InputSetup ParseSource(const Tokens& tokens, int port) {
    NeedTokens(tokens, 4, "input <slot> <port> constant|counter|square|wire ...");
    InputSetup input;
    const std::string& kind = tokens[3];
    if (kind == "constant") {
        NeedTokens(tokens, 5, "input <slot> <port> constant <byte>");
        input.source = Source::Constant;
        input.value = static_cast<uint8_t>(ParseNumber(tokens[4], 255, "byte"));
        return input;
    }
    if (kind == "wire") {
        NeedTokens(tokens, 6, "input <slot> <port> wire <slot> <port|*>");
        input.source = Source::Wire;
        input.wireSlot = ParseSlot(tokens[4]);
        input.wirePort = tokens[5] == "*" ? port : ParsePort(tokens[5]);
        return input;
    }
    if (kind != "counter" && kind != "square")
        Fail("unknown input source '" + kind + "'");
    input.source = kind == "counter" ? Source::Counter : Source::Square;
    if (input.source == Source::Square)
        input.value = 0;
    for (size_t i = 4; i < tokens.size(); ++i) {
        std::string key, value;
        SplitKey(tokens[i], key, value);
        if (key == "start" && input.source == Source::Counter)
            input.value = static_cast<uint8_t>(ParseNumber(value, 255, "start"));
        else if (key == "step" && input.source == Source::Counter)
            input.step = static_cast<uint8_t>(ParseNumber(value, 255, "step"));
        else if (key == "bits" && input.source == Source::Square)
            input.bits = static_cast<uint8_t>(ParseNumber(value, 255, "bits"));
        else if (key == "base" && input.source == Source::Square)
            input.value = static_cast<uint8_t>(ParseNumber(value, 255, "base"));
        else if (key == "period" && input.source == Source::Square) {
            input.period = ParseNumber(value, 0x7FFFFFFFu, "period");
            if (input.period == 0)
                Fail("bad period '0'");
        } else
            Fail("unknown " + kind + " setting '" + tokens[i] + "'");
    }
    return input;
}

// input <slot> <port|*> <source...>
void ParseInput(const Tokens& tokens, Setup& setup) {
    NeedTokens(tokens, 4, "input <slot> <port|*> <source...>");
    const NamedPorts named = ParseNamedPorts(tokens, setup);
    for (int port = named.first; port < named.last; ++port)
        named.board->inputs[port] = ParseSource(tokens, port);
}

FaultSetup ParseFaultKind(const Tokens& tokens) {
    FaultSetup fault;
    for (size_t i = 4; i < tokens.size(); ++i) {
        std::string key, value;
        SplitKey(tokens[i], key, value);
        if (key == "none" && value.empty())
            fault.mode = FaultMode::None;
        else if (key == "always" && value.empty())
            fault.mode = FaultMode::Always;
        else if (key == "nth") {
            fault.mode = FaultMode::Nth;
            fault.nth = ParseNumber(value, 0xFFFFFFFFu, "call number");
            if (fault.nth == 0)
                Fail("bad call number '0' (counted from 1)");
        } else if (key == "every") {
            fault.mode = FaultMode::Every;
            fault.every = ParseNumber(value, 0xFFFFFFFFu, "call number");
            if (fault.every == 0)
                Fail("bad call number '0' (counted from 1)");
        } else if (key == "burst") {
            fault.burst = ParseNumber(value, 0xFFFFFFFFu, "burst length");
            if (fault.burst == 0)
                Fail("bad burst length '0'");
        } else if (key == "probability") {
            fault.mode = FaultMode::Probability;
            fault.probability = ParseProbability(value);
        } else if (key == "seed")
            fault.seed = ParseNumber(value, 0xFFFFFFFFu, "seed");
        else if (key == "code")
            fault.code = ParseResult(value);
        else
            Fail("unknown fault setting '" + tokens[i] + "'");
    }
    return fault;
}

// fault <slot> <port|*> in|out|both none|always|nth=<n>|every=<n>|probability=<p> [burst=<k>]
//       [seed=<n>] [code=<n>]
void ParseFault(const Tokens& tokens, Setup& setup) {
    NeedTokens(tokens, 5, "fault <slot> <port|*> in|out|both <kind> [seed=<n>] [code=<n>]");
    const NamedPorts named = ParseNamedPorts(tokens, setup);
    const std::string& direction = tokens[3];
    if (direction != "in" && direction != "out" && direction != "both")
        Fail("bad direction '" + direction + "' (in, out or both)");
    const FaultSetup fault = ParseFaultKind(tokens);
    for (int port = named.first; port < named.last; ++port) {
        if (direction != "out")
            named.board->faults[port][DIR_IN] = fault;
        if (direction != "in")
            named.board->faults[port][DIR_OUT] = fault;
    }
}

// `line` is the line without its comment; `tokens` its words.
void ParseLine(const std::string& line, const Tokens& tokens, Setup& setup) {
    const std::string& keyword = tokens[0];
    if (keyword == "board")
        ParseBoard(tokens, setup);
    else if (keyword == "input")
        ParseInput(tokens, setup);
    else if (keyword == "fault")
        ParseFault(tokens, setup);
    else if (keyword == "spin") {
        NeedTokens(tokens, 2, "spin <iterations>");
        setup.spin = ParseNumber(tokens[1], 1000000, "iteration count");
    } else if (keyword == "fast") {
        if (tokens.size() > 2 || (tokens.size() == 2 && tokens[1] != "on" && tokens[1] != "off"))
            Fail("fast takes on or off");
        setup.fast = tokens.size() == 1 || tokens[1] == "on";
    } else if (keyword == "trace") {
        NeedTokens(tokens, 2, "trace <file>");
        setup.tracePath = WideFromUtf8(AfterKeyword(line));
    } else
        Fail("unknown keyword '" + keyword + "'");
}

} // namespace

std::wstring WideFromUtf8(const std::string& utf8) {
    if (utf8.empty())
        return std::wstring();
    const int size = static_cast<int>(utf8.size());
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, &wide[0], length);
    return wide;
}

std::string Utf8FromWide(const std::wstring& wide) {
    if (wide.empty())
        return std::string();
    const int size = static_cast<int>(wide.size());
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, &utf8[0], length, nullptr, nullptr);
    return utf8;
}

bool ParseSetup(const std::string& text, Setup& setup, std::string& error) {
    const char bom[] = "\xEF\xBB\xBF";
    std::istringstream lines(text.compare(0, 3, bom) == 0 ? text.substr(3) : text);
    std::string line;
    int number = 0;
    while (std::getline(lines, line)) {
        ++number;
        line.erase(std::min(line.find('#'), line.size()));
        const Tokens tokens = SplitLine(line);
        if (tokens.empty())
            continue;
        try {
            ParseLine(line, tokens, setup);
        } catch (const LineError& failure) {
            error = "line " + std::to_string(number) + ": " + failure.message;
            return false;
        }
    }
    return true;
}

bool ReadNumber(const std::string& text, uint32_t limit, uint32_t& value) {
    char* end = nullptr;
    const unsigned long long number = std::strtoull(text.c_str(), &end, 0);
    if (text.empty() || *end != '\0' || text[0] == '-' || number > limit)
        return false;
    value = static_cast<uint32_t>(number);
    return true;
}

} // namespace lumosim
