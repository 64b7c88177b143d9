// The run's value change dump, read back by a strict reader of our own: both flavours show the
// CSV trace's accesses in its order with its bytes, and damaged files are refused with a reason.
#include "sim/host/report/Waveform.h"
#include "tests/standin/StandInTestSupport.h"

#include <regex>
#include <sstream>

using namespace standintest;

namespace {

struct Vcd {
    struct Change {
        uint64_t time;
        std::string id, value; // the value: "0", "1", "x" or a vector's bits
    };
    std::map<std::string, std::pair<std::string, size_t>> vars; // id: name, width
    std::vector<Change> changes;
};

// Reads what our writer may write and nothing looser; "" or why the file is refused.
std::string ReadVcd(const std::string& text, Vcd* vcd) {
    std::istringstream in(text);
    std::string word, timescale;
    while (in >> word && word != "$enddefinitions") {
        std::vector<std::string> words;
        for (std::string next; in >> next && next != "$end";)
            words.push_back(next);
        if (word == "$timescale")
            timescale = words.empty() ? "" : words[0] + (words.size() > 1 ? words[1] : "");
        if (word == "$var" &&
            (words.size() != 4 || words[0] != "wire" ||
             !vcd->vars.emplace(words[2], std::make_pair(words[3], std::stoul(words[1]))).second))
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
        if (value.size() != var->second.second ||
            value.find_first_not_of("01x") != std::string::npos)
            return var->second.first + ": \"" + value + "\" for a wire of " +
                   std::to_string(var->second.second);
        if (changedAt.count(id) && changedAt[id] == time && time)
            return var->second.first + " changes twice at #" + std::to_string(time);
        changedAt[id] = time;
        vcd->changes.push_back(Vcd::Change{time, id, value});
    }
    for (const auto& var : vcd->vars)
        if (vcd->changes.empty() ||
            std::none_of(vcd->changes.begin(), vcd->changes.end(), [&](const Vcd::Change& change) {
                return !change.time && change.id == var.first;
            }))
            return var.second.first + " has no value at #0";
    return "";
}

using Access = std::pair<std::string, int>; // port signal, byte

// An access wherever a strobe toggles, with the port's byte from its vector or its eight bits.
std::vector<Access> VcdAccesses(const Vcd& vcd) {
    std::map<std::string, std::string> value; // name: value
    std::vector<Access> accesses;
    for (size_t first = 0, end = 0; first < vcd.changes.size(); first = end) {
        const uint64_t time = vcd.changes[first].time;
        for (end = first; end < vcd.changes.size() && vcd.changes[end].time == time; ++end)
            value[vcd.vars.at(vcd.changes[end].id).first] = vcd.changes[end].value;
        for (size_t i = first; i < end && time; ++i) {
            const std::string& name = vcd.vars.at(vcd.changes[i].id).first;
            if (name.size() < 4 || name.substr(name.size() - 4) != "_acc")
                continue;
            const std::string port = name.substr(0, name.size() - 4);
            int byte = 0;
            for (int bit = 7; bit >= 0; --bit) {
                const char digit = value.count(port) ? value[port][7 - bit]
                                                     : value[port + "_" + std::to_string(bit)][0];
                byte = byte << 1 | (digit - '0');
            }
            accesses.emplace_back(port, byte);
        }
    }
    return accesses;
}

std::vector<Access> CsvAccesses(const std::string& csv) {
    std::vector<Access> accesses;
    std::istringstream in(csv);
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> cells;
        std::istringstream row(line);
        for (std::string cell; std::getline(row, cell, ',');)
            cells.push_back(cell);
        if (cells.size() > 7 && (cells[2] == "port_read" || cells[2] == "port_write"))
            accesses.emplace_back("b" + cells[5] + (cells[2] == "port_read" ? "_in" : "_out") +
                                      cells[6],
                                  std::stoi(cells[7], nullptr, 16));
    }
    return accesses;
}

TEST_F(Loopback, TheRunsValueChangeDumpShowsEveryAccessOfItsTraceAndDamageIsRefused) {
    standin::RunRecorder recorder(true);
    standin::RunSettings settings;
    settings.durationMs = 300;
    std::string refusal;
    ASSERT_TRUE(standin::StartRun(settings, recorder.Hooks(), &refusal)) << refusal;
    // Forced from outside once under way: an event signal of its own besides the accesses.
    standin::ServeRun(
        [](const standin::RunStatus& status) {
            if (status.elapsedMs < 300)
                testsupport::SimulatedDriver().Force(0, 0, 0x5a, 0xFF);
        },
        100);
    const std::vector<Access> traced = CsvAccesses(standin::TraceCsv(recorder));
    ASSERT_GT(traced.size(), 100u);

    std::string vectors;
    for (bool bits : {false, true}) {
        const std::string text = standin::TraceVcd(recorder, bits);
        Vcd vcd;
        ASSERT_EQ(ReadVcd(text, &vcd), "") << "bits " << bits;
        const std::regex byte("b[0-9]+_(in|out)[0-9]+");
        for (const auto& var : vcd.vars)
            EXPECT_EQ(var.second.second,
                      !bits && std::regex_match(var.second.first, byte) ? 8u : 1u)
                << var.second.first;
        EXPECT_EQ(VcdAccesses(vcd), traced) << "bits " << bits;
        EXPECT_NE(text.find(" b0_p0_force $end\n"), std::string::npos);
        if (!bits)
            vectors = text;
    }

    struct Damage {
        const char *find, *put, *reason; // find "": put at the end
    } const damages[] = {
        {"", "#1\n1\"\n", "time goes back at #1"},
        {"", "#99999999\n1~~\n", "undeclared signal ~~"},
        {"bxxxxxxxx ", "bxxxxxxx ", "b0_in0: \"xxxxxxx\" for a wire of 8"},
        {"0\"\n", "", "b0_in0_acc has no value at #0"},
        {"", "#99999999\n1\"\n0\"\n", "b0_in0_acc changes twice at #99999999"},
    };
    for (const Damage& damage : damages) {
        std::string text = vectors;
        if (*damage.find)
            text.replace(text.find(damage.find), strlen(damage.find), damage.put);
        else
            text += damage.put;
        Vcd vcd;
        EXPECT_EQ(ReadVcd(text, &vcd), damage.reason);
    }
}

} // namespace
