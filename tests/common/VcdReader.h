// A strict reader of value change dumps, of our own: it takes what our writers may write (and a
// viewer's conversion writes back) and nothing looser, and lays the accesses of the ports out
// for comparison with the run's CSV trace and with what the viewers' tools read.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

struct Vcd {
    struct Var {
        std::string name;
        size_t width;
    };
    struct Change {
        uint64_t time;
        std::string id, value; // the value: "0", "1", "x" or a vector's bits
    };
    std::string comment;
    std::map<std::string, Var> vars; // by identifier code
    std::vector<Change> changes;
};

// "" or why the file is refused: a time going back, an undeclared signal, a value of the wrong
// width, a signal without a value at #0 or changed twice at one time.
std::string ReadVcd(const std::string& text, Vcd* vcd);

// An access wherever a port's strobe `<port>_acc` toggles, with the port's byte from its vector
// or its eight bits then; or a port access of a CSV trace, its time the tick.
struct PortAccess {
    uint64_t time;
    std::string port; // b<slot>_in<port> or b<slot>_out<port>
    int byte;
};
std::vector<PortAccess> VcdAccesses(const Vcd& vcd);
std::vector<PortAccess> CsvAccesses(const std::string& csv);
// Ports and bytes in order, without the times.
std::vector<std::pair<std::string, int>> Sequence(const std::vector<PortAccess>& accesses);

// Per signal name, its values in order with their times (#0 first).
std::map<std::string, std::vector<std::pair<uint64_t, std::string>>> Histories(const Vcd& vcd);

// The states of the named 1-bit signals at each time of the dump, in order: one character per
// signal, unknown as 0, as a logic analyser keeps them.
std::vector<std::string> States(const Vcd& vcd, const std::vector<std::string>& names);

} // namespace testsupport
