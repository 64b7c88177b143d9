// The stand-in host on its own, without the plug-in: what it answers, what its services do and
// what they refuse. A small module class of the test's own plays the plug-in's part.
#include "host/HostNames.h"
#include "modules/ModuleRecords.h"
#include "sim/host/core/HostControl.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <set>
#include <thread>

namespace {

template <typename Fn> Fn Service(const char* name) {
    return reinterpret_cast<Fn>(standin::AnswerService(name));
}

// ---- A module class of the test's own ---------------------------------------------------------

struct HandlerCall {
    uint32_t message;
    ModuleRecord* current; // the current-module pointer while the handler ran
    ModuleRecord* module;
};
std::vector<HandlerCall> handlerCalls;
uint32_t refusedMessage = 0;            // the handler answers 0 to this one
ModuleRecord* refusingModule = nullptr; // for this module only, when set

int32_t PEMO_HOSTCALL TestHandler(ModuleRecord* module, uint32_t message, uint32_t, uint32_t) {
    handlerCalls.push_back({message, standin::CurrentModulePointer(), module});
    const bool refuses = !refusingModule || module == refusingModule;
    return message == refusedMessage && refuses ? 0 : 1;
}

// Moves every queued input block of channel 0 to output channel 0, until none is left.
int32_t PEMO_HOSTCALL TestProcess(ModuleRecord* module) {
    auto getInput = Service<GetInputBlockFn>("GetInputBlock");
    auto releaseInput = Service<NewReleaseInputBlockFn>("NewReleaseInputBlock");
    auto getOutput = Service<GetCurrentOutputBlockFn>("GetCurrentOutputBlock");
    auto releaseOutput = Service<NewReleaseOutputBlockFn>("NewReleaseOutputBlock");
    while (DataBlock* in = getInput(module, 0)) {
        DataBlock* out = getOutput(OutputChannelOf(module, 0));
        out->sampleCount = in->sampleCount;
        std::memcpy(out->samples, in->samples, in->sampleCount * sizeof(float));
        releaseOutput(OutputChannelOf(module, 0), __FILE__, __LINE__);
        releaseInput(module, 0, __FILE__, __LINE__);
    }
    return 1;
}

char testClassName[] = "Test class";
char testShortName[] = "Test ";
char testDescription[] = "A class of the test";

class StandInHost : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(standin::HostStart());
        handlerCalls.clear();
        refusedMessage = 0;
        refusingModule = nullptr;
    }
    void TearDown() override { standin::HostStop(); }

    const standin::RegisteredClass& RegisterTestClass() {
        ModuleClassRecord record = {};
        record.className = ToAddr32(testClassName);
        record.shortName = ToAddr32(testShortName);
        record.description = ToAddr32(testDescription);
        record.paramsSize = 236;
        record.extraSize = 520;
        record.classId = 7000;
        record.messageHandler = ToAddr32(reinterpret_cast<void*>(&TestHandler));
        record.processFunction = ToAddr32(reinterpret_cast<void*>(&TestProcess));
        EXPECT_EQ(Service<RegisterModuleClassFn>("RegisterModuleClass")(&record), 1);
        std::memset(&record, 0xCC, sizeof record); // the host keeps its own copy
        return *standin::FindClass(testClassName);
    }
};

// ---- Main window, menu, names -----------------------------------------------------------------

std::string MenuText(HMENU menu, int position) {
    char text[100] = "";
    GetMenuStringA(menu, position, text, sizeof text, MF_BYPOSITION);
    return text;
}

TEST_F(StandInHost, MenuBarHasTheHostsFivePopups) {
    const char* const captions[] = {"ファイル(&F)", "モジュール(&M)", "実験(&X)", "ウィンドウ(&W)",
                                    "ヘルプ(&H)"};
    HMENU bar = standin::MainMenu();
    ASSERT_EQ(GetMenu(standin::MainWindow()), bar);
    ASSERT_EQ(GetMenuItemCount(bar), 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(MenuText(bar, i), captions[i]) << i;
        EXPECT_TRUE(standin::IsHostMenuPopup(GetSubMenu(bar, i))) << i;
    }
}

int pluginCommandRuns = 0;
void PEMO_HOSTCALL PluginCommand() {
    ++pluginCommandRuns;
}

TEST_F(StandInHost, MenuCommandsReachThePluginFirstThenTheHost) {
    int hostRuns[2] = {0, 0};
    standin::RegisterHostCommand(HOSTCMD_DEVICE_SETUP, [&] { ++hostRuns[0]; });
    standin::RegisterHostCommand(standin::HOSTCMD_EXPERIMENT_START, [&] { ++hostRuns[1]; });
    pluginCommandRuns = 0;
    EXPECT_EQ(
        Service<RegisterMenuEntryFn>("RegisterMenuEntry")(HOSTCMD_DEVICE_SETUP, PluginCommand), 1);
    EXPECT_EQ(standin::MenuEntries(), std::vector<uint32_t>{HOSTCMD_DEVICE_SETUP});

    struct Step {
        uint32_t command;
        int pluginRuns, hostSetupRuns, hostStartRuns;
    };
    const Step steps[] = {
        {HOSTCMD_DEVICE_SETUP, 1, 0, 0},              // the plug-in's handler replaces the host's
        {standin::HOSTCMD_EXPERIMENT_START, 1, 0, 1}, // a host command
        {12345, 1, 0, 1},                             // nobody's: nothing happens
    };
    for (const Step& step : steps) {
        standin::ChooseMenuCommand(step.command);
        EXPECT_EQ(pluginCommandRuns, step.pluginRuns) << step.command;
        EXPECT_EQ(hostRuns[0], step.hostSetupRuns) << step.command;
        EXPECT_EQ(hostRuns[1], step.hostStartRuns) << step.command;
    }
}

TEST_F(StandInHost, NamesAreAnsweredThroughTheMainWindow) {
    HWND window = standin::MainWindow();
    auto ask = [window](UINT message, const char* name) {
        return uintptr_t(SendMessageA(window, message, 0, LPARAM(name)));
    };
    struct Case {
        UINT message;
        const char* name;
        uintptr_t expected;
    };
    const Case cases[] = {
        {HOSTMSG_VARIABLE, "MainMenu", uintptr_t(standin::MainMenu())},
        {HOSTMSG_VARIABLE, "hInstPemo", uintptr_t(GetModuleHandleA(nullptr))},
        {HOSTMSG_VARIABLE, "hBitChannel", uintptr_t(standin::ChannelBitmaps())},
        {HOSTMSG_VARIABLE, "hBitLessMore", uintptr_t(standin::LessMoreBitmaps())},
        {HOSTMSG_VARIABLE, "mainmenu", 0},    // spelled exactly or not at all
        {HOSTMSG_VARIABLE, "NewMemAlloc", 0}, // a service is no variable
        {HOSTMSG_SERVICE, "MainMenu", 0},
        {HOSTMSG_SERVICE, "NewMemAlloc", standin::AnswerService("NewMemAlloc")},
        {HOSTMSG_SERVICE, "", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ask(c.message, c.name), c.expected) << c.message << " " << c.name;
    EXPECT_EQ(standin::NameQueries().size(), sizeof cases / sizeof cases[0]);

    // &CurrentModulePtr designates the word the host keeps its current module in.
    auto* word = reinterpret_cast<Addr32*>(ask(HOSTMSG_VARIABLE, "&CurrentModulePtr"));
    standin::SetCurrentModule(reinterpret_cast<ModuleRecord*>(uintptr_t(0x1234)));
    EXPECT_EQ(*word, 0x1234u);
}

TEST_F(StandInHost, AnOmittedNameIsAnswered0) {
    standin::HostStop();
    for (const char* name : {"DezTrenn", "TimeBaseDialog"}) {
        ASSERT_TRUE(standin::HostStart());
        standin::Faults().omitName = name;
        EXPECT_EQ(standin::AnswerVariable(name) + standin::AnswerService(name), 0u) << name;
        EXPECT_NE(standin::AnswerVariable("TimeTrenn"), 0u);
        EXPECT_NE(standin::AnswerService("NewMemAlloc"), 0u);
    }
}

TEST_F(StandInHost, EveryUnprovidedServiceNamesItselfAndAnswers0) {
    // The services the plug-in uses are real; each of them is tested on its own below.
    const std::set<std::string> real = {"NewMemAlloc",           "NewDoMemFree",
                                        "DefineDllModule",       "DefineDllVariable",
                                        "RegisterModuleClass",   "PerformDefaultAction",
                                        "NewReleaseOutputBlock", "GetCurrentOutputBlock",
                                        "GetInputBlock",         "NewReleaseInputBlock",
                                        "ChangeModuleSize",      "ShowWarning",
                                        "StopExperiment",        "CreateStackedFontIndirect",
                                        "DeleteStackedObject",   "RegisterMenuEntry"};
    int unprovided = 0;
    for (int i = 0; i < HOST_SERVICE_COUNT; ++i) {
        const char* name = hostServiceNames[i];
        auto entry = Service<int32_t(PEMO_SERVICECALL*)(void)>(name);
        ASSERT_NE(entry, nullptr) << name;
        if (real.count(name))
            continue;
        const size_t before = standin::UnprovidedCalls().size();
        EXPECT_EQ(entry(), 0) << name;
        ASSERT_EQ(standin::UnprovidedCalls().size(), before + 1) << name;
        EXPECT_EQ(standin::UnprovidedCalls().back(), name);
        ++unprovided;
    }
    EXPECT_EQ(unprovided, HOST_SERVICE_COUNT - int(real.size()));
}

TEST_F(StandInHost, DefinedVariablesAreKeptCurrentAtTheirWidth) {
    auto define = Service<DefineDllVariableFn>("DefineDllVariable");
    double milliSeconds = -1;
    uint32_t blockSize = 7;
    uint32_t narrow = 0;
    EXPECT_EQ(define("fGlobalMilliSecondsPerSample", &milliSeconds, 8), 1);
    EXPECT_EQ(define("uiGlobalBlockSize", &blockSize, 4), 1);
    EXPECT_EQ(blockSize, 0u) << "the host's value is written at once";
    // The host writes 8 bytes here: a 4-byte variable would be overrun.
    EXPECT_EQ(define("fGlobalMilliSecondsPerSample", &narrow, 4), 0);
    EXPECT_EQ(define(nullptr, &narrow, 4), 0);
    EXPECT_EQ(standin::Complaints().size(), 2u);
    standin::SetMilliSecondsPerSample(0.5);
    standin::SetBlockSize(64);
    EXPECT_EQ(milliSeconds, 0.5);
    EXPECT_EQ(blockSize, 64u);
    EXPECT_EQ(standin::DefineDllVariableCalls(), 4);
    EXPECT_EQ(standin::DefinedVariables().size(), 2u);
}

// ---- Memory, fonts, bitmaps, help ---------------------------------------------------------------

TEST_F(StandInHost, PluginMemoryLiesBelow4GBAndIsGivenBackOnce) {
    auto alloc = Service<NewMemAllocFn>("NewMemAlloc");
    auto release = Service<NewDoMemFreeFn>("NewDoMemFree");
    void* block = alloc(1000, __FILE__, __LINE__);
    ASSERT_NE(block, nullptr);
    EXPECT_LT(uintptr_t(block) + 1000, 0x100000000ull);
    EXPECT_EQ(standin::LivePluginAllocations(), 1u);

    standin::FailNextAllocation();
    EXPECT_EQ(alloc(10, __FILE__, __LINE__), nullptr);
    void* next = alloc(10, __FILE__, __LINE__);
    EXPECT_NE(next, nullptr) << "only the next allocation fails";

    EXPECT_EQ(release(block, __FILE__, __LINE__), 1);
    EXPECT_TRUE(standin::Complaints().empty());
    EXPECT_EQ(release(block, __FILE__, __LINE__), 0) << "a second release is refused";
    void* hostOwn = standin::HostAlloc(16);
    EXPECT_EQ(release(hostOwn, __FILE__, __LINE__), 0) << "not the plug-in's to give back";
    EXPECT_EQ(standin::Complaints().size(), 2u);
    EXPECT_EQ(release(next, __FILE__, __LINE__), 1);
    EXPECT_EQ(standin::LivePluginAllocations(), 0u);
    EXPECT_EQ(standin::PluginAllocationCalls(), 3u) << "the refused one too";
}

bool Accessible(const void* address) {
    MEMORY_BASIC_INFORMATION info = {};
    return VirtualQuery(address, &info, sizeof info) == sizeof info && info.State == MEM_COMMIT &&
           info.Protect == PAGE_READWRITE;
}

// The guard-page memory the other tests rely on: each block ends against a page nobody can read
// or write, what the plug-in is to fill starts patterned, a released block's pages are no longer
// there, and an address past a block or in a released one is named.
TEST_F(StandInHost, BlocksEndAgainstANoAccessPageAndReleasedOnesStayNoAccess) {
    ASSERT_TRUE(standin::GuardPagesOn()) << "the tests run with PEMO_HOST_GUARD_PAGES=1";
    auto alloc = Service<NewMemAllocFn>("NewMemAlloc");
    auto release = Service<NewDoMemFreeFn>("NewDoMemFree");
    for (uint32_t size : {0u, 1u, 13u, 4095u, 4096u, 4097u, 70000u}) {
        SCOPED_TRACE(size);
        auto* own = static_cast<uint8_t*>(standin::HostAlloc(size, "a test block"));
        auto* plugin = static_cast<uint8_t*>(alloc(size, "here.cpp", 7));
        ASSERT_TRUE(own && plugin);
        for (uint8_t* block : {own, plugin}) {
            EXPECT_FALSE(Accessible(block + size)) << "the byte past the end";
            if (size) {
                EXPECT_TRUE(Accessible(block));
                EXPECT_TRUE(Accessible(block + size - 1));
            }
        }
        if (size) {
            EXPECT_EQ(own[size - 1], 0) << "the host's blocks start zero-filled";
            EXPECT_EQ(plugin[size - 1], 0xCD) << "the plug-in's start patterned";
        }
        EXPECT_EQ(standin::GuardFaultText(own + size + 2),
                  "2 bytes past the end of a test block (" + std::to_string(size) + " bytes)");
        standin::HostFree(own);
        EXPECT_EQ(release(plugin, "here.cpp", 8), 1);
        if (size) {
            EXPECT_FALSE(Accessible(own)) << "released";
            EXPECT_EQ(standin::GuardFaultText(plugin),
                      "byte 0 of the NewMemAlloc block of here.cpp:7 (" + std::to_string(size) +
                          " bytes), after its release");
        }
    }
    int local = 0;
    EXPECT_EQ(standin::GuardFaultText(&local), "") << "not the host's";
}

TEST_F(StandInHost, FontsAreCountedAndOnlyTheHostsAreDeleted) {
    auto create = Service<CreateStackedFontIndirectFn>("CreateStackedFontIndirect");
    auto destroy = Service<DeleteStackedObjectFn>("DeleteStackedObject");
    LOGFONTA description = {};
    description.lfHeight = -12;
    HFONT font = create(&description);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(standin::FontsCreated(), 1);
    EXPECT_EQ(standin::FontsAlive(), 1);
    EXPECT_EQ(destroy(font), 1);
    EXPECT_EQ(standin::FontsAlive(), 0);
    EXPECT_EQ(destroy(font), 0);
    EXPECT_EQ(destroy(GetStockObject(SYSTEM_FONT)), 0);
    EXPECT_EQ(standin::Complaints().size(), 2u);
    EXPECT_EQ(create(nullptr), nullptr);
}

std::vector<uint32_t> Pixels(HBITMAP bitmap, int* width, int* height) {
    BITMAP info;
    GetObjectA(bitmap, sizeof info, &info);
    *width = info.bmWidth;
    *height = info.bmHeight;
    BITMAPINFO format = {};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = info.bmWidth;
    format.bmiHeader.biHeight = -info.bmHeight;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    std::vector<uint32_t> pixels(size_t(info.bmWidth) * info.bmHeight);
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, bitmap, 0, info.bmHeight, pixels.data(), &format, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    return pixels;
}

TEST_F(StandInHost, ControlPicturesHaveOneSizePerKindAndDifferPerState) {
    struct Kind {
        const Addr32* pictures;
        int count, width, height;
    };
    const Kind kinds[] = {{standin::ChannelBitmaps(), 4, 22, 30},
                          {standin::LessMoreBitmaps(), 6, 24, 32}};
    for (const Kind& kind : kinds) {
        ASSERT_NE(kind.pictures, nullptr);
        EXPECT_LT(uintptr_t(kind.pictures), 0x100000000ull);
        std::set<std::vector<uint32_t>> looks;
        for (int i = 0; i < kind.count; ++i) {
            int width = 0, height = 0;
            looks.insert(Pixels(HandleFromAddr32<HBITMAP>(kind.pictures[i]), &width, &height));
            EXPECT_EQ(width, kind.width) << i;
            EXPECT_EQ(height, kind.height) << i;
        }
        EXPECT_EQ(looks.size(), size_t(kind.count)) << "every state has its own picture";
    }
}

TEST_F(StandInHost, HelpRequestsReachTheHelpWindowAndReturnAtOnce) {
    const DWORD start = GetTickCount();
    EXPECT_TRUE(WinHelpA(standin::MainWindow(), "Lumo31a.hlp", HELP_CONTEXT, 42));
    EXPECT_TRUE(WinHelpA(standin::MainWindow(), "Lumo31a.hlp", HELP_QUIT, 0));
    EXPECT_LT(GetTickCount() - start, 5000u);
    ASSERT_EQ(standin::HelpRequests().size(), 2u);
    EXPECT_EQ(standin::HelpRequests()[0].command, uint32_t(HELP_CONTEXT));
    EXPECT_EQ(standin::HelpRequests()[0].file, "Lumo31a.hlp");
    EXPECT_EQ(standin::HelpRequests()[0].data, 42u);
    EXPECT_EQ(standin::HelpRequests()[1].command, uint32_t(HELP_QUIT));
}

// ---- Modules --------------------------------------------------------------------------------

TEST_F(StandInHost, NewModuleProvidesEveryRecordTheClassNeeds) {
    ModuleRecord* module = standin::NewModule(RegisterTestClass(), 2, 3);
    ASSERT_NE(module, nullptr);
    EXPECT_LT(uintptr_t(module) + sizeof *module, 0x100000000ull);
    EXPECT_EQ(module->inputChannelCount, 2u);
    EXPECT_EQ(module->outputChannelCount, 3u);
    EXPECT_EQ(module->processEnable, 1u);
    EXPECT_STREQ(module->moduleName, "Test");
    HWND window = HandleFromAddr32<HWND>(module->hWnd);
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(GetParent(window), standin::MainWindow());

    const uint8_t* params = FromAddr32<uint8_t>(module->params);
    const uint8_t* extra = FromAddr32<uint8_t>(module->extra);
    ASSERT_NE(params, nullptr);
    ASSERT_NE(extra, nullptr);
    EXPECT_EQ(std::count(params, params + 236, 0), 236);
    EXPECT_EQ(std::count(extra, extra + 520, 0), 520);
    std::set<Addr32> distinct;
    for (int i = 0; i < 8; ++i)
        distinct.insert(module->channelState[i]);
    for (int i = 0; i < 16; ++i)
        distinct.insert(module->outputChannels[i]);
    EXPECT_EQ(distinct.size(), 24u);
    EXPECT_EQ(distinct.count(0), 0u);

    standin::DeleteModuleRecord(module);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_TRUE(standin::Modules().empty());
}

TEST_F(StandInHost, ModuleMessagesAndTheServicesOfTheHandler) {
    ModuleRecord* first = standin::NewModule(RegisterTestClass());
    ModuleRecord* second = standin::NewModule(*standin::FindClass(testClassName));
    standin::SetCurrentModule(first);
    EXPECT_EQ(standin::SendModuleMessage(second, MODMSG_CREATE), 1);
    EXPECT_EQ(standin::SendModuleMessage(second, MODMSG_PARAMETER_DIALOG), 1);
    ASSERT_EQ(handlerCalls.size(), 2u);
    EXPECT_EQ(handlerCalls[0].current, first)
        << "only the parameter dialog moves the current module";
    EXPECT_EQ(handlerCalls[1].current, second);

    auto resize = Service<ChangeModuleSizeFn>("ChangeModuleSize");
    EXPECT_EQ(resize(second, 4, 5), 1);
    EXPECT_EQ(second->inputChannelCount, 4u);
    EXPECT_EQ(second->outputChannelCount, 5u);
    EXPECT_EQ(resize(second, 1, 17), 0) << "more channels than the host has records for";
    EXPECT_EQ(second->outputChannelCount, 5u);
    EXPECT_EQ(standin::SizeChanges().size(), 2u);

    auto perform = Service<PerformDefaultActionFn>("PerformDefaultAction");
    standin::SetDefaultActionResult(77);
    EXPECT_EQ(perform(second, 202, 1, 2), 77);
    ASSERT_EQ(standin::DefaultActions().size(), 1u);
    EXPECT_EQ(standin::DefaultActions()[0].message, 202u);
    EXPECT_EQ(standin::DefaultActions()[0].data, 2u);
}

TEST_F(StandInHost, ExperimentStartAndStop) {
    ModuleRecord* modules[] = {standin::NewModule(RegisterTestClass()),
                               standin::NewModule(*standin::FindClass(testClassName))};
    ASSERT_TRUE(standin::StartExperiment({modules[0], modules[1]}));
    EXPECT_TRUE(standin::ExperimentRunning());
    EXPECT_EQ(standin::BlockSize(), 100u) << "defaults for values nobody set";
    EXPECT_EQ(standin::MilliSecondsPerSample(), 1.0);
    EXPECT_LE(GetTickCount() - standin::ExperimentStartTicks(), 1000u);
    standin::StopExperimentRun({modules[0], modules[1]});
    EXPECT_FALSE(standin::ExperimentRunning());

    // A module that cannot start ends the run before it began for those already started; the
    // ones after it are not asked.
    ModuleRecord* third = standin::NewModule(*standin::FindClass(testClassName));
    handlerCalls.clear();
    refusedMessage = MODMSG_EXPERIMENT_START;
    refusingModule = modules[1];
    standin::SetBlockSize(0);
    EXPECT_FALSE(standin::StartExperiment({modules[0], modules[1], third}));
    EXPECT_FALSE(standin::ExperimentRunning());
    EXPECT_EQ(standin::BlockSize(), 0u) << "a value that was set stays, even 0";
    std::vector<std::pair<uint32_t, ModuleRecord*>> messages;
    for (const HandlerCall& call : handlerCalls)
        messages.emplace_back(call.message, call.module);
    EXPECT_EQ(messages, (std::vector<std::pair<uint32_t, ModuleRecord*>>{
                            {MODMSG_EXPERIMENT_START, modules[0]},
                            {MODMSG_EXPERIMENT_START, modules[1]},
                            {MODMSG_EXPERIMENT_STOP, modules[0]}}));
}

// ---- Blocks -------------------------------------------------------------------------------

TEST_F(StandInHost, InputBlocksQueueAndAreReleasedOnlyWhenHandedOut) {
    ModuleRecord* module = standin::NewModule(RegisterTestClass(), 1, 0);
    standin::SetMilliSecondsPerSample(2.0);
    standin::QueueInputBlock(module, 0, {1, 2, 3});
    standin::QueueInputBlock(module, 0, {4, 5});
    auto get = Service<GetInputBlockFn>("GetInputBlock");
    auto release = Service<NewReleaseInputBlockFn>("NewReleaseInputBlock");
    EXPECT_EQ(release(module, 0, __FILE__, __LINE__), 0) << "nothing handed out yet";
    EXPECT_EQ(standin::Complaints().size(), 1u);

    struct Expected {
        double startTime;
        std::vector<float> samples;
    };
    const Expected blocks[] = {{0.0, {1, 2, 3}}, {0.006, {4, 5}}};
    for (const Expected& expected : blocks) {
        DataBlock* block = get(module, 0);
        ASSERT_NE(block, nullptr);
        EXPECT_EQ(get(module, 0), block) << "the same block until it is released";
        EXPECT_DOUBLE_EQ(block->startTime, expected.startTime);
        EXPECT_DOUBLE_EQ(block->sampleDistance, 0.002);
        ASSERT_EQ(block->sampleCount, expected.samples.size());
        EXPECT_EQ(std::vector<float>(block->samples, block->samples + block->sampleCount),
                  expected.samples);
        EXPECT_EQ(release(module, 0, __FILE__, __LINE__), 1);
    }
    EXPECT_EQ(get(module, 0), nullptr);
    EXPECT_EQ(get(module, 1), nullptr);
    EXPECT_EQ(standin::InputBlocksReleased(module, 0), 2);
    EXPECT_EQ(standin::QueuedInputBlocks(module, 0), 0u);
}

TEST_F(StandInHost, OutputBlocksAreRecordedAndCarriedToConnectedInputs) {
    const standin::RegisteredClass& testClass = RegisterTestClass();
    ModuleRecord* source = standin::NewModule(testClass, 0, 2);
    ModuleRecord* sink = standin::NewModule(testClass, 1, 0);
    standin::Connect(source, 1, sink, 0);
    standin::SetBlockSize(4);
    auto get = Service<GetCurrentOutputBlockFn>("GetCurrentOutputBlock");
    auto release = Service<NewReleaseOutputBlockFn>("NewReleaseOutputBlock");

    OutputChannelRecord* channel = OutputChannelOf(source, 1);
    EXPECT_EQ(release(channel, __FILE__, __LINE__), 0) << "nothing handed out yet";
    DataBlock* block = get(channel);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(get(channel), block);
    block->startTime = 0.5;
    block->sampleDistance = 0.001;
    block->sampleCount = 4;
    for (int i = 0; i < 4; ++i)
        block->samples[i] = float(i) * 5;
    EXPECT_EQ(release(channel, __FILE__, __LINE__), 1);

    // A count beyond the block's room is cut to the room, never read past it.
    block = get(channel);
    block->sampleCount = 9;
    EXPECT_EQ(release(channel, __FILE__, __LINE__), 1);
    EXPECT_EQ(standin::Complaints().size(), 2u);

    const auto& released = standin::ReleasedOutputBlocks();
    ASSERT_EQ(released.size(), 2u);
    EXPECT_EQ(released[0].module, source);
    EXPECT_EQ(released[0].channel, 1u);
    EXPECT_EQ(released[0].startTime, 0.5);
    EXPECT_EQ(released[0].samples, (std::vector<float>{0, 5, 10, 15}));
    EXPECT_EQ(released[1].samples.size(), 4u);
    EXPECT_EQ(standin::QueuedInputBlocks(sink, 0), 2u);
    DataBlock* carried = Service<GetInputBlockFn>("GetInputBlock")(sink, 0);
    EXPECT_EQ(carried->startTime, 0.5);
    EXPECT_EQ(carried->samples[3], 15.0f);

    standin::SetOutputBlocksAvailable(false);
    EXPECT_EQ(get(channel), nullptr);
}

// For benchmarks: a queued input block is handed out again and again, output blocks are
// neither cleared nor recorded, and none of it allocates.
TEST_F(StandInHost, FastBlocksRepeatTheInputBlockAndRecordNothing) {
    ModuleRecord* module = standin::NewModule(RegisterTestClass(), 1, 1);
    standin::SetBlockSize(2);
    standin::QueueInputBlock(module, 0, {5, 0});
    standin::SetFastBlocks(true);
    auto get = Service<GetInputBlockFn>("GetInputBlock");
    auto release = Service<NewReleaseInputBlockFn>("NewReleaseInputBlock");
    auto getOutput = Service<GetCurrentOutputBlockFn>("GetCurrentOutputBlock");
    auto releaseOutput = Service<NewReleaseOutputBlockFn>("NewReleaseOutputBlock");
    OutputChannelRecord* channel = OutputChannelOf(module, 0);
    getOutput(channel)->samples[1] = 7;
    releaseOutput(channel, __FILE__, __LINE__);
    const DataBlock* first = get(module, 0);
    release(module, 0, __FILE__, __LINE__);
    const size_t blocks = standin::LiveAllocations();
    for (int call = 0; call < 3; ++call) {
        EXPECT_EQ(get(module, 0), first);
        EXPECT_EQ(release(module, 0, __FILE__, __LINE__), 1);
        DataBlock* out = getOutput(channel);
        EXPECT_EQ(out->samples[1], 7.0f) << "not cleared";
        EXPECT_EQ(releaseOutput(channel, __FILE__, __LINE__), 1);
    }
    EXPECT_EQ(standin::LiveAllocations(), blocks);
    EXPECT_EQ(standin::QueuedInputBlocks(module, 0), 1u);
    EXPECT_EQ(standin::InputBlocksReleased(module, 0), 4);
    EXPECT_TRUE(standin::ReleasedOutputBlocks().empty());
    EXPECT_TRUE(standin::Complaints().empty());
}

TEST_F(StandInHost, ProcessingOnAnotherThreadWhileTheHostQueues) {
    ModuleRecord* module = standin::NewModule(RegisterTestClass(), 1, 1);
    standin::SetBlockSize(8);
    const int blocks = 2000;
    std::atomic<bool> done{false};
    std::thread processing([&] {
        while (!done || standin::QueuedInputBlocks(module, 0))
            standin::RunProcess(module);
    });
    for (int i = 0; i < blocks; ++i)
        standin::QueueInputBlock(module, 0, std::vector<float>(8, float(i)));
    done = true;
    processing.join();
    EXPECT_EQ(standin::InputBlocksReleased(module, 0), blocks);
    ASSERT_EQ(standin::ReleasedOutputBlocks().size(), size_t(blocks));
    for (int i = 0; i < blocks; ++i)
        ASSERT_EQ(standin::ReleasedOutputBlocks()[i].samples[7], float(i)) << i;
    EXPECT_TRUE(standin::Complaints().empty());
}

} // namespace
