// The real Pemo_ux1.dll, loaded by the stand-in host: which names it asks for and in which
// order, which missing names it tolerates, what it defines, and how it finishes. Each case loads
// the library afresh, so that its globals start clean.
#include "host/HostNames.h"
#include "sim/host/core/HostControl.h"
#include "tests/common/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>

namespace {

class PluginBinding : public ::testing::Test {
protected:
    void TearDown() override {
        if (setupResult == 1) {
            EXPECT_EQ(standin::CallFinish(), 1);
        }
        testsupport::ExpectNoComplaint();
        standin::HostStop();
    }

    // Starts the host with the faults and loads the plug-in; returns SetupPemoDLL's result.
    int SetUpWith(const standin::HostFaults& faults) {
        EXPECT_TRUE(standin::HostStart());
        standin::Faults() = faults;
        EXPECT_TRUE(standin::LoadPlugin(testsupport::BesideProgram(L"Pemo_ux1.dll")));
        setupResult = standin::CallSetup();
        return setupResult;
    }

    int setupResult = -1;
};

uint64_t ImageEnd(HMODULE image) {
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
        reinterpret_cast<const char*>(image) + dos->e_lfanew);
    return reinterpret_cast<uintptr_t>(image) + nt->OptionalHeader.SizeOfImage;
}

TEST_F(PluginBinding, AsksEveryVariableThenEveryServiceInOrder) {
    ASSERT_EQ(SetUpWith({}), 1);
    const auto& queries = standin::NameQueries();
    ASSERT_EQ(queries.size(), size_t(HOST_VARIABLE_COUNT + HOST_SERVICE_COUNT));
    std::set<uintptr_t> answers;
    for (size_t i = 0; i < queries.size(); ++i) {
        const bool service = i >= size_t(HOST_VARIABLE_COUNT);
        const char* expected =
            service ? hostServiceNames[i - HOST_VARIABLE_COUNT] : hostVariableNames[i];
        EXPECT_EQ(queries[i].service, service) << "query " << i;
        EXPECT_EQ(queries[i].name, expected) << "query " << i;
        EXPECT_NE(queries[i].answer, 0u) << expected;
        EXPECT_LE(queries[i].answer, 0xFFFFFFFFu) << expected;
        answers.insert(queries[i].answer);
    }
    EXPECT_EQ(answers.size(), queries.size()) << "every name has its own answer";
    EXPECT_TRUE(standin::UnprovidedCalls().empty());
}

TEST_F(PluginBinding, DefinesItsSevenVariablesInOrderInsideItsImage) {
    ASSERT_EQ(SetUpWith({}), 1);
    struct Expected {
        const char* name;
        uint32_t size;
    };
    const Expected expected[] = {
        {"fGlobalMilliSecondsPerSample", 8},
        {"uiGlobalBlockSize", 4},
        {"bAnimation", 4},
        {"bExperimentIsRunning", 4},
        {"bExperimentIsPaused", 4},
        {"dwExperimentStartTimeTicks", 4},
        {"BBoxModul", 4},
    };
    EXPECT_EQ(standin::DefineDllModuleCalls(), 1);
    const auto& defined = standin::DefinedVariables();
    ASSERT_EQ(defined.size(), 7u);
    const uintptr_t image = reinterpret_cast<uintptr_t>(standin::PluginModule());
    for (size_t i = 0; i < defined.size(); ++i) {
        EXPECT_EQ(defined[i].name, expected[i].name);
        EXPECT_EQ(defined[i].size, expected[i].size) << expected[i].name;
        const uintptr_t address = reinterpret_cast<uintptr_t>(defined[i].address);
        EXPECT_GE(address, image) << expected[i].name;
        EXPECT_LT(address + defined[i].size, ImageEnd(standin::PluginModule())) << expected[i].name;
    }
    // The host keeps them current: what it sets is what the plug-in reads.
    standin::SetBlockSize(123);
    standin::SetMilliSecondsPerSample(0.25);
    EXPECT_EQ(*static_cast<uint32_t*>(defined[1].address), 123u);
    EXPECT_EQ(*static_cast<double*>(defined[0].address), 0.25);
}

TEST_F(PluginBinding, FinishAndWepAnswerOne) {
    ASSERT_EQ(SetUpWith({}), 1);
    EXPECT_EQ(standin::CallWep(), 1);
    EXPECT_EQ(standin::CallFinish(), 1);
    setupResult = 0; // finished already
}

TEST_F(PluginBinding, ImageLiesBelow4GB) {
    ASSERT_TRUE(standin::HostStart());
    ASSERT_TRUE(standin::LoadPlugin(testsupport::BesideProgram(L"Pemo_ux1.dll")));
    EXPECT_LE(ImageEnd(standin::PluginModule()), 0x100000000ull);
}

TEST_F(PluginBinding, RefusedDefineDllModuleFailsBeforeAnyVariable) {
    standin::HostFaults faults;
    faults.refuseDefineDllModule = true;
    EXPECT_EQ(SetUpWith(faults), 0);
    EXPECT_EQ(standin::DefineDllModuleCalls(), 1);
    EXPECT_EQ(standin::DefineDllVariableCalls(), 0);
}

TEST_F(PluginBinding, RefusedDefineDllVariableFailsAtTheFirstAndRegistersNothing) {
    standin::HostFaults faults;
    faults.refuseDefineDllVariable = true;
    EXPECT_EQ(SetUpWith(faults), 0);
    EXPECT_EQ(standin::DefineDllVariableCalls(), 1);
    EXPECT_TRUE(standin::Classes().empty());
    EXPECT_TRUE(standin::MenuEntries().empty());
    EXPECT_EQ(GetMenuItemCount(standin::MainMenu()), 5) << "no popup was inserted";
}

TEST_F(PluginBinding, UnloadingForgetsWhatPointsIntoThePlugin) {
    ASSERT_EQ(SetUpWith({}), 1);
    EXPECT_EQ(GetMenuItemCount(standin::MainMenu()), 6);
    ModuleRecord* module = standin::NewModule(standin::Classes().front());
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(standin::CallFinish(), 1);
    setupResult = 0;
    standin::UnloadPlugin();
    EXPECT_TRUE(standin::Classes().empty());
    EXPECT_TRUE(standin::Modules().empty());
    EXPECT_TRUE(standin::MenuEntries().empty());
    EXPECT_TRUE(standin::DefinedVariables().empty());
    EXPECT_EQ(GetMenuItemCount(standin::MainMenu()), 5) << "the plug-in's popup is gone";
    standin::SetBlockSize(50); // writes nowhere now
    standin::ChooseMenuCommand(HOSTCMD_DEVICE_SETUP);
    // Loaded again, the plug-in binds afresh.
    ASSERT_TRUE(standin::LoadPlugin(testsupport::BesideProgram(L"Pemo_ux1.dll")));
    EXPECT_EQ(setupResult = standin::CallSetup(), 1);
    EXPECT_EQ(*static_cast<uint32_t*>(standin::DefinedVariables()[1].address), 50u);
}

// One case per host name: a host that answers 0 for it. Only the seven date, time and decimal
// settings may be missing; any other missing name stops set-up at that name, before the
// plug-in defines anything.
struct MissingName {
    bool service;
    const char* name;
    bool mayBeMissing;
};

std::vector<MissingName> EveryName() {
    std::vector<MissingName> names;
    for (int i = 0; i < HOST_VARIABLE_COUNT; ++i)
        names.push_back({false, hostVariableNames[i], hostVariableMayBeZero[i]});
    for (int i = 0; i < HOST_SERVICE_COUNT; ++i)
        names.push_back({true, hostServiceNames[i], false});
    return names;
}

TEST_F(PluginBinding, OnlyTheSevenSettingsMayBeMissing) {
    const char* const settings[] = {
        "bDateDayLeadingZero", "bDateMonthLeadingZero", "bDateYearLong", "wDateFormat", "bTime24h",
        "bTimeLeadingZero",    "bDecLeadingZero"};
    int missingAllowed = 0;
    for (const MissingName& missing : EveryName()) {
        SCOPED_TRACE(missing.name);
        standin::HostFaults faults;
        faults.omitName = missing.name;
        const int result = SetUpWith(faults);
        if (missing.mayBeMissing) {
            ++missingAllowed;
            EXPECT_EQ(result, 1);
            EXPECT_EQ(standin::NameQueries().size(),
                      size_t(HOST_VARIABLE_COUNT + HOST_SERVICE_COUNT));
            EXPECT_EQ(standin::CallFinish(), 1);
        } else {
            EXPECT_EQ(result, 0);
            ASSERT_FALSE(standin::NameQueries().empty());
            const standin::NameQuery& last = standin::NameQueries().back();
            EXPECT_EQ(last.name, missing.name) << "set-up stops at the missing name";
            EXPECT_EQ(last.service, missing.service);
            EXPECT_EQ(last.answer, 0u);
            EXPECT_EQ(standin::DefineDllModuleCalls(), 0);
        }
        setupResult = -1;
        standin::HostStop();
    }
    EXPECT_EQ(missingAllowed, 7);
    for (const char* setting : settings) {
        bool found = false;
        for (const MissingName& missing : EveryName())
            found = found || (std::strcmp(missing.name, setting) == 0 && missing.mayBeMissing);
        EXPECT_TRUE(found) << setting;
    }
}

} // namespace
