// Flow-chart files: a chart written after a run reads back as it was, and the example
// byte for byte; each kind of damaged or foreign file is refused with one message naming the
// file, the place and what is wrong, and the flow chart that was open stays as it was.
#include "device/BoardTable.h"
#include "sim/host/run/ExperimentRun.h"
#include "tests/standin/StandInTestSupport.h"

#include <cstring>

using namespace standintest;

namespace {

using FlowChartFile = Loopback;

standin::Worksheet WrittenAndReadBack(const standin::Worksheet& sheet) {
    const std::wstring path = TemporaryPath(L"pemo-round-trip.json");
    std::string writeError;
    EXPECT_TRUE(standin::WriteFlowChart(path, sheet, &writeError)) << writeError;
    standin::Worksheet back;
    standin::WorksheetError error;
    EXPECT_TRUE(standin::ReadFlowChart(path, &back, &error)) << error.Text();
    DeleteFileW(path.c_str());
    return back;
}

TEST_F(FlowChartFile, AChartWrittenAfterARunReadsBackAsItWas) {
    standin::RunSettings settings;
    settings.durationMs = 200;
    std::string refusal;
    ASSERT_TRUE(standin::StartRun(settings, {}, &refusal)) << refusal;
    EXPECT_EQ(standin::ServeRun(nullptr), standin::RunEnd::Duration);

    // The run leaves the stored bytes as they were: the example comes out byte for byte.
    const standin::Worksheet afterRun = standin::CurrentWorksheet();
    EXPECT_EQ(standin::FlowChartText(afterRun), FileBytes(LoopbackPath()));
    EXPECT_EQ(WrittenAndReadBack(afterRun), afterRun);

    // Names as the parameter dialog may leave them (code page 932, as the literals here are):
    // Japanese, and bytes that are no text (a double-byte character cut by the length limit),
    // which the file keeps as hex.
    std::vector<ModuleRecord*> modules = standin::Modules();
    std::strcpy(modules[0]->moduleName, "入力");
    std::strcpy(modules[2]->moduleName, "ab\x83");
    std::strcpy(modules[2]->moduleDescription, "ﾃﾞ-ﾀ入力");
    const standin::Worksheet renamed = standin::CurrentWorksheet();
    const std::string text = standin::FlowChartText(renamed);
    EXPECT_NE(text.find(standin::Cp932ToUtf8("\"name\": \"入力\"")), std::string::npos);
    EXPECT_NE(text.find("\"name\": {\n        \"hex\": \"61 62 83\""), std::string::npos);
    EXPECT_EQ(WrittenAndReadBack(renamed), renamed);
}

struct Damage {
    const char* kind;
    const char* from; // replaced in the example's text (all of it when null)
    std::string to;
    const char* place;      // JSON pointer, or "line N" for the parser's errors
    const char* message;    // part of what the error says
    bool byProgram = false; // `pemo_host run` is given the file too
};

const Damage damages[] = {
    {"a syntax error", "\"version\": 1,", "\"version\": 1", "line 4", "syntax error", true},
    {"an empty file", nullptr, "", "line 1", "syntax error"},
    {"a picture", nullptr, std::string("\x89PNG\r\n\x1a\n\x00\x00", 10), "line 1", "syntax error"},
    {"a JSON array", nullptr, "[1, 2, 3]", "/", "expected an object, found array"},
    {"a foreign file", nullptr, "{\"title\": \"a drawing\"}", "/format", "not a Pemo flow chart"},
    {"a chart without a time base", nullptr, "{\"format\": \"pemo-flowchart\", \"version\": 1}",
     "/", "the field \"timeBase\" is missing"},
    {"an unknown format version", "\"version\": 1", "\"version\": 2", "/version",
     "format version 2 is not known"},
    {"an unknown class", "\"class\": \"Lumo-P31 OUT\"", "\"class\": \"Lumo-P31 THRU\"",
     "/modules/1/class", "no module class \"Lumo-P31 THRU\" is registered", true},
    {"a block of the wrong size", "\"4c 75 6d 6f 33 31 41 20 4f 55 54 20 30 00 00 00\",", "",
     "/modules/1/params", "a block of 220 bytes; the class \"Lumo-P31 OUT\" keeps 236"},
    {"bad hex", "\"4c 75 6d 6f 33 31 41 20 49 4e 20 20 30 00 00 00\"",
     "\"4c 75 6d 6f 33 31 41 20 49 4e 20 20 30 00 0g 00\"", "/modules/0/params/hex/0",
     "bad hex at character 44"},
    {"more channels than a host keeps", "\"inputs\": 0,", "\"inputs\": 17,", "/modules/0/inputs",
     "expected a whole number from 0 to 16", true},
    {"a negative channel count", "\"outputs\": 0,", "\"outputs\": -1,", "/modules/1/outputs",
     "expected a whole number from 0 to 16"},
    {"a time base of 0", "\"msPerSample\": 1.0", "\"msPerSample\": 0", "/timeBase/msPerSample",
     "must be above 0 and at most 1000000", true},
    {"a huge time base", "\"msPerSample\": 1.0", "\"msPerSample\": 1e300", "/timeBase/msPerSample",
     "must be above 0 and at most 1000000"},
    {"blocks of 0 samples", "\"blockSize\": 100", "\"blockSize\": 0", "/timeBase/blockSize",
     "must be 1 to 65535 samples"},
    {"blocks of 65536 samples", "\"blockSize\": 100", "\"blockSize\": 65536", "/timeBase/blockSize",
     "expected a whole number from 0 to 65535"},
    {"a connection to a channel that does not exist", "\"module\": 1,\n        \"channel\": 7",
     "\"module\": 1,\n        \"channel\": 9", "/connections/7/to/channel",
     "input channel 9 does not exist: module 1 has 8 input channels"},
    {"a connection to a module that does not exist", "\"module\": 1,\n        \"channel\": 0",
     "\"module\": 5,\n        \"channel\": 0", "/connections/0/to/module",
     "module 5 does not exist"},
    {"a misspelt field", "\"inputs\": 0,", "\"inputs\": 0, \"input\": 3,", "/modules/0/input",
     "unknown field \"input\""},
    {"a name too long", "\"name\": \"In 0:0\"", "\"name\": \"In port 0 of board 0\"",
     "/modules/0/name", "20 bytes in code page 932, at most 12 fit"},
    {"a name code page 932 cannot hold", "\"name\": \"In 0:0\"", u8"\"name\": \"Müller\"",
     "/modules/0/name", u8"\"Müller\" cannot be handed to the plug-in: code page 932 has no \"ü\""},
};

// The library refuses each file with its place and message and keeps the open chart; the host
// program refuses it with the same message and runs nothing.
TEST_F(FlowChartFile, EachKindOfDamageIsRefusedWithItsPlaceAndNothingIsLoaded) {
    const std::string example = FileBytes(LoopbackPath());
    const std::vector<ModuleRecord*> before = standin::Modules();
    const std::string openText = standin::FlowChartText(standin::CurrentWorksheet());
    const std::wstring path = TemporaryPath(L"pemo-damaged.json");
    const std::string named = testsupport::Shown(path);
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.kind);
        std::string text = damage.to;
        if (damage.from) {
            text = example;
            const size_t at = text.find(damage.from);
            ASSERT_NE(at, std::string::npos);
            text.replace(at, std::strlen(damage.from), damage.to);
        }
        PutFile(path, text);
        standin::WorksheetError error;
        EXPECT_FALSE(standin::OpenFlowChart(path, &error));
        const std::string message = error.Text();
        EXPECT_EQ(message.rfind(named + ": " + damage.place + ": ", 0), 0u) << message;
        EXPECT_NE(message.find(damage.message), std::string::npos) << message;

        EXPECT_EQ(standin::Modules(), before);
        EXPECT_EQ(standin::FlowChartText(standin::CurrentWorksheet()), openText);
        // No module was told to go: their claims stand.
        EXPECT_EQ(BoardTable[0].inputClaimed[0], 1u);
        EXPECT_EQ(BoardTable[0].inputClaimed[1], 1u);
        EXPECT_EQ(BoardTable[0].outputClaimed[0], 1u);
        if (damage.byProgram) {
            DWORD exitCode = 0;
            const std::string output =
                testsupport::RunHostProgram(L"run \"" + path + L"\" --seconds 1", &exitCode);
            EXPECT_EQ(exitCode, 1u) << output;
            EXPECT_NE(output.find(message.substr(named.size())), std::string::npos) << output;
            EXPECT_EQ(output.find("Experiment:"), std::string::npos) << output;
        }
    }
    DeleteFileW(path.c_str());
    standin::WorksheetError missing;
    EXPECT_FALSE(standin::OpenFlowChart(path, &missing));
    EXPECT_EQ(missing.Text().rfind(named + ": cannot be read: ", 0), 0u) << missing.Text();
}

TEST_F(FlowChartFile, OpeningAnotherChartLetsTheOpenModulesGoFirst) {
    standin::Worksheet sheet = standin::CurrentWorksheet();
    sheet.modules.resize(1);
    sheet.connections.clear();
    standin::WorksheetError error;
    std::vector<int32_t> restores;
    ASSERT_TRUE(standin::OpenFlowChart(sheet, &error, &restores)) << error.Text();
    EXPECT_EQ(restores, std::vector<int32_t>{1});
    ASSERT_EQ(standin::Modules().size(), 1u);
    EXPECT_TRUE(standin::Connections().empty());
    // The output module and the second input module were deleted and gave their ports back.
    EXPECT_EQ(BoardTable[0].outputClaimed[0], 0u);
    EXPECT_EQ(BoardTable[0].inputClaimed[1], 0u);
    EXPECT_EQ(BoardTable[0].inputClaimed[0], 1u);
}

} // namespace
