// What the commands of lumo31a-sim share: their arguments, how they fail, and the boards.
#pragma once

#include "sim/boards/SharedBoards.h"
#include "sim/driver/LumoSimControl.h"

#include <cstdint>
#include <string>
#include <vector>

namespace lumotool {

enum : int { OK = 0, FAILED = 1, USAGE = 2 };

using Arguments = std::vector<std::string>;

// One line on the standard error, after "lumo31a-sim: ".
void Complain(const std::string& message);

// A usage error: thrown from a command's parsing, before it reaches the boards.
struct Usage {
    std::string message;
};

// The boards cannot be reached: thrown by Boards().
struct Unreachable {
    std::string message;
};

// The bench's record, reached on first use: after a command has checked its arguments.
lumosim::BoardsRecord& Boards();
// Whether a bench runs now, without making one.
bool BoardsRun();
void LetGoOfBoards();

// The simulated driver beside the tool, loaded (it makes the bench from its configuration when
// none runs yet) and connected; null, having complained, when there is none.
HMODULE LoadDriverBeside(LumoSim& sim);

uint32_t Number(const std::string& text, uint32_t limit, const char* what);
void NeedCount(const Arguments& arguments, size_t least, size_t most);
// The value following an option such as --mask, taken out of the arguments.
bool TakeOption(Arguments& arguments, const char* option, std::string& value);
// A flag such as --bits, taken out of the arguments.
bool TakeFlag(Arguments& arguments, const char* flag);

int Record(const Arguments& arguments);

} // namespace lumotool
