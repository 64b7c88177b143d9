#include "tests/common/VcdReader.h"

#include <algorithm>
#include <sstream>

namespace testsupport {

std::string ReadVcd(const std::string& text, Vcd* vcd) {
    std::istringstream in(text);
    std::string word, timescale;
    while (in >> word && word != "$enddefinitions") {
        std::vector<std::string> words;
        for (std::string next; in >> next && next != "$end";)
            words.push_back(next);
        if (word == "$timescale")
            timescale = words.empty() ? "" : words[0] + (words.size() > 1 ? words[1] : "");
        if (word == "$comment")
            for (const std::string& each : words)
                vcd->comment += (vcd->comment.empty() ? "" : " ") + each;
        if (word == "$var" &&
            (words.size() != 4 || words[0] != "wire" ||
             !vcd->vars.emplace(words[2], Vcd::Var{words[3], std::stoul(words[1])}).second))
            return "bad declaration";
    }
    if (timescale != "1us")
        return "no timescale of 1 us";
    if (!(in >> word) || word != "$end" || !(in >> word) || word != "#0")
        return "no #0";
    uint64_t time = 0;
    std::map<std::string, uint64_t> changedAt;
    while (in >> word) {
        if (word == "$dumpvars" || word == "$end")
            continue;
        if (word[0] == '#') {
            const uint64_t next = std::stoull(word.substr(1));
            if (next < time)
                return "time goes back at " + word;
            time = next;
            continue;
        }
        std::string value = word.substr(0, 1), id = word.substr(1);
        if (word[0] == 'b') {
            value = word.substr(1);
            if (!(in >> id))
                return "a vector without a signal";
        }
        const auto var = vcd->vars.find(id);
        if (var == vcd->vars.end())
            return "undeclared signal " + id;
        if (value.size() != var->second.width ||
            value.find_first_not_of("01x") != std::string::npos)
            return var->second.name + ": \"" + value + "\" for a wire of " +
                   std::to_string(var->second.width);
        if (changedAt.count(id) && changedAt[id] == time && time)
            return var->second.name + " changes twice at #" + std::to_string(time);
        changedAt[id] = time;
        vcd->changes.push_back(Vcd::Change{time, id, value});
    }
    for (const auto& var : vcd->vars)
        if (std::none_of(vcd->changes.begin(), vcd->changes.end(), [&](const Vcd::Change& change) {
                return !change.time && change.id == var.first;
            }))
            return var.second.name + " has no value at #0";
    return "";
}

std::vector<PortAccess> VcdAccesses(const Vcd& vcd) {
    std::map<std::string, std::string> value; // name: value
    std::vector<PortAccess> accesses;
    for (size_t first = 0, end = 0; first < vcd.changes.size(); first = end) {
        const uint64_t time = vcd.changes[first].time;
        for (end = first; end < vcd.changes.size() && vcd.changes[end].time == time; ++end)
            value[vcd.vars.at(vcd.changes[end].id).name] = vcd.changes[end].value;
        for (size_t i = first; i < end && time; ++i) {
            const std::string& name = vcd.vars.at(vcd.changes[i].id).name;
            if (name.size() < 4 || name.substr(name.size() - 4) != "_acc")
                continue;
            const std::string port = name.substr(0, name.size() - 4);
            int byte = 0;
            for (int bit = 7; bit >= 0; --bit) {
                const char digit = value.count(port) ? value[port][7 - bit]
                                                     : value[port + "_" + std::to_string(bit)][0];
                byte = byte << 1 | (digit - '0');
            }
            accesses.push_back(PortAccess{time, port, byte});
        }
    }
    return accesses;
}

std::vector<PortAccess> CsvAccesses(const std::string& csv) {
    std::vector<PortAccess> accesses;
    std::istringstream in(csv);
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> cells;
        std::istringstream row(line);
        for (std::string cell; std::getline(row, cell, ',');)
            cells.push_back(cell);
        if (cells.size() > 7 && (cells[2] == "port_read" || cells[2] == "port_write"))
            accesses.push_back(
                PortAccess{std::stoull(cells[0]),
                           "b" + cells[5] + (cells[2] == "port_read" ? "_in" : "_out") + cells[6],
                           std::stoi(cells[7], nullptr, 16)});
    }
    return accesses;
}

std::vector<std::pair<std::string, int>> Sequence(const std::vector<PortAccess>& accesses) {
    std::vector<std::pair<std::string, int>> sequence;
    for (const PortAccess& access : accesses)
        sequence.emplace_back(access.port, access.byte);
    return sequence;
}

std::map<std::string, std::vector<std::pair<uint64_t, std::string>>> Histories(const Vcd& vcd) {
    std::map<std::string, std::vector<std::pair<uint64_t, std::string>>> histories;
    for (const Vcd::Change& change : vcd.changes)
        histories[vcd.vars.at(change.id).name].emplace_back(change.time, change.value);
    return histories;
}

std::vector<std::string> States(const Vcd& vcd, const std::vector<std::string>& names) {
    std::map<std::string, size_t> column;
    for (const auto& var : vcd.vars)
        for (size_t i = 0; i < names.size(); ++i)
            if (var.second.name == names[i])
                column[var.first] = i;
    std::vector<std::string> states;
    std::string state(names.size(), '0');
    for (size_t i = 0; i < vcd.changes.size(); ++i) {
        const auto found = column.find(vcd.changes[i].id);
        if (found != column.end())
            state[found->second] = vcd.changes[i].value == "1" ? '1' : '0';
        if (i + 1 == vcd.changes.size() || vcd.changes[i + 1].time != vcd.changes[i].time)
            states.push_back(state);
    }
    return states;
}

} // namespace testsupport
