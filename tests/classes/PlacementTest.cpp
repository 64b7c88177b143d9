// Placement of the parameter dialogs on the host window, and the font their children share.
#include "host/HostBinding.h"
#include "sim/host/core/HostControl.h"
#include "tests/classes/ClassesTestSupport.h"
#include "tests/common/MessageSequence.h"
#include "tests/common/TestSupport.h"
#include "ui/DialogPlacement.h"

#include <cstring>
#include <map>
#include <string>
#include <vector>

using testsupport::PluginOnHost;

namespace {

struct PlacementCase {
    const char* name;
    POINT centre;
    SIZE dialog;
    RECT screen;
    POINT corner;
};

const RECT SCREEN = {0, 0, 1024, 768};

const PlacementCase PLACEMENTS[] = {
    {"centred", {500, 350}, {400, 300}, SCREEN, {300, 200}},
    {"odd sizes truncate", {501, 351}, {401, 301}, SCREEN, {301, 201}},
    {"beyond the right edge", {950, 350}, {400, 300}, SCREEN, {624, 200}},
    {"beyond the bottom edge", {500, 700}, {400, 300}, SCREEN, {300, 468}},
    {"beyond both", {1100, 900}, {400, 300}, SCREEN, {624, 468}},
    {"wider than the screen", {500, 350}, {1300, 300}, SCREEN, {0, 200}},
    {"taller than the screen", {500, 350}, {400, 1000}, SCREEN, {300, 0}},
    {"larger than the screen, centred far right", {3000, 3000}, {1300, 1000}, SCREEN, {0, 0}},
    {"left of the screen", {-500, 350}, {400, 300}, SCREEN, {0, 200}},
    {"above the screen", {500, -400}, {400, 300}, SCREEN, {300, 0}},
    {"a screen left of the primary", {-700, 350}, {400, 300}, {-1280, 0, 0, 1024}, {-900, 200}},
    {"past a screen's left edge", {-1200, 350}, {400, 300}, {-1280, 0, 0, 1024}, {-1280, 200}},
};

} // namespace

TEST(PlaceOnScreen, CentresAndKeepsOnTheScreen) {
    for (const PlacementCase& placement : PLACEMENTS) {
        const POINT corner = PlaceOnScreen(placement.centre, placement.dialog, placement.screen);
        EXPECT_EQ(corner.x, placement.corner.x) << placement.name;
        EXPECT_EQ(corner.y, placement.corner.y) << placement.name;
    }
}

namespace {

// The dialogs here are only measured: their procedure handles nothing.
INT_PTR CALLBACK IgnoreMessages(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

HWND CreateReference(RECT frame) {
    HWND window = CreateWindowA("STATIC", "reference", WS_POPUP | WS_VISIBLE, frame.left, frame.top,
                                frame.right, frame.bottom, nullptr, nullptr, nullptr, nullptr);
    return window;
}

HWND CreateAboutDialog(SIZE size) {
    HWND dialog =
        CreateDialogParamA(hostBinding.instance, "ABOUTLUMO35", nullptr, IgnoreMessages, 0);
    SetWindowPos(dialog, nullptr, 0, 0, size.cx, size.cy, SWP_NOZORDER | SWP_NOMOVE);
    return dialog;
}

struct WindowPlacementCase {
    const char* name;
    bool hasReference;
    RECT reference; // left, top, width, height of a borderless window
    SIZE dialog;
    POINT corner;
};

const WindowPlacementCase WINDOW_PLACEMENTS[] = {
    {"host client area at (100, 50)", true, {100, 50, 800, 600}, {400, 300}, {300, 200}},
    {"host near the bottom right", true, {700, 500, 600, 400}, {400, 300}, {624, 468}},
    // Reduced to 16 unsigned bits the centre (-500, -400) would throw the dialog against the
    // far right and bottom edges; it belongs at the edges nearest the host.
    {"host left of and above the screen", true, {-900, -700, 800, 600}, {400, 300}, {0, 0}},
    {"host left of the screen", true, {-300, 100, 400, 400}, {400, 300}, {0, 150}},
    {"dialog larger than the screen", true, {100, 50, 800, 600}, {1200, 900}, {0, 0}},
    {"no reference: the desktop", false, {}, {400, 300}, {312, 234}},
};

} // namespace

TEST_F(PluginOnHost, CenterDialogPlacesOnTheReferenceClientArea) {
    ASSERT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
    ASSERT_EQ(GetSystemMetrics(SM_CYSCREEN), 768);
    for (const WindowPlacementCase& placement : WINDOW_PLACEMENTS) {
        SCOPED_TRACE(placement.name);
        HWND reference = placement.hasReference ? CreateReference(placement.reference) : nullptr;
        HWND dialog = CreateAboutDialog(placement.dialog);
        CenterDialog(dialog, reference);
        RECT frame;
        GetWindowRect(dialog, &frame);
        EXPECT_EQ(frame.left, placement.corner.x);
        EXPECT_EQ(frame.top, placement.corner.y);
        EXPECT_EQ(frame.right - frame.left, placement.dialog.cx);
        EXPECT_EQ(frame.bottom - frame.top, placement.dialog.cy);
        DestroyWindow(dialog);
        if (reference)
            DestroyWindow(reference);
    }
}

namespace {

// The WM_SETFONT messages each descendant of a dialog receives, one recorder per window.
std::map<HWND, msgseq::Recorder> fontsSet;

bool IsSetFont(UINT message) {
    return message == WM_SETFONT;
}

BOOL CALLBACK Subclass(HWND child, LPARAM) {
    fontsSet[child].Subclass(child, IsSetFont);
    return TRUE;
}

void Unsubclass() {
    fontsSet.clear();
}

std::string ClassOf(HWND window) {
    char name[100] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

// A parameter dialog template with a few more kinds of children: a list box, a combo box with
// an edit inside, and a static inside a static.
HWND CreateParamsDialog(const char* templateName) {
    HWND dialog =
        CreateDialogParamA(hostBinding.instance, templateName, nullptr, IgnoreMessages, 0);
    CreateWindowA("LISTBOX", "", WS_CHILD, 0, 0, 50, 50, dialog, nullptr, nullptr, nullptr);
    CreateWindowA("COMBOBOX", "", WS_CHILD | CBS_DROPDOWN, 0, 0, 50, 50, dialog, nullptr, nullptr,
                  nullptr);
    HWND outer =
        CreateWindowA("STATIC", "outer", WS_CHILD, 0, 0, 50, 50, dialog, nullptr, nullptr, nullptr);
    CreateWindowA("STATIC", "inner", WS_CHILD, 0, 0, 20, 20, outer, nullptr, nullptr, nullptr);
    EnumChildWindows(dialog, Subclass, 0);
    return dialog;
}

// Every descendant but edits, list boxes and combo boxes received the font, once.
void CheckFontsGiven(HFONT font) {
    std::map<std::string, int> kinds;
    for (const auto& entry : fontsSet) {
        const std::string className = ClassOf(entry.first);
        kinds[className]++;
        const bool keepsDialogFont = _stricmp(className.c_str(), "edit") == 0 ||
                                     _stricmp(className.c_str(), "listbox") == 0 ||
                                     _stricmp(className.c_str(), "combobox") == 0;
        const msgseq::Table<msgseq::Message> expected =
            keepsDialogFont ? MESSAGES()
                            : MESSAGES({WM_SETFONT, msgseq::CHECK_WPARAM, WPARAM(font)});
        EXPECT_SEQUENCE(entry.second, expected) << className << " " << GetDlgCtrlID(entry.first);
    }
    // The kinds the dialog holds, as the system names them (not in capitals).
    for (const char* name : {"Edit", "ListBox", "ComboBox", "Static", "Button", "ZAV:CONTROLKANAL",
                             "ZAV:CONTROLLESSMORE"})
        EXPECT_GT(kinds[name], 0) << name;
    EXPECT_EQ(kinds["Edit"], 5); // four of the template, one inside the combo box
    EXPECT_EQ(kinds["ZAV:CONTROLKANAL"], 16);
}

} // namespace

TEST_F(PluginOnHost, SharedFontIsMadeOnceAndGivenToAllButEditsListsAndCombos) {
    ASSERT_EQ(sharedDialogFont, nullptr);
    const int fontsBefore = standin::FontsCreated();

    HWND first = CreateParamsDialog("LUMO31A_OUT");
    CenterDialog(first, standin::MainWindow());
    ASSERT_NE(sharedDialogFont, nullptr);
    EXPECT_EQ(standin::FontsCreated(), fontsBefore + 1);
    CheckFontsGiven(sharedDialogFont);

    // The dialog's own font at normal weight.
    LOGFONTA own = {}, shared = {};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(first, WM_GETFONT, 0, 0)), sizeof own, &own);
    GetObjectA(sharedDialogFont, sizeof shared, &shared);
    EXPECT_EQ(shared.lfWeight, FW_NORMAL);
    own.lfWeight = FW_NORMAL;
    EXPECT_EQ(std::memcmp(&own, &shared, sizeof own), 0);
    Unsubclass();
    DestroyWindow(first);

    const HFONT font = sharedDialogFont;
    HWND second = CreateParamsDialog("LUMO31A_IN");
    CenterDialog(second, standin::MainWindow());
    EXPECT_EQ(sharedDialogFont, font);
    EXPECT_EQ(standin::FontsCreated(), fontsBefore + 1);
    CheckFontsGiven(font);
    Unsubclass();
    DestroyWindow(second);
}

TEST_F(PluginOnHost, WithoutADialogFontNoSharedFontIsMadeAndTheNextPlacementTriesAgain) {
    const int fontsBefore = standin::FontsCreated();
    HWND plain = CreateWindowA("STATIC", "no font", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr,
                               nullptr, nullptr);
    CreateWindowA("BUTTON", "child", WS_CHILD, 0, 0, 50, 20, plain, nullptr, nullptr, nullptr);
    EnumChildWindows(plain, Subclass, 0);
    ASSERT_EQ(SendMessageA(plain, WM_GETFONT, 0, 0), 0);
    CenterDialog(plain, standin::MainWindow());
    EXPECT_EQ(sharedDialogFont, nullptr);
    EXPECT_EQ(standin::FontsCreated(), fontsBefore);
    ASSERT_EQ(fontsSet.size(), 1u);
    EXPECT_SEQUENCE(fontsSet.begin()->second, MESSAGES({WM_SETFONT, msgseq::CHECK_WPARAM, 0}));
    Unsubclass();
    DestroyWindow(plain);

    HWND dialog = CreateParamsDialog("LUMO31A_OUT");
    CenterDialog(dialog, standin::MainWindow());
    EXPECT_NE(sharedDialogFont, nullptr);
    EXPECT_EQ(standin::FontsCreated(), fontsBefore + 1);
    Unsubclass();
    DestroyWindow(dialog);
}
