#include "sim/tool/ToolSupport.h"

#include "sim/host/support/TextCodes.h"

#include <algorithm>
#include <cstdio>

using namespace lumosim;

namespace lumotool {

namespace {

Bench bench;

} // namespace

void Complain(const std::string& message) {
    const std::string line = "lumo31a-sim: " + message + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

BoardsRecord& Boards() {
    if (!bench.record) {
        std::wstring message;
        if (AttachBench(BenchName(), false, bench, message) != AttachResult::Attached)
            throw Unreachable{standin::WideToUtf8(message)};
    }
    return *bench.record;
}

bool BoardsRun() {
    if (bench.record)
        return true;
    std::wstring message;
    return AttachBench(BenchName(), false, bench, message) != AttachResult::Missing;
}

void LetGoOfBoards() {
    DetachBench(bench);
}

HMODULE LoadDriverBeside(LumoSim& sim) {
    std::wstring path(MAX_PATH, L'\0');
    path.resize(GetModuleFileNameW(nullptr, &path[0], DWORD(path.size())));
    path = path.substr(0, path.find_last_of(L"\\/") + 1) + L"" LUMO_DRIVER_FILE_NAME;
    const HMODULE driver = LoadLibraryW(path.c_str());
    if (!driver || !LumoSimConnect(sim, driver)) {
        if (driver)
            FreeLibrary(driver);
        Complain("no simulated driver beside lumo31a-sim: " + standin::WideToUtf8(path));
        return nullptr;
    }
    const std::wstring error = LumoSimText(sim.ConfigError);
    if (!error.empty())
        Complain(standin::WideToUtf8(error));
    return driver;
}

uint32_t Number(const std::string& text, uint32_t limit, const char* what) {
    uint32_t value = 0;
    if (!ReadNumber(text, limit, value))
        throw Usage{std::string("bad ") + what + " '" + text + "'"};
    return value;
}

void NeedCount(const Arguments& arguments, size_t least, size_t most) {
    if (arguments.size() < least)
        throw Usage{"too few arguments"};
    if (arguments.size() > most)
        throw Usage{"unexpected argument '" + arguments[most] + "'"};
}

bool TakeOption(Arguments& arguments, const char* option, std::string& value) {
    for (size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] != option)
            continue;
        if (i + 1 >= arguments.size())
            throw Usage{std::string(option) + " needs a value"};
        value = arguments[i + 1];
        arguments.erase(arguments.begin() + long(i), arguments.begin() + long(i) + 2);
        return true;
    }
    return false;
}

bool TakeFlag(Arguments& arguments, const char* flag) {
    const auto found = std::find(arguments.begin(), arguments.end(), flag);
    if (found == arguments.end())
        return false;
    arguments.erase(found);
    return true;
}

} // namespace lumotool
