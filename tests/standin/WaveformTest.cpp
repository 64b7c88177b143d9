// The run's value change dump, read back by a strict reader of our own: both flavours show the
// CSV trace's accesses in its order with its bytes, and damaged files are refused with a reason.
#include "sim/host/report/Waveform.h"
#include "tests/common/VcdReader.h"
#include "tests/standin/StandInTestSupport.h"

#include <regex>

using namespace standintest;

namespace {

using namespace testsupport;

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
    const auto traced = Sequence(CsvAccesses(standin::TraceCsv(recorder)));
    ASSERT_GT(traced.size(), 100u);

    std::string vectors;
    for (bool bits : {false, true}) {
        const std::wstring path = TemporaryPath(L"run.vcd");
        std::string error;
        ASSERT_TRUE(standin::SaveTraceVcd(recorder, bits, path, &error)) << error;
        const std::string text = FileBytes(path);
        DeleteFileW(path.c_str());
        Vcd vcd;
        ASSERT_EQ(ReadVcd(text, &vcd), "") << "bits " << bits;
        const std::regex byte("b[0-9]+_(in|out)[0-9]+");
        for (const auto& var : vcd.vars)
            EXPECT_EQ(var.second.width, !bits && std::regex_match(var.second.name, byte) ? 8u : 1u)
                << var.second.name;
        EXPECT_EQ(Sequence(VcdAccesses(vcd)), traced) << "bits " << bits;
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
