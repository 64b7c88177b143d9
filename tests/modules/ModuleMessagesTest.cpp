// The two classes' answers to the host's module messages: creation through "DEV_SEL", claims,
// restore and delete, experiment start and stop, the input class's own codes, and the codes
// handed to the host's default action.
#include "tests/modules/ModuleTestSupport.h"

#include "host/HostBinding.h"
#include "sim/host/user/ModalDriver.h"

#include <cstring>

using namespace moduletest;

namespace {

class ModuleMessages : public ModuleTest {};

bool NoClaims() {
    return testsupport::ClaimsPicture().find('x') == std::string::npos;
}

ModuleRecord* NewModuleOf(const char* className, uint32_t inputs = 0, uint32_t outputs = 0) {
    return standin::NewModule(*standin::FindClass(className), inputs, outputs);
}

TEST_F(ModuleMessages, CancelledCreateChangesNothing) {
    for (const char* className : {OUTPUT_CLASS, INPUT_CLASS}) {
        ModuleRecord* module = NewModuleOf(className);
        const uint8_t* params = FromAddr32<uint8_t>(module->params);
        const size_t size = standin::ClassOfModule(module)->record.paramsSize;
        const std::vector<uint8_t> before(params, params + size);
        EXPECT_EQ(CreateThroughDialog(module, -1), 0) << className;
        EXPECT_EQ(module->inputChannelCount, 0u);
        EXPECT_EQ(module->outputChannelCount, 0u);
        EXPECT_EQ(std::vector<uint8_t>(params, params + size), before);
        EXPECT_TRUE(NoClaims());
    }
}

class NoBoards : public ModuleTest {
    std::string DriverSetup() const override { return ""; }
};

TEST_F(NoBoards, CreateWithoutAUsableBoardIsRefused) {
    ModuleRecord* module = NewModuleOf(OUTPUT_CLASS);
    EXPECT_EQ(standin::SendModuleMessage(module, MODMSG_CREATE), 0);
    EXPECT_EQ(WarningTitles(), std::vector<std::string>{"エラー"});
    EXPECT_EQ(module->inputChannelCount, 0u);
    EXPECT_TRUE(NoClaims());
}

TEST_F(ModuleMessages, CreateGivesDefaultCountsOnlyToAModuleWithoutChannels) {
    ModuleRecord* output = NewModuleOf(OUTPUT_CLASS);
    ASSERT_EQ(CreateThroughDialog(output, 0), 1);
    EXPECT_EQ(output->inputChannelCount, 1u);
    EXPECT_EQ(output->outputChannelCount, 0u);

    ModuleRecord* input = NewModuleOf(INPUT_CLASS);
    ASSERT_EQ(CreateThroughDialog(input, 0), 1);
    EXPECT_EQ(input->inputChannelCount, 0u);
    EXPECT_EQ(input->outputChannelCount, 1u);

    for (const char* className : {OUTPUT_CLASS, INPUT_CLASS}) {
        ModuleRecord* module = NewModuleOf(className, 0, 2);
        ASSERT_EQ(CreateThroughDialog(module, 0), 1) << className;
        EXPECT_EQ(module->inputChannelCount, 0u);
        EXPECT_EQ(module->outputChannelCount, 2u);
    }
}

TEST_F(ModuleMessages, CreateNamesAllEightChannelsAndResetsTheirAnimation) {
    ModuleRecord* output = NewModuleOf(OUTPUT_CLASS);
    ModuleRecord* input = NewModuleOf(INPUT_CLASS);
    for (ModuleRecord* module : {output, input})
        for (unsigned channel = 0; channel < 8; ++channel)
            ChannelStateOf(module, channel)->animationPhase = 7;
    ASSERT_EQ(CreateThroughDialog(output, 0), 1);
    ASSERT_EQ(CreateThroughDialog(input, 0), 1);

    for (unsigned channel = 0; channel < 8; ++channel) {
        const std::string digit(1, char('0' + channel));
        EXPECT_STREQ(OutParamsOf(output)->channelNames[channel], ("Lumo31A OUT " + digit).c_str());
        EXPECT_STREQ(InParamsOf(input)->channelNames[channel], ("Lumo31A IN  " + digit).c_str());
        EXPECT_EQ(OutParamsOf(output)->channelFlags[channel], 1u);
        EXPECT_EQ(ChannelStateOf(output, channel)->animationPhase, 0);
        EXPECT_EQ(ChannelStateOf(input, channel)->animationPhase, 0);
    }
}

TEST_F(ModuleMessages, EachClassClaimsThePortOfItsOwnKind) {
    using Claims = std::pair<int32_t, int32_t>; // of board 2, port 3: input, output
    auto claims = [] {
        return Claims(BoardTable[2].inputClaimed[3], BoardTable[2].outputClaimed[3]);
    };
    ModuleRecord* output = NewModuleOf(OUTPUT_CLASS);
    ASSERT_EQ(CreateThroughDialog(output, 3), 1);
    EXPECT_EQ(claims(), Claims(0, 1));
    ModuleRecord* input = NewModuleOf(INPUT_CLASS);
    ASSERT_EQ(CreateThroughDialog(input, 3), 1);
    EXPECT_EQ(claims(), Claims(1, 1));
    const std::vector<int> places = {OutParamsOf(output)->boardSlot, OutParamsOf(output)->port,
                                     InParamsOf(input)->boardSlot, InParamsOf(input)->port};
    EXPECT_EQ(places, (std::vector<int>{2, 3, 2, 3}));

    EXPECT_EQ(standin::SendModuleMessage(output, MODMSG_DELETE), 1);
    EXPECT_EQ(claims(), Claims(1, 0));
    EXPECT_EQ(standin::SendModuleMessage(input, MODMSG_DELETE), 1);
    EXPECT_TRUE(NoClaims());
}

TEST_F(ModuleMessages, RestoreOfAnAbsentBoardFailsAndDeleteStillReleases) {
    for (const char* className : {OUTPUT_CLASS, INPUT_CLASS}) {
        standin::ClearRecords();
        int32_t restored = -1;
        ModuleRecord* module =
            standin::RestoreModule(standin::StoredModule(className, 7, 1, 1, 1), &restored);
        EXPECT_EQ(restored, 0) << className;
        ASSERT_EQ(standin::Warnings().size(), 1u);
        EXPECT_EQ(standin::Warnings()[0].title, "エラー");
        EXPECT_EQ(standin::Warnings()[0].text, "デバイスが存在しません");
        EXPECT_TRUE(NoClaims());

        BoardTable[7].outputClaimed[1] = BoardTable[7].inputClaimed[1] = 1;
        EXPECT_EQ(standin::SendModuleMessage(module, MODMSG_DELETE), 1);
        if (className == INPUT_CLASS)
            EXPECT_EQ(BoardTable[7].inputClaimed[1], 0);
        else
            EXPECT_EQ(BoardTable[7].outputClaimed[1], 0);
        BoardTable[7].outputClaimed[1] = BoardTable[7].inputClaimed[1] = 0;
    }
}

TEST_F(ModuleMessages, TwoRestoresOfOnePortThenOneDeleteLeaveItFree) {
    ModuleRecord* first = RestoredModule(OUTPUT_CLASS, 2, 1, 1, 0);
    ModuleRecord* second = RestoredModule(OUTPUT_CLASS, 2, 1, 1, 0);
    EXPECT_EQ(BoardTable[2].outputClaimed[1], 1);
    EXPECT_EQ(standin::SendModuleMessage(first, MODMSG_DELETE), 1);
    EXPECT_EQ(BoardTable[2].outputClaimed[1], 0);
    EXPECT_TRUE(standin::Warnings().empty());
    (void)second;
}

TEST_F(ModuleMessages, RestoreForgetsABufferAddressStoredByAnEarlierRun) {
    standin::WorksheetModule stored = standin::StoredModule(OUTPUT_CLASS, 2, 0, 1, 0);
    const Addr32 stale = 0x00ABCDEF;
    std::memcpy(&stored.params[offsetof(OutParams, portBytes)], &stale, sizeof stale);
    int32_t restored = -1;
    ModuleRecord* module = standin::RestoreModule(stored, &restored);
    ASSERT_EQ(restored, 1);
    EXPECT_EQ(OutParamsOf(module)->portBytes, 0u);

    // Processed without a start: the blocks stay with the host and nothing is written.
    standin::SetBlockSize(2);
    standin::QueueInputBlock(module, 0, {5.0f, 5.0f});
    EXPECT_EQ(standin::RunProcess(module), 1);
    EXPECT_EQ(standin::QueuedInputBlocks(module, 0), 1u);
    EXPECT_TRUE(PortWrites(2, 0).empty());

    const size_t live = standin::LivePluginAllocations();
    EXPECT_EQ(standin::SendModuleMessage(module, MODMSG_EXPERIMENT_STOP), 1);
    EXPECT_EQ(standin::LivePluginAllocations(), live);
}

TEST_F(ModuleMessages, OutputStartWithoutMemoryFailsAndTheStopAfterItDoesNothing) {
    ModuleRecord* module = RestoredModule(OUTPUT_CLASS, 2, 0, 2, 0);
    ChannelStateOf(module, 0)->samplesDelivered = 55;
    standin::SetBlockSize(64);
    const size_t live = standin::LivePluginAllocations();
    standin::FailNextAllocation();
    EXPECT_EQ(standin::SendModuleMessage(module, MODMSG_EXPERIMENT_START), 0);
    ASSERT_EQ(standin::Warnings().size(), 1u);
    EXPECT_EQ(standin::Warnings()[0].title, "Lumo-P31");
    EXPECT_EQ(standin::Warnings()[0].text,
              "出力バッファ確保が失敗しました\nブロックサイズを少なくして下さい");
    EXPECT_EQ(OutParamsOf(module)->portBytes, 0u);
    EXPECT_EQ(ChannelStateOf(module, 0)->samplesDelivered, 55u);

    EXPECT_EQ(standin::SendModuleMessage(module, MODMSG_EXPERIMENT_STOP), 1);
    EXPECT_EQ(standin::LivePluginAllocations(), live);
}

TEST_F(ModuleMessages, OutputStartMakesOneBufferAndTwoStopsFreeItOnce) {
    ModuleRecord* module = RestoredModule(OUTPUT_CLASS, 2, 0, 2, 0);
    for (unsigned channel = 0; channel < 3; ++channel)
        *ChannelStateOf(module, channel) = {1, 99, 4};
    standin::SetBlockSize(16);
    const size_t live = standin::LivePluginAllocations();
    EXPECT_EQ(standin::SendModuleMessage(module, MODMSG_EXPERIMENT_START), 1);
    EXPECT_NE(OutParamsOf(module)->portBytes, 0u);
    EXPECT_EQ(standin::LivePluginAllocations(), live + 1);
    for (unsigned channel = 0; channel < 2; ++channel) {
        EXPECT_EQ(ChannelStateOf(module, channel)->blockPending, 0u);
        EXPECT_EQ(ChannelStateOf(module, channel)->samplesDelivered, 0u);
        EXPECT_EQ(ChannelStateOf(module, channel)->animationPhase, 0);
    }
    EXPECT_EQ(ChannelStateOf(module, 2)->samplesDelivered, 99u); // not a used channel

    // The host takes back only the pointer it gave: not portBytes, which names byte 0.
    EXPECT_EQ(standin::SendModuleMessage(module, MODMSG_EXPERIMENT_STOP), 1);
    EXPECT_EQ(OutParamsOf(module)->portBytes, 0u);
    EXPECT_EQ(standin::LivePluginAllocations(), live);
    EXPECT_EQ(standin::SendModuleMessage(module, MODMSG_EXPERIMENT_STOP), 1);
    EXPECT_EQ(standin::LivePluginAllocations(), live);
}

TEST_F(ModuleMessages, StartWithMoreThanEightChannelsResetsOnlyTheEightStates) {
    ModuleRecord* output = RestoredModule(OUTPUT_CLASS, 2, 0, 12, 0);
    ModuleRecord* input = RestoredModule(INPUT_CLASS, 2, 0, 0, 12);
    standin::SetBlockSize(4);
    for (ModuleRecord* module : {output, input}) {
        memset(module->reserved1000, 0xEE, sizeof module->reserved1000);
        for (unsigned channel = 0; channel < 8; ++channel)
            ChannelStateOf(module, channel)->samplesDelivered = 3;
        EXPECT_EQ(standin::SendModuleMessage(module, MODMSG_EXPERIMENT_START), 1);
        for (unsigned channel = 0; channel < 8; ++channel)
            EXPECT_EQ(ChannelStateOf(module, channel)->samplesDelivered, 0u);
        for (uint8_t byte : module->reserved1000)
            EXPECT_EQ(byte, 0xEE);
    }
    EXPECT_EQ(standin::SendModuleMessage(output, MODMSG_EXPERIMENT_STOP), 1);
}

TEST_F(ModuleMessages, InputStartResetsTheWordsOfItsOutputChannelsOnly) {
    ModuleRecord* none = RestoredModule(INPUT_CLASS, 2, 0, 0, 0);
    InParamsOf(none)->resetWord = 0x1234;
    InParamsOf(none)->channelResets[0].resetWord = 0x55;
    *ChannelStateOf(none, 0) = {1, 40, 3};
    EXPECT_EQ(standin::SendModuleMessage(none, MODMSG_EXPERIMENT_START), 1);
    EXPECT_EQ(InParamsOf(none)->resetWord, 0x1234u);
    EXPECT_EQ(InParamsOf(none)->channelResets[0].resetWord, 0x55u);
    EXPECT_EQ(ChannelStateOf(none, 0)->samplesDelivered, 40u);

    ModuleRecord* two = RestoredModule(INPUT_CLASS, 2, 1, 0, 2);
    InParams* params = InParamsOf(two);
    memset(params->reserved204, 0x77, sizeof params->reserved204);
    params->resetWord = 9;
    for (unsigned channel = 0; channel < 3; ++channel) {
        params->channelResets[channel].resetWord = 9;
        *ChannelStateOf(two, channel) = {1, 40, 3};
    }
    EXPECT_EQ(standin::SendModuleMessage(two, MODMSG_EXPERIMENT_START), 1);
    EXPECT_EQ(params->resetWord, 0u);
    EXPECT_EQ(params->channelResets[0].resetWord, 0u);
    EXPECT_EQ(params->channelResets[1].resetWord, 0u);
    EXPECT_EQ(params->channelResets[2].resetWord, 9u);
    EXPECT_EQ(ChannelStateOf(two, 1)->blockPending, 0u);
    EXPECT_EQ(ChannelStateOf(two, 1)->samplesDelivered, 0u);
    EXPECT_EQ(ChannelStateOf(two, 1)->animationPhase, 0);
    EXPECT_EQ(ChannelStateOf(two, 2)->samplesDelivered, 40u);
    for (uint8_t byte : params->reserved204)
        EXPECT_EQ(byte, 0x77);
}

TEST_F(ModuleMessages, InputClassAnswersTheClassInfoRequestOfKind13Only) {
    ModuleRecord* module = NewModuleOf(INPUT_CLASS);
    ClassInfoRequest* request =
        static_cast<ClassInfoRequest*>(standin::HostAlloc(sizeof(ClassInfoRequest)));
    const uint32_t address = ToAddr32(request);

    memset(request, 0xCC, sizeof *request);
    request->requestKind = 12;
    ClassInfoRequest before = *request;
    EXPECT_EQ(standin::SendModuleMessage(module, MODMSG_CLASS_INFO, 0, address), 0);
    EXPECT_EQ(memcmp(request, &before, sizeof before), 0);

    request->requestKind = 13;
    before = *request;
    EXPECT_EQ(standin::SendModuleMessage(module, MODMSG_CLASS_INFO, 0, address), 1);
    EXPECT_EQ(request->instance, HandleToAddr32(hostBinding.instance));
    EXPECT_EQ(request->requestKind, 13u);
    EXPECT_EQ(memcmp(request->templateName, "LUMO31A_IN", 11), 0);
    EXPECT_EQ(memcmp(request->reserved19, before.reserved19, sizeof before.reserved19), 0);
    EXPECT_EQ(request->reserved28, 0u);
    EXPECT_EQ(request->labelStringId, 3957u); // IDS_INPUT_LABEL
    EXPECT_TRUE(standin::DefaultActions().empty());
    standin::HostFree(request);
}

TEST_F(ModuleMessages, InputClassMessage123ClearsTheFirstWordOfTheExtraBlock) {
    ModuleRecord* module = NewModuleOf(INPUT_CLASS);
    InExtraBlock* extra = FromAddr32<InExtraBlock>(module->extra);
    memset(extra, 0x5A, sizeof *extra);
    EXPECT_EQ(standin::SendModuleMessage(module, MODMSG_CLEAR_EXTRA_BLOCK), 1);
    EXPECT_EQ(extra->firstWord, 0u);
    for (uint8_t byte : extra->reserved4)
        EXPECT_EQ(byte, 0x5A);
}

// What each class answers itself (code, result) and which codes reach the default action.
struct Answer {
    uint32_t message;
    int32_t result;
};

void ExpectAnswers(const char* className, const std::vector<Answer>& answers) {
    ModuleRecord* module = NewModuleOf(className);
    for (const Answer& answer : answers) {
        standin::ClearRecords();
        EXPECT_EQ(standin::SendModuleMessage(module, answer.message, 11, 22), answer.result)
            << className << " message " << answer.message;
        EXPECT_TRUE(standin::DefaultActions().empty()) << className << " " << answer.message;
    }
}

void ExpectDefault(const char* className, const std::vector<uint32_t>& messages) {
    ModuleRecord* module = NewModuleOf(className);
    standin::SetDefaultActionResult(-77);
    for (uint32_t message : messages) {
        standin::ClearRecords();
        EXPECT_EQ(standin::SendModuleMessage(module, message, 0x10203040, 0x50607080), -77)
            << className << " message " << message;
        ASSERT_EQ(standin::DefaultActions().size(), 1u) << className << " " << message;
        const standin::DefaultAction& action = standin::DefaultActions()[0];
        EXPECT_EQ(action.module, module);
        EXPECT_EQ(action.message, message);
        EXPECT_EQ(action.param, 0x10203040u);
        EXPECT_EQ(action.data, 0x50607080u);
    }
}

TEST_F(ModuleMessages, OutputClassHandsItsUnlistedCodesToTheDefaultAction) {
    ExpectAnswers(OUTPUT_CLASS,
                  {{MODMSG_NOTIFY_1, 1}, {MODMSG_NOTIFY_104, 1}, {MODMSG_NOTIFY_201, 1}});
    ExpectDefault(OUTPUT_CLASS,
                  {0, 2, 100, 108, MODMSG_QUERY_117, MODMSG_QUERY_118, MODMSG_QUERY_119,
                   MODMSG_QUERY_120, MODMSG_QUERY_121, MODMSG_QUERY_122, MODMSG_CLEAR_EXTRA_BLOCK,
                   MODMSG_CLASS_INFO, 200, 202, 0xFFFFFFFF});
}

TEST_F(ModuleMessages, InputClassAnswers117To124Itself) {
    // clang-format off
    ExpectAnswers(INPUT_CLASS, {{MODMSG_NOTIFY_1, 1}, {MODMSG_NOTIFY_104, 1},
                                {MODMSG_EXPERIMENT_STOP, 1}, {MODMSG_QUERY_117, 0},
                                {MODMSG_QUERY_118, 1}, {MODMSG_QUERY_119, 0}, {MODMSG_QUERY_120, 0},
                                {MODMSG_QUERY_121, 0}, {MODMSG_QUERY_122, 0},
                                {MODMSG_CLEAR_EXTRA_BLOCK, 1}, {MODMSG_NOTIFY_201, 1}});
    // clang-format on
    ExpectDefault(INPUT_CLASS, {0, 2, 100, 108, 116, 125, 200, 202, 0xFFFFFFFF});
}

TEST_F(ModuleMessages, ParameterDialogAnswers1WhetherConfirmedOrCancelled) {
    for (const char* className : {OUTPUT_CLASS, INPUT_CLASS})
        for (int button : {IDOK, IDCANCEL}) {
            ModuleRecord* module = RestoredModule(className, 2, 0, 1, 1);
            int32_t result = -100;
            const modal::Outcome outcome = modal::RunModal(
                [&] {
                    result = standin::SendModuleMessage(module, MODMSG_PARAMETER_DIALOG);
                    return INT_PTR(0);
                },
                {[button](HWND dialog) { modal::Click(dialog, button); }});
            EXPECT_EQ(result, 1) << className << " button " << button;
            EXPECT_EQ(outcome.stepsRun, 1);
            EXPECT_FALSE(outcome.forcedEnd);
        }
}

} // namespace
