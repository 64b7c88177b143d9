// The parameter dialogs "LUMO31A_OUT" and "LUMO31A_IN", each case run on both: a module of the
// stand-in host, the dialog opened on it, the user's gestures (clicks on the custom controls,
// typing, the host's name copies), then the control states, the texts and the module after
// OK or Cancel.
#include "host/HostBinding.h"
#include "modules/ModuleRecords.h"
#include "res/ResourceIds.h"
#include "sim/host/core/HostControl.h"
#include "sim/host/flowchart/PluginBlocks.h"
#include "tests/common/MessageSequence.h"
#include "sim/host/user/ModalDriver.h"
#include "tests/dialogs/DialogsTestSupport.h"
#include "ui/ChannelControls.h"
#include "ui/ParamsDialog.h"

#include <cstring>
#include <ostream>
#include <string>
#include <vector>

namespace standin {
static bool operator==(const SizeChange& a, const SizeChange& b) {
    return a.module == b.module && a.inputs == b.inputs && a.outputs == b.outputs;
}
} // namespace standin

namespace dialogstest {
namespace {

using modal::Step;
using Strings = std::vector<std::string>;

struct Variant {
    const char* name;
    const char* className;
    const char* templateName;
    DLGPROC procedure;
    const char* title;
    bool countIsInputs; // channel count on the input side (output class)
    size_t blockSize;
    const char* port2Name;
};

void PrintTo(const Variant& variant, std::ostream* out) {
    *out << variant.name;
}

const Variant variants[] = {
    {"Output", "Lumo-P31 OUT", "LUMO31A_OUT", OutputParamsDialogProc, "Lumo-P31A パラレル出力",
     true, sizeof(OutParams), "出力ﾎﾟｰﾄ 2 ( 16 - 23 )"},
    {"Input", "Lumo-P31 IN", "LUMO31A_IN", InputParamsDialogProc, "Lumo-P31A パラレル入力", false,
     sizeof(InParams), "入力ﾎﾟｰﾄ 2 ( 16 - 23 )"},
};

// ---- Gestures -------------------------------------------------------------------------------

Step Less() {
    return [](HWND d) { modal::MouseClick(d, IDC_LESS); };
}
Step More() {
    return [](HWND d) { modal::MouseClick(d, IDC_MORE); };
}
Step Press(int channel) {
    return [channel](HWND d) { modal::MouseClick(d, IDC_CHANNEL0 + channel); };
}
Step TypeName(std::string text) {
    return [text](HWND d) { modal::Type(d, IDC_CHANNEL_NAME, text); };
}
Step Focus(int id) {
    return [id](HWND d) { modal::Focus(d, id); };
}
Step Send(UINT message) {
    return [message](HWND d) { SendMessageA(d, message, 0, 0); };
}
// A notification of channel button k as the button sends it.
Step FromChannel(UINT message, int channel) {
    return [message, channel](HWND d) {
        HWND button = GetDlgItem(d, IDC_CHANNEL0 + channel);
        SendMessageA(d, message, WPARAM(button), GetWindowWord(button, 0));
    };
}

// The names of channels 0 to 7: the given ones first, "chK" for the rest.
Strings NamesWith(std::vector<std::string> first) {
    for (size_t k = first.size(); k < 8; k++)
        first.push_back("ch" + std::to_string(k));
    return first;
}

// The state words of channel buttons 0 to 7, then "/", the less and the more button:
// "12233333/14" is channel 0 selected (CHANNEL_SELECTED), 1 and 2 in use, the others unused,
// less up (LESS_UP) and more up (MORE_UP).
std::string States(HWND dialog) {
    std::string states;
    for (int k = 0; k < 8; k++)
        states += char('0' + modal::StateWord(dialog, IDC_CHANNEL0 + k));
    states += '/';
    states += char('0' + modal::StateWord(dialog, IDC_LESS));
    states += char('0' + modal::StateWord(dialog, IDC_MORE));
    return states;
}

// ---- The module -----------------------------------------------------------------------------

class ParamsDialog : public BoardsOnHost, public ::testing::WithParamInterface<Variant> {
protected:
    const Variant& variant() const { return GetParam(); }

    // A module of the variant's class: names "ch0" to "ch7", slot 3, port 2, name "mod",
    // description "desc", and a pattern in every byte that the dialog must not change.
    ModuleRecord* MakeModule(uint32_t channels) {
        const standin::RegisteredClass* moduleClass = standin::FindClass(variant().className);
        EXPECT_NE(nullptr, moduleClass);
        ModuleRecord* module = variant().countIsInputs
                                   ? standin::NewModule(*moduleClass, channels, 0)
                                   : standin::NewModule(*moduleClass, 0, channels);
        uint8_t* block = Block(module);
        for (size_t i = 0; i < variant().blockSize; i++)
            block[i] = uint8_t(0xA0 + i % 31);
        for (int k = 0; k < 8; k++)
            std::snprintf(Name(module, k), 24, "ch%d", k);
        standin::StorePort(module, 3, 2);
        std::strcpy(module->moduleName, "mod");
        std::strcpy(module->moduleDescription, "desc");
        if (variant().countIsInputs)
            OutParamsOf(module)->portBytes = 0;
        return module;
    }
    static uint8_t* Block(ModuleRecord* module) {
        return reinterpret_cast<uint8_t*>(ParamsBlockOf(module));
    }
    static char* Name(ModuleRecord* module, int k) {
        return ParamsBlockOf(module)->head.channelNames[k];
    }
    static Strings Names(ModuleRecord* module) {
        Strings names;
        for (int k = 0; k < 8; k++)
            names.push_back(Name(module, k));
        return names;
    }
    // The bytes of the block after the eight names.
    std::vector<uint8_t> AfterTheNames(ModuleRecord* module) const {
        const uint8_t* names = reinterpret_cast<const uint8_t*>(ParamsBlockOf(module));
        return std::vector<uint8_t>(names + sizeof ParamsHead::channelNames,
                                    names + variant().blockSize);
    }
    // The module record and its block, byte for byte.
    std::vector<uint8_t> Snapshot(ModuleRecord* module) const {
        const uint8_t* record = reinterpret_cast<const uint8_t*>(module);
        std::vector<uint8_t> bytes(record, record + sizeof(ModuleRecord));
        bytes.insert(bytes.end(), Block(module), Block(module) + variant().blockSize);
        return bytes;
    }

    modal::Outcome Run(ModuleRecord* module, std::vector<Step> steps) {
        standin::SetCurrentModule(module);
        standin::ClearRecords();
        HWND owner = HandleFromAddr32<HWND>(module->hWnd);
        const Variant& v = variant();
        return modal::RunModal(
            [&] {
                return DialogBoxParamA(hostBinding.instance, v.templateName, owner, v.procedure, 0);
            },
            std::move(steps));
    }

    std::vector<standin::SizeChange> ExpectedSizeChange(ModuleRecord* module, uint32_t count) {
        if (variant().countIsInputs)
            return {{module, count, 0}};
        return {{module, 0, count}};
    }
};

std::string PrintVariant(const ::testing::TestParamInfo<Variant>& info) {
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(Variants, ParamsDialog, ::testing::ValuesIn(variants), PrintVariant);

// ---- Channel row ----------------------------------------------------------------------------

struct RowCase {
    const char* what;
    uint32_t channels;
    bool running;
    std::vector<Step> gestures;
    const char* states; // after the gestures, as States() writes them
    const char* number; // channel number shown
    const char* name;   // channel name shown
    int focus;          // control with the focus afterwards; 0: not checked
};

TEST_P(ParamsDialog, ChannelRowFollowsTheGestures) {
    // clang-format off
    const RowCase cases[] = {
        {"0 channels", 0, false, {}, "33333333/04", "0", "ch0", IDC_MODULE_NAME},
        {"1 channel", 1, false, {}, "13333333/04", "0", "ch0", IDC_MODULE_NAME},
        {"3 channels", 3, false, {}, "12233333/14", "0", "ch0", IDC_MODULE_NAME},
        {"8 channels", 8, false, {}, "12222222/13", "0", "ch0", 0},
        {"running, 3 channels", 3, true, {}, "12233333/03", "0", "ch0", 0},
        {"running, 1 channel", 1, true, {}, "13333333/03", "0", "ch0", 0},
        {"running: count fixed, selection works", 3, true, {Less(), More(), Press(2)},
         "22133333/03", "2", "ch2", IDC_MODULE_NAME},
        {"3, press 2, less: selection follows", 3, false, {Press(2), Less()},
         "21333333/14", "1", "ch1", IDC_MODULE_NAME},
        {"2, less disables less", 2, false, {Less()}, "13333333/04", "0", "ch0", IDC_MODULE_NAME},
        {"1, disabled less does nothing", 1, false, {Less(), Less()}, "13333333/04", "0", "ch0", 0},
        {"1, more enables less", 1, false, {More()}, "12333333/14", "0", "ch0", 0},
        {"7, more disables more", 7, false, {More()}, "12222222/13", "0", "ch0", 0},
        {"8, disabled more does nothing", 8, false, {More()}, "12222222/13", "0", "ch0", 0},
        {"8, less enables more", 8, false, {Less()}, "12222223/14", "0", "ch0", 0},
        {"0, more: channel 0 in use, still the selected one", 0, false, {More()},
         "23333333/04", "0", "ch0", 0},
        {"press on the selected channel", 3, false, {Press(0)},
         "12233333/14", "0", "ch0", IDC_MODULE_NAME},
        {"press on a channel not in use", 3, false, {Press(5)},
         "12233333/14", "0", "ch0", IDC_MODULE_NAME},
        {"press on a channel in use", 3, false, {Press(1)},
         "21233333/14", "1", "ch1", IDC_MODULE_NAME},
        {"more, less, less from channel 2", 3, false, {Press(2), More(), Less(), Less()},
         "21333333/14", "1", "ch1", 0},
        {"a removed channel comes back with its name", 3, false,
         {Press(2), TypeName("gone"), Less(), More(), Press(2)}, "22133333/14", "2", "gone", 0},
        {"1026 to 1028 from a channel change nothing", 3, false,
         {FromChannel(CTLM_CHANNELUP, 1), FromChannel(CTLM_CHANNELDBLCLK, 1),
          FromChannel(CTLM_CHANNELRDBLCLK, 2)},
         "12233333/14", "0", "ch0", 0},
    };
    // clang-format on
    for (const RowCase& c : cases) {
        SCOPED_TRACE(c.what);
        ModuleRecord* module = MakeModule(c.channels);
        standin::SetExperimentRunning(c.running ? 1 : 0);
        std::string states, number, name;
        int focus = 0;
        std::vector<Step> steps = c.gestures;
        steps.push_back([&](HWND d) {
            states = States(d);
            number = modal::Text(d, IDC_CHANNEL_NUMBER);
            name = modal::Text(d, IDC_CHANNEL_NAME);
            focus = modal::FocusedId(d);
        });
        steps.push_back([](HWND d) { modal::Click(d, IDCANCEL); });
        auto outcome = Run(module, steps);
        standin::SetExperimentRunning(0);
        EXPECT_EQ(0, outcome.result);
        EXPECT_TRUE(outcome.shown);
        EXPECT_FALSE(outcome.forcedEnd);
        EXPECT_EQ(c.states, states);
        EXPECT_EQ(c.number, number);
        EXPECT_EQ(c.name, name);
        if (c.focus) {
            EXPECT_EQ(c.focus, focus);
        }
    }
}

// What the dialog sends its buttons after the gestures: only the buttons whose state changes
// hear of it, and never the channel buttons beyond the eight it drives.
TEST_P(ParamsDialog, GesturesReachOnlyTheButtonsThatChange) {
    const auto set = [](int id, WORD state) -> msgseq::Message {
        return {CTLM_SETSTATE, msgseq::CHECK_ID | msgseq::CHECK_WPARAM, state, 0, id};
    };
    const msgseq::Message deselect = {CTLM_DESELECT, msgseq::CHECK_ID, 0, 0, IDC_CHANNEL0};
    const int channel2 = IDC_CHANNEL0 + 2, channel7 = IDC_CHANNEL0 + 7;
    // clang-format off
    const struct {
        const char* what;
        uint32_t channels;
        std::vector<Step> gestures;
        msgseq::Table<msgseq::Message> traffic;
    } cases[] = {
        {"less, more, a press", 3, {Less(), More(), Press(2)},
         MESSAGES(set(channel2, CHANNEL_UNUSED), set(channel2, CHANNEL_IN_USE), deselect,
                  set(channel2, CHANNEL_SELECTED))},
        {"less and more at the limit", 8, {Less(), More()},
         MESSAGES(set(IDC_MORE, MORE_UP), set(channel7, CHANNEL_UNUSED),
                  set(IDC_MORE, MORE_DISABLED), set(channel7, CHANNEL_IN_USE))},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        msgseq::Recorder buttons;
        std::vector<Step> steps = {[&buttons](HWND d) {
            for (int id = IDC_LESS; id < IDC_CHANNEL0 + 16; id++)
                buttons.Subclass(GetDlgItem(d, id), [](UINT message) {
                    return message == CTLM_SETSTATE || message == CTLM_DESELECT;
                });
        }};
        steps.insert(steps.end(), c.gestures.begin(), c.gestures.end());
        steps.push_back([](HWND d) { modal::Click(d, IDCANCEL); });
        Run(MakeModule(c.channels), steps);
        EXPECT_SEQUENCE(buttons, c.traffic);
    }
}

// ---- Channel names --------------------------------------------------------------------------

struct NameCase {
    const char* what;
    uint32_t channels;
    std::vector<Step> gestures; // then OK
    Strings names;              // in the module's block after OK
    const char* shown;          // channel name shown before OK; null: not checked
    uint32_t count;             // passed to ChangeModuleSize
};

TEST_P(ParamsDialog, ChannelNamesReachTheModuleOnOk) {
    const std::string twentyBytes = "ABCDEFGHIJ"
                                    "ﾁｬﾝﾈﾙ"
                                    "名前"
                                    "K"; // 10 + 5 + 4 + 1
    // clang-format off
    const NameCase cases[] = {
        {"switching stores the typed name under the old channel", 3,
         {TypeName("abc"), Press(1), TypeName("def"), Press(2)}, NamesWith({"abc", "def"}), "ch2", 3},
        {"a 20-byte name is stored whole", 1,
         {TypeName(twentyBytes)}, NamesWith({twentyBytes}), twentyBytes.c_str(), 1},
        // The edit may take more (Wine counts its limit in characters): 20 bytes are stored.
        {"a longer name is stored as its first 20 bytes", 1,
         {TypeName("0123456789abcdefghijKLM")}, NamesWith({"0123456789abcdefghij"}), nullptr, 1},
        {"a double-byte character that does not fit is left out", 1,
         {TypeName("0123456789abcdefghi名")}, NamesWith({"0123456789abcdefghi"}), nullptr, 1},
        {"less stores the name, the removed channel keeps it", 3,
         {Press(2), TypeName("x"), Less()}, NamesWith({"ch0", "ch1", "x"}), "ch1", 2},
        {"1031 right after typing copies to the channels in use", 3,
         {Press(1), TypeName("nm"), Send(CTLM_COPYNAMEIFEDITING)},
         NamesWith({"nm", "nm", "nm"}), "nm", 3},
        {"1031 after a channel press copies nothing", 3,
         {Press(1), TypeName("nm"), Press(1), Send(CTLM_COPYNAMEIFEDITING)},
         NamesWith({"ch0", "nm"}), "nm", 3},
        {"1031 after more copies nothing", 3,
         {TypeName("nm"), More(), Send(CTLM_COPYNAMEIFEDITING)}, NamesWith({"nm"}), "nm", 4},
        {"1031 after the focus went to the module name copies nothing", 3,
         {TypeName("nm"), Focus(IDC_MODULE_NAME), Send(CTLM_COPYNAMEIFEDITING)},
         NamesWith({"nm"}), "nm", 3},
        {"1031 after the focus went to the description copies nothing", 3,
         {TypeName("nm"), Focus(IDC_MODULE_DESCRIPTION), Send(CTLM_COPYNAMEIFEDITING)},
         NamesWith({"nm"}), "nm", 3},
        {"1031 with the focus back in the channel name copies", 3,
         {TypeName("nm"), Focus(IDC_MODULE_NAME), Focus(IDC_CHANNEL_NAME),
          Send(CTLM_COPYNAMEIFEDITING)},
         NamesWith({"nm", "nm", "nm"}), "nm", 3},
        {"1032 copies the selected name", 3,
         {Press(1), Send(CTLM_COPYNAMETOALL)}, NamesWith({"ch1", "ch1", "ch1"}), "ch1", 3},
        {"1032 copies the text being typed, wherever the focus is", 3,
         {Press(1), TypeName("q"), Focus(IDC_MODULE_NAME), Send(CTLM_COPYNAMETOALL)},
         NamesWith({"q", "q", "q"}), "q", 3},
        {"1032 leaves the channels beyond the count", 3,
         {Less(), Send(CTLM_COPYNAMETOALL)}, NamesWith({"ch0", "ch0"}), "ch0", 2},
        {"1032 with 0 channels copies nothing", 0,
         {TypeName("z"), Send(CTLM_COPYNAMETOALL)}, NamesWith({"z"}), "z", 0},
        {"8 channels, 1032 from channel 7", 8,
         {Press(7), TypeName("all"), Send(CTLM_COPYNAMETOALL)},
         NamesWith({"all", "all", "all", "all", "all", "all", "all", "all"}), "all", 8},
    };
    // clang-format on
    for (const NameCase& c : cases) {
        SCOPED_TRACE(c.what);
        ModuleRecord* module = MakeModule(c.channels);
        std::string shown;
        std::vector<Step> steps = c.gestures;
        steps.push_back([&](HWND d) { shown = modal::Text(d, IDC_CHANNEL_NAME); });
        steps.push_back([](HWND d) { modal::Click(d, IDOK); });
        auto outcome = Run(module, steps);
        EXPECT_EQ(1, outcome.result);
        EXPECT_FALSE(outcome.forcedEnd);
        if (c.shown) {
            EXPECT_EQ(c.shown, shown);
        }
        EXPECT_EQ(c.names, Names(module));
        EXPECT_EQ(ExpectedSizeChange(module, c.count), standin::SizeChanges());
    }
}

// Commands and notifications that the buttons would never send, and a count beyond the
// eight channels that the block has names for: the count, the selection and the writes stay
// within the block.
TEST_P(ParamsDialog, StrayCommandsAndOversizedCountsStayInTheBlock) {
    struct Case {
        const char* what;
        uint32_t channels;
        std::vector<Step> gestures; // then OK
        const char* states;
        Strings names;
        uint32_t count;
    } cases[] = {
        // clang-format off
        {"less commands at 1 channel", 1,
         {[](HWND d) { modal::Command(d, IDC_LESS); }, [](HWND d) { modal::Command(d, IDC_LESS); }},
         "13333333/04", NamesWith({}), 1},
        {"more command at 8 channels", 8, {[](HWND d) { modal::Command(d, IDC_MORE); }},
         "12222222/13", NamesWith({}), 8},
        {"a press reported by a window that is no channel button", 3,
         {[](HWND d) {
             SendMessageA(d, CTLM_CHANNELDOWN, WPARAM(GetDlgItem(d, IDOK)), CHANNEL_IN_USE);
         }},
         "12233333/14", NamesWith({}), 3},
        {"1032 with 12 channels", 12, {Press(7), Send(CTLM_COPYNAMETOALL)}, "22222221/13",
         {"ch7", "ch7", "ch7", "ch7", "ch7", "ch7", "ch7", "ch7"}, 12},
        // Beyond the host record's 16 channels the count is edited from 16.
        {"a damaged count of 0xFFFFFFFF", 0xFFFFFFFF, {Less()}, "12222222/13", NamesWith({}), 15},
        // clang-format on
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ModuleRecord* module = MakeModule(c.channels);
        const std::vector<uint8_t> rest = AfterTheNames(module);
        std::string states;
        std::vector<Step> steps = c.gestures;
        steps.push_back([&](HWND d) { states = States(d); });
        steps.push_back([](HWND d) { modal::Click(d, IDOK); });
        auto outcome = Run(module, steps);
        EXPECT_EQ(1, outcome.result);
        EXPECT_EQ(c.states, states);
        EXPECT_EQ(c.names, Names(module));
        EXPECT_TRUE(rest == AfterTheNames(module));
        EXPECT_EQ(ExpectedSizeChange(module, c.count), standin::SizeChanges());
    }
}

// ---- Closing --------------------------------------------------------------------------------

TEST_P(ParamsDialog, EndingWithoutOkLeavesTheModuleAsItWas) {
    struct Case {
        const char* what;
        Step end;
    } cases[] = {
        {"Cancel", [](HWND d) { modal::Click(d, IDCANCEL); }},
        {"Escape", [](HWND d) { modal::Key(d, VK_ESCAPE); }},
        {"close box", [](HWND d) { modal::CloseBox(d); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ModuleRecord* module = MakeModule(3);
        const std::vector<uint8_t> before = Snapshot(module);
        auto outcome =
            Run(module, {TypeName("renamed"), Press(2), TypeName("other"), Less(), Less(),
                         [](HWND d) {
                             modal::Type(d, IDC_MODULE_NAME, "newname");
                             modal::Type(d, IDC_MODULE_DESCRIPTION, "newdesc");
                         },
                         Send(CTLM_COPYNAMETOALL), c.end});
        EXPECT_EQ(0, outcome.result);
        EXPECT_FALSE(outcome.forcedEnd);
        EXPECT_TRUE(before == Snapshot(module)) << "module changed";
        EXPECT_TRUE(standin::SizeChanges().empty());
        EXPECT_EQ(0u, standin::LivePluginAllocations());
        EXPECT_TRUE(standin::Complaints().empty());
    }
}

TEST_P(ParamsDialog, OkWithoutChangesRewritesAndStillChangesTheSize) {
    ModuleRecord* module = MakeModule(3);
    const std::vector<uint8_t> before = Snapshot(module);
    auto outcome = Run(module, {[](HWND d) { modal::Key(d, VK_RETURN); }});
    EXPECT_EQ(1, outcome.result);
    EXPECT_TRUE(before == Snapshot(module)) << "module changed";
    EXPECT_EQ(ExpectedSizeChange(module, 3), standin::SizeChanges());
    EXPECT_EQ(0u, standin::LivePluginAllocations());
}

TEST_P(ParamsDialog, OkStoresModuleNameAndDescriptionWithinTheirFields) {
    ModuleRecord* module = MakeModule(2);
    const std::string forty = "0123456789"
                              "ﾃﾞｨｽｸﾘﾌﾟｼｮﾝ"
                              "説明説明"
                              "abcdefghij"
                              "X";
    auto outcome = Run(module, {[&](HWND d) {
                                    modal::Type(d, IDC_MODULE_NAME, "ﾓｼﾞｭｰﾙ名ABCDEF");
                                    modal::Type(d, IDC_MODULE_DESCRIPTION, forty + "YZ");
                                },
                                [](HWND d) { modal::Click(d, IDOK); }});
    EXPECT_EQ(1, outcome.result);
    EXPECT_STREQ("ﾓｼﾞｭｰﾙ名ABCD", module->moduleName); // 12 bytes
    EXPECT_EQ(forty, module->moduleDescription);      // 40 bytes
    EXPECT_EQ('\0', module->moduleDescription[40]);

    outcome = Run(module, {[&](HWND d) {
                               modal::Type(d, IDC_MODULE_NAME, "0123456789a名");
                               modal::Type(d, IDC_MODULE_DESCRIPTION, forty.substr(0, 39) + "説");
                           },
                           [](HWND d) { modal::Click(d, IDOK); }});
    EXPECT_EQ(1, outcome.result);
    EXPECT_STREQ("0123456789a", module->moduleName); // not half of the last character
    EXPECT_EQ(forty.substr(0, 39), module->moduleDescription);
}

// An experiment that starts while the dialog is open makes the output module's byte buffer;
// OK must not put back the value the block had when the dialog opened.
TEST_P(ParamsDialog, OkKeepsTheExperimentsByteBuffer) {
    if (!variant().countIsInputs)
        GTEST_SKIP() << "only the output block holds a run-time value";
    ModuleRecord* module = MakeModule(3);
    OutParams* params = OutParamsOf(module);
    for (Addr32 buffer : {Addr32(0x00345678), Addr32(0)}) {
        params->portBytes = buffer == 0 ? 0x00345678 : 0;
        auto outcome = Run(module, {TypeName("kept"), [&](HWND) { params->portBytes = buffer; },
                                    [](HWND d) { modal::Click(d, IDOK); }});
        EXPECT_EQ(1, outcome.result);
        EXPECT_EQ(buffer, params->portBytes);
        EXPECT_STREQ("kept", params->channelNames[0]);
    }
}

TEST_P(ParamsDialog, WithoutMemoryForTheCopyTheDialogEndsUnseen) {
    ModuleRecord* module = MakeModule(3);
    const std::vector<uint8_t> before = Snapshot(module);
    standin::SetCurrentModule(module);
    standin::ClearRecords();
    standin::FailNextAllocation();
    const Variant& v = variant();
    auto outcome = modal::RunModal(
        [&] {
            return DialogBoxParamA(hostBinding.instance, v.templateName,
                                   HandleFromAddr32<HWND>(module->hWnd), v.procedure, 0);
        },
        {[](HWND d) { modal::Click(d, IDOK); }});
    EXPECT_EQ(0, outcome.result);
    EXPECT_FALSE(outcome.shown);
    EXPECT_EQ(0, outcome.stepsRun);
    EXPECT_TRUE(before == Snapshot(module));
    EXPECT_TRUE(standin::SizeChanges().empty());
    EXPECT_TRUE(standin::Warnings().empty());
}

// ---- Texts, about box, help -----------------------------------------------------------------

TEST_P(ParamsDialog, ShowsTheModuleAndItsDevice) {
    struct Case {
        uint16_t slot, port;
        std::string slotText, portText;
    } cases[] = {
        {3, 2, "3", variant().port2Name},
        {15, 4, "15", "ﾎﾟｰﾄ E (PE0 - PE7)"},
        {0, 5, "0", "ﾎﾟｰﾄ F (PF0 - PF7)"},
        {65535, 7, "65535", "不明なポート"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.portText);
        ModuleRecord* module = MakeModule(3);
        standin::StorePort(module, c.slot, c.port);
        Strings texts;
        int focus = 0;
        auto outcome = Run(module, {[&](HWND d) {
                                        texts = {modal::Caption(d),
                                                 modal::Text(d, IDC_MODULE_NAME),
                                                 modal::Text(d, IDC_MODULE_DESCRIPTION),
                                                 modal::Text(d, IDC_CHANNEL_NUMBER),
                                                 modal::Text(d, IDC_CHANNEL_NAME),
                                                 modal::Text(d, IDC_SLOT_TEXT),
                                                 modal::Text(d, IDC_PORT_TEXT)};
                                        focus = modal::FocusedId(d);
                                    },
                                    [](HWND d) { modal::Click(d, IDCANCEL); }});
        EXPECT_EQ(0, outcome.result);
        EXPECT_EQ((Strings{variant().title, "mod", "desc", "0", "ch0", c.slotText, c.portText}),
                  texts);
        EXPECT_EQ(IDC_MODULE_NAME, focus);
    }
}

TEST_P(ParamsDialog, VersionButtonOpensTheAboutBox) {
    ModuleRecord* module = MakeModule(3);
    std::string caption, text, stillOpen;
    auto outcome = Run(module, {[](HWND d) { modal::Click(d, IDC_VERSION); },
                                [&](HWND about) {
                                    caption = modal::Caption(about);
                                    text = modal::Text(about, IDC_ABOUT_TEXT);
                                },
                                [](HWND about) { modal::Click(about, IDOK); },
                                [&](HWND d) { stillOpen = modal::Caption(d); },
                                [](HWND d) { modal::Click(d, IDCANCEL); }});
    EXPECT_EQ(0, outcome.result);
    EXPECT_EQ(2, outcome.dialogsCreated);
    EXPECT_EQ("このﾓｼﾞｭｰﾙについて", caption);
    EXPECT_EQ("Lumo-P31A Module Version 2.00", text);
    EXPECT_EQ(variant().title, stillOpen);
}

TEST_P(ParamsDialog, HelpButtonAsksForTheHelpFile) {
    ModuleRecord* module = MakeModule(3);
    std::string stillOpen;
    auto outcome = Run(module, {[](HWND d) { modal::Click(d, IDHELP); },
                                [&](HWND d) { stillOpen = modal::Caption(d); },
                                [](HWND d) { modal::Click(d, IDCANCEL); }});
    EXPECT_EQ(0, outcome.result);
    EXPECT_EQ(variant().title, stillOpen);
    ASSERT_EQ(1u, standin::HelpRequests().size());
    EXPECT_EQ(uint32_t(HELP_FINDER), standin::HelpRequests()[0].command);
    EXPECT_EQ("Lumo31a.hlp", standin::HelpRequests()[0].file);
}

} // namespace
} // namespace dialogstest
