// The stand-in host's window, driven as a person drives it: menu commands and accelerators,
// clicks and drags on the desk and the board panel, the plug-in's dialogs answered by the
// scripted user, on the simulated boards of the loopback example.
#include "res/ResourceIds.h"
#include "sim/host/run/ExperimentRun.h"
#include "sim/host/support/Files.h"
#include "sim/host/flowchart/FlowChartFile.h"
#include "sim/host/core/HostControl.h"
#include "sim/host/user/ModalDriver.h"
#include "sim/host/window/BoardPanel.h"
#include "sim/host/window/FormDialog.h"
#include "sim/host/window/HostApp.h"
#include "sim/host/window/LiveChart.h"
#include "tests/common/TestSupport.h"

#include <cstdlib>
#include <functional>

namespace {

using modal::Step;
using standin::ChooseMenuCommand;

using testsupport::FileBytes;

std::wstring Loopback() {
    return standin::FullPath(testsupport::InSourceTree(L"examples\\loopback.json"));
}

// Runs `action` (a menu command, a key, a click) while the scripted user answers its dialogs.
modal::Outcome Answer(const std::function<void()>& action, std::vector<Step> steps) {
    return modal::RunModal(
        [&action] {
            action();
            return INT_PTR(0);
        },
        std::move(steps));
}

std::function<void()> Command(uint32_t command) {
    return [command] { ChooseMenuCommand(command); };
}

// A key as the keyboard gives it to the program's loop (through its accelerators).
void PressKey(UINT key, bool control = false) {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_CONTROL] = control ? 0x80 : 0;
    SetKeyboardState(keys);
    PostMessageA(standin::MainWindow(), WM_KEYDOWN, key, 1);
    standin::PumpWindowMessages();
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
}

void Click(HWND window, POINT point, UINT down = WM_LBUTTONDOWN, UINT up = WM_LBUTTONUP) {
    SendMessageA(window, down, MK_LBUTTON, MAKELPARAM(point.x, point.y));
    SendMessageA(window, up, 0, MAKELPARAM(point.x, point.y));
    standin::PumpWindowMessages();
}

// Pumps the window's messages for `ms` of wall time.
void Serve(DWORD ms) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        standin::PumpWindowMessages();
        Sleep(5);
    }
}

const Step ok = [](HWND d) { modal::Click(d, IDOK); };
const Step cancel = [](HWND d) { modal::Click(d, IDCANCEL); };
Step Port(int entry) {
    return [entry](HWND d) { modal::SelectComboItem(d, IDC_DEVSEL_PORTS, entry); };
}
Step FileName(const std::wstring& path) {
    return [path](HWND d) { SetDlgItemTextW(d, 0x47c, path.c_str()); };
}

size_t ClassIndex(const char* name) {
    for (size_t i = 0; i < standin::Classes().size(); ++i)
        if (standin::Classes()[i].className == name)
            return i;
    ADD_FAILURE() << name;
    return 0;
}
uint32_t NewModuleCommand(const char* className) {
    return standin::HOSTCMD_MODULE_NEW_FIRST + uint32_t(ClassIndex(className));
}

// The loopback example's board (slot 0: input 0 counts, input 1 reads output 0 back), the
// plug-in set up and the window made.
class HostWindow : public testsupport::PluginOnBoards {
protected:
    std::string DriverSetup() const override {
        return FileBytes(standin::DriverConfigBeside(Loopback()));
    }
    void SetUp() override {
        PluginOnBoards::SetUp();
        if (HasFatalFailure())
            return;
        ASSERT_TRUE(standin::StartHostWindow());
    }
    void TearDown() override {
        standin::StopHostWindow();
        PluginOnBoards::TearDown();
    }
    // A new module of the class through the menu; the user picks the port `portEntry` of the
    // offered ones. What was offered comes back in `offered`.
    ModuleRecord* Create(const char* className, int portEntry,
                         std::vector<std::string>* offered = nullptr) {
        const size_t before = standin::Modules().size();
        Answer(Command(NewModuleCommand(className)),
               {[offered](HWND d) {
                    if (offered)
                        *offered = modal::ComboItems(d, IDC_DEVSEL_PORTS);
                },
                Port(portEntry), ok});
        const std::vector<ModuleRecord*> modules = standin::Modules();
        return modules.size() > before ? modules.back() : nullptr;
    }
};

bool MenuHas(HMENU menu, uint32_t command) {
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        HMENU sub = GetSubMenu(menu, i);
        if (sub ? MenuHas(sub, command) : GetMenuItemID(menu, i) == command)
            return true;
    }
    return false;
}

TEST_F(HostWindow, EachMenuCommandIsOnTheMenuAndDoesItsPart) {
    ASSERT_TRUE(standin::OpenCommand(Loopback()));
    const struct {
        uint32_t command;
        std::function<bool()> done;
    } cases[] = {
        {standin::HOSTCMD_WINDOW_CHART, [] { return IsWindowVisible(standin::LiveChartWindow()); }},
        {standin::HOSTCMD_WINDOW_BOARDS,
         [] { return IsWindowVisible(standin::BoardPanelWindow()); }},
        {standin::HOSTCMD_WINDOW_WARNINGS,
         [] { return IsWindowVisible(standin::WarningsWindow()); }},
        {standin::HOSTCMD_EXPERIMENT_START, [] { return standin::CurrentRun().active; }},
        {standin::HOSTCMD_EXPERIMENT_PAUSE, [] { return standin::ExperimentPaused(); }},
        {standin::HOSTCMD_EXPERIMENT_START, [] { return !standin::ExperimentPaused(); }},
        {standin::HOSTCMD_EXPERIMENT_STOP, [] { return !standin::CurrentRun().active; }},
        {standin::HOSTCMD_FILE_NEW,
         [] { return standin::Modules().empty() && standin::FlowChartPath().empty(); }},
        {standin::HOSTCMD_FILE_RECENT_FIRST,
         [] { return standin::Modules().size() == 3 && standin::FlowChartPath() == Loopback(); }},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(MenuHas(standin::MainMenu(), c.command)) << c.command;
        ChooseMenuCommand(c.command);
        standin::PumpWindowMessages();
        EXPECT_TRUE(c.done()) << c.command;
    }
    for (uint32_t command : std::vector<uint32_t>{
             standin::HOSTCMD_FILE_OPEN, standin::HOSTCMD_FILE_SAVE, standin::HOSTCMD_FILE_SAVE_AS,
             standin::HOSTCMD_FILE_EXIT, standin::HOSTCMD_EDIT_MODULE,
             standin::HOSTCMD_MODULE_DELETE, standin::HOSTCMD_MODULE_CONNECT,
             standin::HOSTCMD_EXPERIMENT_TIME_BASE, NewModuleCommand("Lumo-P31 IN"),
             NewModuleCommand("Lumo-P31 OUT")})
        EXPECT_TRUE(MenuHas(standin::MainMenu(), command)) << command;
    // The time base through its dialog.
    Answer(Command(standin::HOSTCMD_EXPERIMENT_TIME_BASE),
           {[](HWND d) { modal::Type(d, standin::FORM_FIELD_FIRST, "0.5"); },
            [](HWND d) { modal::Type(d, standin::FORM_FIELD_FIRST + 1, "50"); }, ok});
    EXPECT_EQ(standin::MilliSecondsPerSample(), 0.5);
    EXPECT_EQ(standin::BlockSize(), 50u);
    // A text code page 932 cannot hold is refused by name, and the dialog stays for the user.
    std::wstring said;
    Answer(Command(standin::HOSTCMD_EXPERIMENT_TIME_BASE),
           {[](HWND d) { SetDlgItemTextW(d, standin::FORM_FIELD_FIRST, L"2ü"); }, ok,
            [&said](HWND box) {
                said = modal::TextW(box, 0xFFFF);
                modal::Click(box, IDOK);
            },
            cancel});
    const std::wstring named = L"\u300c2ü\u300d"; // 「2ü」 (a macro's text must be code page 932)
    EXPECT_NE(said.find(named), std::wstring::npos) << testsupport::Shown(said);
    EXPECT_EQ(standin::MilliSecondsPerSample(), 0.5);
}

TEST_F(HostWindow, CreateParametersAndDeleteGoThroughThePluginsDialogs) {
    std::vector<std::string> offeredFirst, offeredThen, offeredAfterDelete;
    ModuleRecord* in = Create("Lumo-P31 IN", 2, &offeredFirst);
    ASSERT_NE(in, nullptr);
    EXPECT_EQ(standin::SelectedModule(), in);
    ASSERT_EQ(offeredFirst.size(), 4u) << "four input ports on board 0";

    // A double click on the module opens its parameters: one channel more and a new name.
    const uint32_t channels = in->outputChannelCount;
    Answer([in] { SendMessageA(HandleFromAddr32<HWND>(in->hWnd), WM_LBUTTONDBLCLK, 0, 0); },
           {[](HWND d) { modal::MouseClick(d, IDC_MORE); },
            [](HWND d) { modal::Type(d, IDC_MODULE_NAME, "Switches"); }, ok});
    EXPECT_EQ(in->outputChannelCount, channels + 1);
    EXPECT_STREQ(in->moduleName, "Switches");

    // The claimed port is not offered again until the module is deleted (Delete key). The
    // plug-in's own popup entry for the class makes a module of it too.
    const uint32_t classCommand = standin::Classes()[ClassIndex("Lumo-P31 IN")].record.classId;
    EXPECT_TRUE(MenuHas(standin::MainMenu(), classCommand));
    Answer(Command(classCommand),
           {[&](HWND d) { offeredThen = modal::ComboItems(d, IDC_DEVSEL_PORTS); }, cancel});
    EXPECT_EQ(offeredThen.size(), 3u);
    EXPECT_EQ(standin::Modules().size(), 1u) << "a refused create leaves no module";
    PressKey(VK_DELETE);
    EXPECT_TRUE(standin::Modules().empty());
    Answer(Command(NewModuleCommand("Lumo-P31 IN")),
           {[&](HWND d) { offeredAfterDelete = modal::ComboItems(d, IDC_DEVSEL_PORTS); }, cancel});
    EXPECT_EQ(offeredAfterDelete, offeredFirst);
}

// The loopback example built from nothing: in on port 0, out on port 0, back on port 1, the
// in's channels connected to the out's, run with the keys while the chart redraws.
TEST_F(HostWindow, LoopbackFromNothingRunsAndTheChartFollows) {
    ModuleRecord* in = Create("Lumo-P31 IN", 0);
    ModuleRecord* out = Create("Lumo-P31 OUT", 0);
    ASSERT_TRUE(in && out);
    ASSERT_GE(in->outputChannelCount, 1u);
    ASSERT_GE(out->inputChannelCount, 1u);
    // Three channels each (the less/more button of their parameters), then eight asked from
    // the first output to the first input: as many as both modules have are joined.
    for (ModuleRecord* module : {in, out})
        Answer(
            [module] {
                SendMessageA(HandleFromAddr32<HWND>(module->hWnd), WM_LBUTTONDBLCLK, 0, 0);
            },
            {[](HWND d) { modal::MouseClick(d, IDC_MORE); },
             [](HWND d) { modal::MouseClick(d, IDC_MORE); }, ok});
    Answer([] { PressKey('L', true); },
           {[](HWND d) { modal::Type(d, standin::FORM_FIELD_FIRST + 2, "8"); }, ok});
    ASSERT_EQ(standin::Connections().size(), 3u);
    EXPECT_EQ(standin::Connections()[0].from, in);
    EXPECT_EQ(standin::Connections()[0].to, out);

    standin::KeepReleasedBlocks(false);
    const uint64_t redraws = standin::LiveChartRedraws();
    PressKey(VK_F5);
    ASSERT_TRUE(standin::CurrentRun().active);
    EXPECT_TRUE(IsWindowVisible(standin::LiveChartWindow()));
    Serve(700);
    PressKey(VK_F6);
    EXPECT_TRUE(standin::CurrentRun().paused);
    PressKey(VK_F5);
    EXPECT_FALSE(standin::CurrentRun().paused);
    Serve(300);
    const standin::StripChart chart = standin::LiveChart(standin::CurrentRun().elapsedMs / 1000.0);
    ChooseMenuCommand(standin::HOSTCMD_EXPERIMENT_STOP);
    EXPECT_FALSE(standin::CurrentRun().active);
    EXPECT_GT(standin::CurrentRun().blocks, 2u);
    EXPECT_GE(standin::LiveChartRedraws() - redraws, 5u) << "at least ten redraws a second";
    // The in's channels, then the output port the out drives.
    ASSERT_EQ(chart.series.size(), in->outputChannelCount + 1) << chart.series.front().label;
    EXPECT_FALSE(chart.series.front().times.empty());
    EXPECT_EQ(chart.series.back().label, "board 0 output 0");
}

TEST_F(HostWindow, ASwitchOnTheBoardPanelIsReadInTheNextBlock) {
    ASSERT_TRUE(standin::OpenCommand(Loopback()));
    ModuleRecord* back = standin::Modules().at(2); // reads input port 1
    ChooseMenuCommand(standin::HOSTCMD_WINDOW_BOARDS);
    ChooseMenuCommand(standin::HOSTCMD_EXPERIMENT_START);
    Serve(250);
    const HWND panel = standin::BoardPanelWindow();
    Click(panel, standin::SwitchPoint(panel, 0, 1, 3));
    EXPECT_EQ(testsupport::SimulatedDriver().InputSwitches(0, 1), 0x08);
    const size_t clicked = standin::ReleasedOutputBlocks().size();
    Serve(400);
    ChooseMenuCommand(standin::HOSTCMD_EXPERIMENT_STOP);
    // Every block of "Back 0:1" begun after the click has bit 3 set and the others clear.
    const std::vector<standin::ReleasedBlock>& blocks = standin::ReleasedOutputBlocks();
    bool seen = false;
    for (size_t i = clicked + 2 * back->outputChannelCount; i < blocks.size(); ++i) {
        if (blocks[i].module != back)
            continue;
        seen = true;
        for (float sample : blocks[i].samples)
            ASSERT_EQ(sample, blocks[i].channel == 3 ? 5.0f : 0.0f) << blocks[i].channel;
    }
    EXPECT_TRUE(seen);

    // Pulled out, the board's modules cannot be restored: the plug-in's warning shows as the
    // host's message box and in the list.
    standin::Options().interactive = true;
    Click(panel, standin::BoardButtonPoint(panel, 0));
    EXPECT_EQ(testsupport::SimulatedDriver().BoardState(0), LUMO_SIM_BOARD_REMOVED);
    const modal::Outcome outcome =
        Answer([] { standin::OpenCommand(Loopback()); }, {ok, ok, ok});
    EXPECT_EQ(outcome.dialogsCreated, 3) << "one warning per module";
    standin::Options().interactive = false;
    standin::PumpWindowMessages();
    Serve(200);
    EXPECT_EQ(SendMessageA(standin::WarningsWindow(), LB_GETCOUNT, 0, 0), 3);
    Click(panel, standin::BoardButtonPoint(panel, 0));
    EXPECT_EQ(testsupport::SimulatedDriver().BoardState(0), LUMO_SIM_BOARD_INSERTED);
}

// A board pulled out during a run: the plug-in warns at every failed read from the processing
// thread, which goes on while the window shows a warning in a box and those that came meanwhile
// in one box of their count (again while more come); the list has them all.
TEST_F(HostWindow, WarningsOfTheProcessingComeAsBoxesWithoutHoldingIt) {
    ASSERT_TRUE(standin::OpenCommand(Loopback()));
    ChooseMenuCommand(standin::HOSTCMD_EXPERIMENT_START);
    Serve(200);
    standin::Options().interactive = true;
    const HWND panel = standin::BoardPanelWindow();
    size_t warningsAtFirstBox = 0;
    std::vector<std::string> boxes;
    const Step answer = [&](HWND d) {
        if (boxes.empty())
            warningsAtFirstBox = standin::WarningCount();
        boxes.push_back(modal::Text(d, 0xFFFF));
        modal::Click(d, IDOK);
    };
    // Served until the run has ended and its last boxes are answered.
    const auto pullOutAndServe = [panel] {
        Click(panel, standin::BoardButtonPoint(panel, 0));
        const DWORD start = GetTickCount();
        while (standin::CurrentRun().active && GetTickCount() - start < 10000)
            Serve(50);
        Serve(500);
    };
    Answer(pullOutAndServe, std::vector<Step>(12, answer));
    standin::Options().interactive = false;
    EXPECT_FALSE(standin::CurrentRun().active) << "the plug-in asked to stop";
    EXPECT_GT(warningsAtFirstBox, 1u) << "the processing went on while the box was open";
    // Each warning's own box, or counted in the box after it.
    size_t shown = 0;
    for (const std::string& text : boxes) {
        const size_t digit = text.find_first_of("0123456789");
        shown += text.rfind("LogSlot", 0) == 0 || digit == std::string::npos
                     ? 1
                     : std::strtoul(text.c_str() + digit, nullptr, 10);
    }
    const size_t warnings = standin::WarningCount();
    EXPECT_EQ(shown, warnings);
    EXPECT_LT(boxes.size(), 12u);
    EXPECT_EQ(size_t(SendMessageA(standin::WarningsWindow(), LB_GETCOUNT, 0, 0)), warnings);
    Click(panel, standin::BoardButtonPoint(panel, 0));
}

// The panel, shown, fits every board there is; each board's switches are where a click finds
// them.
TEST_F(HostWindow, TheBoardPanelFitsItsBoards) {
    ASSERT_TRUE(testsupport::SimulatedDriver().Apply("board 3\nboard 7\nboard 9\n"));
    ChooseMenuCommand(standin::HOSTCMD_WINDOW_BOARDS);
    const HWND panel = standin::BoardPanelWindow();
    RECT client;
    GetClientRect(panel, &client);
    for (int slot : {0, 3, 7, 9}) {
        const POINT at = standin::SwitchPoint(panel, slot, 3, 0);
        EXPECT_TRUE(PtInRect(&client, at)) << slot;
        Click(panel, at);
        EXPECT_EQ(testsupport::SimulatedDriver().InputSwitches(slot, 3), 1) << slot;
    }
}

// New modules from the menu keep a module's width and more between them, so that the lines of
// their connections show; one made after a delete does not land on one still there.
TEST_F(HostWindow, NewModulesGetAFreePlaceWithRoomForConnections) {
    ModuleRecord* first = Create("Lumo-P31 IN", 0);
    ModuleRecord* second = Create("Lumo-P31 OUT", 0);
    ASSERT_TRUE(first && second);
    const auto apart = [](ModuleRecord* a, ModuleRecord* b) {
        const POINT p = standin::ModulePosition(a), q = standin::ModulePosition(b);
        return std::abs(p.x - q.x) >= 2 * standin::MODULE_WIDTH ||
               std::abs(p.y - q.y) >= standin::MODULE_HEIGHT + 40;
    };
    EXPECT_TRUE(apart(first, second));
    standin::DeleteModule(first);
    ModuleRecord* third = Create("Lumo-P31 IN", 0);
    ASSERT_NE(third, nullptr);
    EXPECT_TRUE(apart(second, third));
}

TEST_F(HostWindow, OpenAndSaveRoundTripAFileInAnyFolderAUserHas) {
    const std::string example = FileBytes(Loopback());
    for (const wchar_t* name : testsupport::userFolders) {
        SCOPED_TRACE(testsupport::Shown(name));
        testsupport::TemporaryFolder folder(name);
        const std::wstring opened = folder / L"ループ表.json", saved = folder / L"保存 ü.json";
        testsupport::PutFile(opened, example);
        // The common file dialog takes no name longer than MAX_PATH; the commands behind it do.
        const bool dialog = saved.size() < MAX_PATH;
        if (dialog)
            Answer(Command(standin::HOSTCMD_FILE_OPEN), {FileName(opened), ok});
        else
            standin::OpenCommand(opened);
        ASSERT_EQ(standin::FlowChartPath(), opened);
        EXPECT_EQ(standin::RecentFiles().front(), opened);
        if (dialog)
            Answer(Command(standin::HOSTCMD_FILE_SAVE_AS), {FileName(saved), ok});
        else
            standin::SaveAsCommand(saved);
        EXPECT_EQ(standin::FlowChartPath(), saved);
        EXPECT_EQ(FileBytes(saved), example);
        ASSERT_TRUE(standin::OpenCommand(standin::RecentFiles()[1]));
        EXPECT_EQ(standin::FlowChartPath(), opened);
    }
}

TEST_F(HostWindow, ASaveThatFailsKeepsTheOldFileAndTheFlowChartUnsaved) {
    testsupport::TemporaryFolder folder(L"pemo 保存できない");
    const std::wstring target = folder / L"読み取り専用.json";
    testsupport::PutFile(target, "the user's own file\n");
    SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_READONLY);
    ASSERT_TRUE(standin::OpenCommand(Loopback()));
    Create("Lumo-P31 OUT", 1);
    ASSERT_TRUE(standin::FlowChartChanged());
    std::wstring said;
    EXPECT_FALSE(Answer([&target] { standin::SaveAsCommand(target); }, {[&said](HWND box) {
                            said = modal::TextW(box, 0xFFFF);
                            modal::Click(box, IDOK);
                        }})
                     .forcedEnd);
    EXPECT_NE(said.find(L"読み取り専用.json: cannot be written: "), std::wstring::npos)
        << testsupport::Shown(said);
    EXPECT_EQ(FileBytes(target), "the user's own file\n");
    EXPECT_EQ(standin::FlowChartPath(), Loopback());
    EXPECT_TRUE(standin::FlowChartChanged());
    SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(HostWindow, OpenMoveAndSaveThroughTheWindowWriteTheHeadlessFile) {
    Answer(Command(standin::HOSTCMD_FILE_OPEN), {FileName(Loopback()), ok});
    ASSERT_EQ(standin::FlowChartPath(), Loopback());
    ASSERT_EQ(standin::Modules().size(), 3u);
    EXPECT_EQ(standin::RecentFiles().front(), Loopback());
    EXPECT_FALSE(standin::FlowChartChanged());

    const std::wstring saved = testsupport::TemporaryPath(L"window-saved.json");
    DeleteFileW(saved.c_str());
    Answer(Command(standin::HOSTCMD_FILE_SAVE_AS), {FileName(saved), ok});
    EXPECT_EQ(FileBytes(saved), FileBytes(Loopback())) << "as pemo_host run --save writes it";

    // A drag moves the first module; the file keeps its new place.
    const HWND module = HandleFromAddr32<HWND>(standin::Modules()[0]->hWnd);
    SendMessageA(module, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageA(module, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(45, 125));
    SendMessageA(module, WM_LBUTTONUP, 0, MAKELPARAM(45, 125));
    standin::PumpWindowMessages();
    EXPECT_TRUE(standin::FlowChartChanged());
    PressKey('S', true);
    EXPECT_FALSE(standin::FlowChartChanged());
    standin::Worksheet sheet;
    standin::WorksheetError error;
    ASSERT_TRUE(standin::ReadFlowChart(saved, &sheet, &error)) << error.Text();
    EXPECT_EQ(sheet.modules[0].x, 10 + 40);
    EXPECT_EQ(sheet.modules[0].y, 10 + 120);
    DeleteFileW(saved.c_str());
}

} // namespace
