// What the viewers' own tools read of the recordings (tests/liveboards/viewers-read.py runs
// them and then these cases): sigrok-cli sees each time of a bits recording as the state of
// its 1-bit wires, and GTKWave's conversion keeps every signal's changes with their times.
#include "tests/common/TestSupport.h"
#include "tests/common/VcdReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

using namespace testsupport;

namespace {

// sigrok-cli's channel names and its rows of samples (changes only), as "0101..." each.
void ReadSigrokCsv(const std::string& text, std::vector<std::string>* names,
                   std::vector<std::string>* rows) {
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        const std::string channels = "; Channels (";
        if (line.compare(0, channels.size(), channels) == 0) {
            std::istringstream list(line.substr(line.find("): ") + 3));
            for (std::string name; std::getline(list, name, ',');)
                names->push_back(name.substr(name.find_first_not_of(' ')));
        } else if (!line.empty() && (line[0] == '0' || line[0] == '1')) {
            std::string row;
            for (size_t i = 0; i < line.size(); i += 2)
                row += line[i];
            rows->push_back(row);
        }
    }
}

TEST(ViewersRead, WhatTheViewersReadIsWhatWasRecorded) {
    const std::wstring folder = BesideProgram(L"waveforms") + L"\\";
    const std::string recordings[] = {"host-bits.vcd", "tool-bits.vcd", "tool-vectors.vcd"};
    for (const std::string& name : recordings) {
        const std::wstring path = folder + std::wstring(name.begin(), name.end());
        Vcd recorded;
        ASSERT_EQ(ReadVcd(FileBytes(path), &recorded), "") << name;

        Vcd converted;
        ASSERT_EQ(ReadVcd(FileBytes(path + L".fst.vcd"), &converted), "") << name << ".fst.vcd";
        EXPECT_TRUE(Histories(converted) == Histories(recorded)) << name << ": GTKWave differs";

        if (name.find("-bits") == std::string::npos)
            continue;
        std::vector<std::string> names, rows;
        ReadSigrokCsv(FileBytes(path + L".sigrok.csv"), &names, &rows);
        EXPECT_EQ(names.size(), recorded.vars.size()) << name;
        const std::vector<std::string> states = States(recorded, names);
        EXPECT_EQ(rows.size(), states.size()) << name;
        const auto differ = std::mismatch(rows.begin(), rows.end(), states.begin(), states.end());
        if (differ.first != rows.end())
            ADD_FAILURE() << name << ": sigrok-cli differs at time " << differ.first - rows.begin()
                          << ": " << *differ.first << " for " << *differ.second;
    }
}

} // namespace
