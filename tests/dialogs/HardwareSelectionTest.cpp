// "DEV_SEL" driven as the user would: boards placed in the board table, the dialog opened by
// SelectHardware, gestures on its list, combo box and buttons, then the result, the choice
// and the claims.
#include "res/ResourceIds.h"
#include "sim/host/core/HostControl.h"
#include "sim/host/user/ModalDriver.h"
#include "tests/dialogs/DialogsTestSupport.h"
#include "ui/HardwareSelection.h"

#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace dialogstest {
namespace {

using Strings = std::vector<std::string>;

modal::Outcome RunSelection(PortKind kind, std::vector<modal::Step> steps) {
    return modal::RunModal([kind] { return SelectHardware(kind, standin::MainWindow()); },
                           std::move(steps));
}

HardwareChoice& Choice(PortKind kind) {
    return hardwareChoice[static_cast<int>(kind)];
}

struct ListingCase {
    const char* what;
    void (*boards)();
    PortKind kind;
    Strings listed;
    Strings firstBoardFields; // address, length, switch value
};

void BoardsAt2And5() {
    PlaceBoard(2, 0xD000, 16, 0x1F);
    PlaceBoard(5, 0xE800, 32, 0x3);
}
void SecondBoardOutputsClaimed() {
    PlaceBoard(0, 0xC000, 8, 0);
    PlaceBoard(1);
    ClaimPort(PortKind::Output, 0, 0);
    ClaimPort(PortKind::Output, 0, 1);
    ClaimPort(PortKind::Output, 0, 3);
    ClaimAll(PortKind::Output, 1);
}
void OddPresentValueAndLastSlot() {
    PlaceBoard(3);
    BoardTable[3].present = 2;
    PlaceBoard(15, 0x10, -1, 0xABCDEF01);
}

TEST_F(BoardsOnHost, HardwareListsPresentBoardsWithAFreePortOfTheKind) {
    // clang-format off
    const ListingCase cases[] = {
        {"slots 2 and 5", BoardsAt2And5, PortKind::Output, {"Lumo-P31 - 2", "Lumo-P31 - 5"},
         {"d000 H", "16", "1f h"}},
        {"slots 2 and 5", BoardsAt2And5, PortKind::Input, {"Lumo-P31 - 2", "Lumo-P31 - 5"},
         {"d000 H", "16", "1f h"}},
        {"board 1 fully claimed for output", SecondBoardOutputsClaimed, PortKind::Output,
         {"Lumo-P31 - 0"}, {"c000 H", "8", "0 h"}},
        {"board 1 fully claimed for output", SecondBoardOutputsClaimed, PortKind::Input,
         {"Lumo-P31 - 0", "Lumo-P31 - 1"}, {"c000 H", "8", "0 h"}},
        {"present 2 is not present; slot 15", OddPresentValueAndLastSlot, PortKind::Output,
         {"Lumo-P31 - 15"}, {"10 H", "-1", "abcdef01 h"}},
    };
    // clang-format on
    for (const ListingCase& c : cases) {
        SCOPED_TRACE(c.what + std::string(c.kind == PortKind::Output ? " (output)" : " (input)"));
        std::memset(BoardTable, 0, sizeof BoardTable);
        c.boards();
        Strings listed, fields;
        int selection = -2;
        std::string logSlot = "?";
        bool logSlotVisible = true;
        auto outcome = RunSelection(
            c.kind, {[&](HWND dialog) {
                         listed = modal::ListItems(dialog, IDC_DEVSEL_LIST);
                         selection = modal::ListSelection(dialog, IDC_DEVSEL_LIST);
                         for (int id : {IDC_DEVSEL_ADDRESS, IDC_DEVSEL_LENGTH, IDC_DEVSEL_SWITCH})
                             fields.push_back(modal::Text(dialog, id));
                         logSlot = modal::Text(dialog, IDC_DEVSEL_LOGSLOT);
                         logSlotVisible = modal::IsVisible(dialog, IDC_DEVSEL_LOGSLOT);
                     },
                     [](HWND dialog) { modal::Click(dialog, IDCANCEL); }});
        EXPECT_EQ(-1, outcome.result);
        EXPECT_TRUE(outcome.shown);
        EXPECT_EQ(c.listed, listed);
        EXPECT_EQ(0, selection);
        EXPECT_EQ(c.firstBoardFields, fields);
        EXPECT_EQ("", logSlot);
        EXPECT_FALSE(logSlotVisible);
    }
}

TEST_F(BoardsOnHost, HardwareWithoutAQualifyingBoardWarnsAndNeverShows) {
    struct Case {
        const char* what;
        void (*boards)();
        PortKind kind;
    } cases[] = {
        {"no board", [] {}, PortKind::Output},
        {"no board", [] {}, PortKind::Input},
        {"every output port claimed",
         [] {
             PlaceBoard(0);
             PlaceBoard(7);
             ClaimAll(PortKind::Output, 0);
             ClaimAll(PortKind::Output, 7);
         },
         PortKind::Output},
        {"every input port claimed",
         [] {
             PlaceBoard(4);
             ClaimAll(PortKind::Input, 4);
         },
         PortKind::Input},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::memset(BoardTable, 0, sizeof BoardTable);
        c.boards();
        standin::ClearRecords();
        auto outcome = RunSelection(c.kind, {[](HWND dialog) { modal::Click(dialog, IDOK); }});
        EXPECT_EQ(-1, outcome.result);
        EXPECT_FALSE(outcome.shown);
        EXPECT_EQ(0, outcome.stepsRun);
        ASSERT_EQ(1u, standin::Warnings().size());
        EXPECT_EQ("エラー", standin::Warnings()[0].title);
        EXPECT_EQ("使えるデバイスがありません", standin::Warnings()[0].text);
    }
}

TEST_F(BoardsOnHost, HardwareOffersTheFreePortsOfTheBoardAndOkTakesTheChoice) {
    struct Case {
        PortKind kind;
        std::vector<uint16_t> claimed;
        Strings offered;
        uint16_t chosenPort; // first entry selected, OK
    } cases[] = {
        {PortKind::Output, {0, 2}, {"出力ﾎﾟｰﾄ 1 ( 8 - 15 )", "出力ﾎﾟｰﾄ 3 ( 24 - 31 )"}, 1},
        {PortKind::Input,
         {1},
         {"入力ﾎﾟｰﾄ 0 ( 0 - 7 )", "入力ﾎﾟｰﾄ 2 ( 16 - 23 )", "入力ﾎﾟｰﾄ 3 ( 24 - 31 )"},
         0},
        {PortKind::Input,
         {},
         {"入力ﾎﾟｰﾄ 0 ( 0 - 7 )", "入力ﾎﾟｰﾄ 1 ( 8 - 15 )", "入力ﾎﾟｰﾄ 2 ( 16 - 23 )",
          "入力ﾎﾟｰﾄ 3 ( 24 - 31 )"},
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.offered[0]);
        std::memset(BoardTable, 0, sizeof BoardTable);
        PlaceBoard(4);
        for (uint16_t port : c.claimed)
            ClaimPort(c.kind, 4, port);
        Choice(c.kind) = {9, 9};
        Strings offered;
        int selection = -2;
        auto outcome =
            RunSelection(c.kind, {[&](HWND dialog) {
                                      offered = modal::ComboItems(dialog, IDC_DEVSEL_PORTS);
                                      selection = modal::ComboSelection(dialog, IDC_DEVSEL_PORTS);
                                  },
                                  [](HWND dialog) { modal::Click(dialog, IDOK); }});
        EXPECT_EQ(0, outcome.result);
        EXPECT_EQ(c.offered, offered);
        EXPECT_EQ(0, selection);
        EXPECT_EQ(4, Choice(c.kind).chosenSlot);
        EXPECT_EQ(c.chosenPort, Choice(c.kind).chosenPort);
    }
}

// One gesture sequence on boards 2 (nothing claimed) and 5 (output port 0 claimed).
struct BrowseCase {
    const char* what;
    std::vector<modal::Step> gestures; // the last one ends the dialog
    int result;
    HardwareChoice choice; // {9, 9}: unchanged
    Strings fieldsAtEnd;   // address, length and switch value after the gestures but the last
    Strings comboAtEnd;
    int comboSelectionAtEnd;
};

TEST_F(BoardsOnHost, HardwareBrowsingBoardsAndPorts) {
    using namespace modal;
    const Strings ports2 = {"出力ﾎﾟｰﾄ 0 ( 0 - 7 )", "出力ﾎﾟｰﾄ 1 ( 8 - 15 )",
                            "出力ﾎﾟｰﾄ 2 ( 16 - 23 )", "出力ﾎﾟｰﾄ 3 ( 24 - 31 )"};
    const Strings ports5 = {"出力ﾎﾟｰﾄ 1 ( 8 - 15 )", "出力ﾎﾟｰﾄ 2 ( 16 - 23 )",
                            "出力ﾎﾟｰﾄ 3 ( 24 - 31 )"};
    const Strings fields2 = {"d000 H", "16", "1f h"};
    const Strings fields5 = {"e800 H", "32", "3 h"};
    const auto board = [](int entry) -> Step {
        return [entry](HWND d) { SelectListItem(d, IDC_DEVSEL_LIST, entry); };
    };
    const auto port = [](int entry) -> Step {
        return [entry](HWND d) { SelectComboItem(d, IDC_DEVSEL_PORTS, entry); };
    };
    const auto click = [](int id) -> Step { return [id](HWND d) { Click(d, id); }; };
    // clang-format off
    const BrowseCase cases[] = {
        {"reselecting the shown board keeps the port", {port(2), board(0), click(IDOK)},
         0, {2, 2}, fields2, ports2, 2},
        {"another board refills the ports", {port(2), board(1), click(IDOK)},
         0, {5, 1}, fields5, ports5, 0},
        {"back to the first board starts at its first port",
         {board(1), port(1), board(0), click(IDOK)}, 0, {2, 0}, fields2, ports2, 0},
        {"double-click confirms with the port selected then",
         {board(1), port(2), [](HWND d) { DoubleClickListItem(d, IDC_DEVSEL_LIST, 1); }},
         0, {5, 3}, fields5, ports5, 2},
        {"Enter confirms", {[](HWND d) { Key(d, VK_RETURN); }}, 0, {2, 0}, fields2, ports2, 0},
        {"Cancel", {board(1), click(IDCANCEL)}, -1, {9, 9}, fields5, ports5, 0},
        {"Escape", {[](HWND d) { Key(d, VK_ESCAPE); }}, -1, {9, 9}, fields2, ports2, 0},
        {"close box", {[](HWND d) { CloseBox(d); }}, -1, {9, 9}, fields2, ports2, 0},
        {"OK without a port selected does nothing",
         {[](HWND d) { SendDlgItemMessageA(d, IDC_DEVSEL_PORTS, CB_SETCURSEL, WPARAM(-1), 0); },
          click(IDOK), click(IDCANCEL)},
         -1, {9, 9}, fields2, ports2, -1},
        {"OK without a board selected does nothing",
         {[](HWND d) { SendDlgItemMessageA(d, IDC_DEVSEL_LIST, LB_SETCURSEL, WPARAM(-1), 0); },
          [](HWND d) { Command(d, IDC_DEVSEL_LIST, LBN_SELCHANGE); }, click(IDOK),
          [](HWND d) { Command(d, IDC_DEVSEL_LIST, LBN_DBLCLK); },
          [](HWND d) { Key(d, VK_ESCAPE); }},
         -1, {9, 9}, fields2, ports2, 0},
    };
    // clang-format on
    for (const BrowseCase& c : cases) {
        SCOPED_TRACE(c.what);
        std::memset(BoardTable, 0, sizeof BoardTable);
        PlaceBoard(2, 0xD000, 16, 0x1F);
        PlaceBoard(5, 0xE800, 32, 0x3);
        ClaimPort(PortKind::Output, 5, 0);
        BoardEntry boardsBefore[BOARD_SLOTS];
        std::memcpy(boardsBefore, BoardTable, sizeof BoardTable);
        Choice(PortKind::Output) = {9, 9};

        std::vector<Step> steps(c.gestures.begin(), c.gestures.end() - 1);
        Strings fields, combo;
        int comboSelection = -2;
        steps.push_back([&](HWND dialog) {
            for (int id : {IDC_DEVSEL_ADDRESS, IDC_DEVSEL_LENGTH, IDC_DEVSEL_SWITCH})
                fields.push_back(Text(dialog, id));
            combo = ComboItems(dialog, IDC_DEVSEL_PORTS);
            comboSelection = ComboSelection(dialog, IDC_DEVSEL_PORTS);
        });
        steps.push_back(c.gestures.back());
        auto outcome = RunSelection(PortKind::Output, steps);

        EXPECT_EQ(c.result, outcome.result);
        EXPECT_FALSE(outcome.forcedEnd);
        EXPECT_EQ(int(steps.size()), outcome.stepsRun);
        EXPECT_EQ(c.choice.chosenSlot, Choice(PortKind::Output).chosenSlot);
        EXPECT_EQ(c.choice.chosenPort, Choice(PortKind::Output).chosenPort);
        EXPECT_EQ(c.fieldsAtEnd, fields);
        EXPECT_EQ(c.comboAtEnd, combo);
        EXPECT_EQ(c.comboSelectionAtEnd, comboSelection);
        EXPECT_EQ(0, std::memcmp(boardsBefore, BoardTable, sizeof BoardTable)) << "claims changed";
    }
}

TEST_F(BoardsOnHost, HardwareChoiceOfOneKindLeavesTheOtherKindsChoice) {
    PlaceBoard(6);
    Choice(PortKind::Input) = {9, 9};
    auto outcome = RunSelection(PortKind::Output,
                                {[](HWND d) { modal::SelectComboItem(d, IDC_DEVSEL_PORTS, 3); },
                                 [](HWND d) { modal::Click(d, IDOK); }});
    EXPECT_EQ(0, outcome.result);
    EXPECT_EQ(6, Choice(PortKind::Output).chosenSlot);
    EXPECT_EQ(3, Choice(PortKind::Output).chosenPort);
    EXPECT_EQ(9, Choice(PortKind::Input).chosenSlot);
    EXPECT_EQ(9, Choice(PortKind::Input).chosenPort);
}

TEST_F(BoardsOnHost, HardwareDialogThatCannotBeMadeIsACancel) {
    PlaceBoard(6);
    HWND gone = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, 0);
    DestroyWindow(gone);
    Choice(PortKind::Output) = {9, 9};
    auto outcome = RunSelection(PortKind::Output, {[](HWND d) { modal::Click(d, IDOK); }});
    EXPECT_EQ(0, outcome.result) << "sanity: a valid owner";
    outcome = modal::RunModal([gone] { return SelectHardware(PortKind::Output, gone); },
                              {[](HWND d) { modal::Click(d, IDOK); }});
    EXPECT_EQ(-1, outcome.result);
}

} // namespace
} // namespace dialogstest
