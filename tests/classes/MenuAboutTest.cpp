// The maker's popup in the host menu, the host's setup command and the about box.
#include "host/HostBinding.h"
#include "host/PluginEntry.h"
#include "res/ResourceIds.h"
#include "sim/host/core/HostControl.h"
#include "tests/classes/ClassesTestSupport.h"
#include "tests/common/TestSupport.h"
#include "sim/host/user/ModalDriver.h"
#include "ui/AboutBox.h"

#include <string>
#include <utility>
#include <vector>

using testsupport::PluginOnHost;

namespace {

std::string ItemText(HMENU menu, UINT position) {
    char text[128] = {};
    GetMenuStringA(menu, position, text, sizeof text, MF_BYPOSITION);
    return text;
}

std::vector<std::string> TopLevelTexts(HMENU menu) {
    std::vector<std::string> texts;
    for (int position = 0; position < GetMenuItemCount(menu); ++position)
        texts.push_back(ItemText(menu, position));
    return texts;
}

struct ChildText {
    std::string className, text;
    int id;
};

std::vector<ChildText> VisibleChildren(HWND window) {
    std::vector<ChildText> children;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child))
            continue;
        char className[64] = {}, text[256] = {};
        GetClassNameA(child, className, sizeof className);
        GetWindowTextA(child, text, sizeof text);
        children.push_back({className, text, GetDlgCtrlID(child)});
    }
    return children;
}

} // namespace

TEST(MakerMenu, PopupIsInsertedAsTheFourthTopLevelEntry) {
    SetPluginInstance(GetModuleHandleA(nullptr));
    ASSERT_TRUE(standin::HostStart());
    std::vector<std::string> expected = TopLevelTexts(standin::MainMenu());
    ASSERT_GE(expected.size(), 3u);
    expected.insert(expected.begin() + 3, "VOLNE(&V)");

    standin::AttachPluginEntries(SetupPemoDLL, FinishPemoDLL, WEP);
    ASSERT_EQ(standin::CallSetup(), 1);
    HMENU menu = standin::MainMenu();
    EXPECT_EQ(TopLevelTexts(menu), expected);

    HMENU popup = GetSubMenu(menu, 3);
    ASSERT_NE(popup, nullptr);
    std::vector<std::pair<UINT, std::string>> items;
    for (int position = 0; position < GetMenuItemCount(popup); ++position)
        items.push_back({GetMenuItemID(popup, position), ItemText(popup, position)});
    const std::vector<std::pair<UINT, std::string>> expectedItems = {
        {IDS_IN_SHORT_NAME, "Lumo-P31A IN"}, {IDS_OUT_SHORT_NAME, "Lumo-P31A OUT"}};
    EXPECT_EQ(items, expectedItems);
    EXPECT_EQ(standin::MenuEntries(), std::vector<uint32_t>{HOSTCMD_DEVICE_SETUP});

    standin::CallFinish();
    standin::HostStop();
}

TEST_F(PluginOnHost, SetupCommandShowsAnOwnerlessSetupBox) {
    std::string caption;
    HWND owner = HWND(1);
    std::vector<ChildText> children;
    const modal::Outcome outcome = modal::RunModal(
        [] {
            standin::ChooseMenuCommand(HOSTCMD_DEVICE_SETUP);
            return INT_PTR(0);
        },
        {[&](HWND box) {
            caption = modal::Caption(box);
            owner = GetWindow(box, GW_OWNER);
            children = VisibleChildren(box);
            modal::Click(box, IDOK);
        }});
    EXPECT_FALSE(outcome.forcedEnd);
    EXPECT_EQ(outcome.dialogsCreated, 1);
    EXPECT_EQ(caption, "Setup");
    EXPECT_EQ(owner, nullptr);
    std::vector<std::string> buttons, texts;
    for (const ChildText& child : children) {
        if (_stricmp(child.className.c_str(), "Button") == 0)
            buttons.push_back(child.text + "#" + std::to_string(child.id));
        else if (!child.text.empty())
            texts.push_back(child.text);
    }
    EXPECT_EQ(buttons, std::vector<std::string>{"OK#1"});
    EXPECT_EQ(texts, std::vector<std::string>{"Do here some setup functions!"});
}

namespace {

INT_PTR RunAboutBox() {
    return DialogBoxParamA(hostBinding.instance, "ABOUTLUMO35", standin::MainWindow(), AboutBoxProc,
                           0);
}

} // namespace

TEST_F(PluginOnHost, AboutBoxShowsTheVersionAndOnlyOkClosesIt) {
    std::string caption, version;
    std::vector<HWND> seen;
    const modal::Outcome outcome =
        modal::RunModal(RunAboutBox, {[&](HWND box) {
                                          seen.push_back(box);
                                          caption = modal::Caption(box);
                                          version = modal::Text(box, IDC_ABOUT_TEXT);
                                          modal::Key(box, VK_ESCAPE);
                                      },
                                      [&](HWND box) {
                                          seen.push_back(box);
                                          modal::CloseBox(box);
                                      },
                                      [&](HWND box) {
                                          seen.push_back(box);
                                          // a double-click notification of OK is not OK
                                          modal::Command(box, IDOK, BN_DOUBLECLICKED);
                                      },
                                      [&](HWND box) {
                                          seen.push_back(box);
                                          modal::Click(box, IDOK);
                                      }});
    EXPECT_EQ(outcome.result, 0);
    EXPECT_FALSE(outcome.forcedEnd);
    EXPECT_EQ(outcome.stepsRun, 4);
    ASSERT_EQ(seen.size(), 4u);
    for (HWND box : seen)
        EXPECT_EQ(box, seen[0]) << "the about box closed before OK";
    EXPECT_EQ(caption, "このﾓｼﾞｭｰﾙについて");
    EXPECT_EQ(version, "Lumo-P31A Module Version 2.00");
}

TEST_F(PluginOnHost, AboutBoxClosesWithEnter) {
    const modal::Outcome outcome =
        modal::RunModal(RunAboutBox, {[](HWND box) { modal::Key(box, VK_RETURN); }});
    EXPECT_EQ(outcome.result, 0);
    EXPECT_FALSE(outcome.forcedEnd);
    EXPECT_TRUE(outcome.shown);
}
