// The modal driver on plain system dialogs: message boxes, a nested box, a dialog that ends
// while it is being made, and a script that leaves a dialog open.
#include "sim/host/user/ModalDriver.h"

#include <gtest/gtest.h>

namespace {

// A template with no controls; the procedure ends it at WM_INITDIALOG when asked to.
struct EmptyTemplate {
    DLGTEMPLATE header;
    WORD menu, windowClass, title;
};

INT_PTR CALLBACK EndAtInit(HWND dialog, UINT message, WPARAM, LPARAM endNow) {
    if (message == WM_INITDIALOG && endNow) {
        EndDialog(dialog, 7);
        return TRUE;
    }
    return message == WM_INITDIALOG;
}

INT_PTR OpenEmpty(bool endAtInit) {
    static EmptyTemplate empty = {{WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0, 0, 0, 100, 50}};
    return DialogBoxIndirectParamA(GetModuleHandleA(nullptr), &empty.header, nullptr, EndAtInit,
                                   endAtInit);
}

TEST(ModalDriver, AnswersAMessageBoxAndANestedOne) {
    std::string outerCaption, innerCaption;
    INT_PTR innerResult = 0;
    auto outcome = modal::RunModal(
        [] { return MessageBoxA(nullptr, "outer", "Outer", MB_OKCANCEL); },
        {[&](HWND box) { outerCaption = modal::Caption(box); },
         [&](HWND box) { innerResult = MessageBoxA(box, "inner", "Inner", MB_YESNO); },
         [&](HWND box) {
             innerCaption = modal::Caption(box);
             modal::Key(box, 'N');
         },
         [](HWND box) { modal::Click(box, IDCANCEL); }});
    EXPECT_EQ(IDCANCEL, outcome.result);
    EXPECT_EQ(IDNO, innerResult);
    EXPECT_EQ("Outer", outerCaption);
    EXPECT_EQ("Inner", innerCaption);
    EXPECT_EQ(2, outcome.dialogsCreated);
    EXPECT_EQ(4, outcome.stepsRun);
    EXPECT_TRUE(outcome.shown);
    EXPECT_FALSE(outcome.forcedEnd);
}

TEST(ModalDriver, DialogEndingDuringInitRunsNoStep) {
    bool ran = false;
    auto outcome = modal::RunModal([] { return OpenEmpty(true); }, {[&](HWND) { ran = true; }});
    EXPECT_EQ(7, outcome.result);
    EXPECT_EQ(1, outcome.dialogsCreated);
    EXPECT_EQ(0, outcome.stepsRun);
    EXPECT_FALSE(outcome.shown);
    EXPECT_FALSE(ran);
}

TEST(ModalDriver, EndsADialogThatTheScriptLeavesOpen) {
    auto outcome = modal::RunModal([] { return OpenEmpty(false); }, {});
    EXPECT_EQ(modal::FORCED_END, outcome.result);
    EXPECT_TRUE(outcome.forcedEnd);
    EXPECT_TRUE(outcome.shown);
}

} // namespace
