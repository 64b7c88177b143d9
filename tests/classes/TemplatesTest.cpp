// The dialog templates, menu and strings as the resources carry them: ids, classes, texts,
// positions, sizes, styles and fonts, in template (tab) order. The test program carries the
// plug-in's resources.
#include "tests/classes/ClassesTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

using classestest::Cp932;

namespace {

struct Item {
    int id; // 65535 for controls without one
    std::string className;
    std::string text; // code page 932 bytes
    short x, y, cx, cy;
    DWORD style;
};

struct Template {
    DWORD style;
    short x, y, cx, cy;
    std::string caption, face;
    WORD points;
    std::vector<Item> items;
};

const std::string NO_TEXT;
const int NONE = 65535;
const DWORD CHILD = WS_CHILD | WS_VISIBLE;

class Reader {
public:
    explicit Reader(const WORD* words) : at(words) {}
    WORD Word() { return *at++; }
    DWORD Dword() {
        const DWORD low = Word();
        return low | DWORD(Word()) << 16;
    }
    short Short() { return short(Word()); }
    std::wstring Text() {
        std::wstring text;
        while (*at)
            text += wchar_t(*at++);
        ++at;
        return text;
    }
    // A name or an ordinal (0xFFFF, then the number).
    std::wstring NameOrOrdinal() {
        if (*at == 0xFFFF) {
            ++at;
            return L"#" + std::to_wstring(Word());
        }
        return Text();
    }
    void AlignToDword() {
        if (reinterpret_cast<uintptr_t>(at) % 4)
            ++at;
    }

private:
    const WORD* at;
};

// The predefined classes may be stored as ordinals.
std::string ClassName(const std::wstring& stored) {
    static const wchar_t* const ordinals[] = {L"#128", L"#129", L"#130", L"#131", L"#132", L"#133"};
    static const char* const names[] = {"BUTTON",  "EDIT",      "STATIC",
                                        "LISTBOX", "SCROLLBAR", "COMBOBOX"};
    for (int i = 0; i < 6; ++i)
        if (stored == ordinals[i])
            return names[i];
    return Cp932(stored);
}

Template LoadTemplate(const char* name) {
    Template loaded = {};
    HRSRC resource =
        FindResourceA(GetModuleHandleA(nullptr), name, reinterpret_cast<LPCSTR>(RT_DIALOG));
    if (!resource)
        return loaded;
    Reader reader(
        static_cast<const WORD*>(LockResource(LoadResource(GetModuleHandleA(nullptr), resource))));
    loaded.style = reader.Dword();
    reader.Dword(); // extended style
    const WORD count = reader.Word();
    loaded.x = reader.Short();
    loaded.y = reader.Short();
    loaded.cx = reader.Short();
    loaded.cy = reader.Short();
    EXPECT_EQ(reader.NameOrOrdinal(), L"") << name << ": menu";
    EXPECT_EQ(reader.NameOrOrdinal(), L"") << name << ": class";
    loaded.caption = Cp932(reader.Text());
    if (loaded.style & DS_SETFONT) {
        loaded.points = reader.Word();
        loaded.face = Cp932(reader.Text());
    }
    for (WORD i = 0; i < count; ++i) {
        reader.AlignToDword();
        Item item;
        item.style = reader.Dword();
        reader.Dword(); // extended style
        item.x = reader.Short();
        item.y = reader.Short();
        item.cx = reader.Short();
        item.cy = reader.Short();
        item.id = reader.Word();
        item.className = ClassName(reader.NameOrOrdinal());
        item.text = Cp932(reader.NameOrOrdinal());
        const WORD extra = reader.Word();
        EXPECT_EQ(extra, 0) << name << ": creation data of item " << i;
        loaded.items.push_back(item);
    }
    return loaded;
}

std::string Describe(const Item& item) {
    char line[160];
    std::snprintf(line, sizeof line, "%d %s \"%s\" %d,%d,%d,%d 0x%08lx", item.id,
                  item.className.c_str(), item.text.c_str(), item.x, item.y, item.cx, item.cy,
                  static_cast<unsigned long>(item.style));
    return line;
}

void ExpectTemplate(const char* name, const Template& expected) {
    SCOPED_TRACE(name);
    const Template seen = LoadTemplate(name);
    EXPECT_EQ(seen.style, expected.style);
    EXPECT_EQ(seen.x, expected.x);
    EXPECT_EQ(seen.y, expected.y);
    EXPECT_EQ(seen.cx, expected.cx);
    EXPECT_EQ(seen.cy, expected.cy);
    EXPECT_EQ(seen.caption, expected.caption);
    EXPECT_EQ(seen.face, expected.face);
    EXPECT_EQ(seen.points, expected.points);
    ASSERT_EQ(seen.items.size(), expected.items.size());
    for (size_t i = 0; i < seen.items.size(); ++i)
        EXPECT_EQ(Describe(seen.items[i]), Describe(expected.items[i])) << "item " << i + 1;
}

const DWORD DIALOG_STYLE = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
const DWORD READ_ONLY_EDIT =
    CHILD | ES_READONLY | ES_CENTER | WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP;
const DWORD PLAIN_EDIT = CHILD | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
const DWORD LABEL = CHILD | SS_LEFT | WS_GROUP;
const DWORD FRAME = CHILD | SS_ETCHEDFRAME;
const DWORD DEFAULT_BUTTON = CHILD | BS_DEFPUSHBUTTON | WS_TABSTOP;
const DWORD PUSH_BUTTON = CHILD | BS_PUSHBUTTON | WS_TABSTOP;
const DWORD GROUP_BOX = CHILD | BS_GROUPBOX;

} // namespace

// clang-format off
TEST(Resources, HardwareSelectionTemplate) {
    ExpectTemplate("DEV_SEL",
                   {DIALOG_STYLE | WS_VISIBLE, 0, 0, 189, 169, "ハードウェア選択", "ＭＳ Ｐゴシック", 9,
                    {
                        {1, "BUTTON", "OK", 40, 150, 50, 14, DEFAULT_BUTTON},
                        {2, "BUTTON", "ｷｬﾝｾﾙ", 100, 150, 50, 14, PUSH_BUTTON},
                        {NONE, "BUTTON", " デバイス選択 ", 5, 5, 105, 135, GROUP_BOX},
                        {103, "LISTBOX", NO_TEXT, 10, 15, 95, 85,
                         CHILD | LBS_NOTIFY | WS_BORDER | WS_VSCROLL | LBS_DISABLENOSCROLL |
                             LBS_NOINTEGRALHEIGHT | WS_TABSTOP},
                        {NONE, "BUTTON", " デバイス情報 ", 115, 5, 70, 135, GROUP_BOX},
                        {NONE, "STATIC", "I/O Port Address", 120, 15, 51, 8, LABEL},
                        {1001, "EDIT", NO_TEXT, 120, 25, 60, 14, READ_ONLY_EDIT},
                        {1002, "EDIT", NO_TEXT, 120, 55, 60, 14, READ_ONLY_EDIT},
                        {NONE, "STATIC", "I/O Port Length", 120, 45, 47, 8, LABEL},
                        {NONE, "STATIC", "Switch Value", 120, 75, 39, 8, LABEL},
                        {1003, "EDIT", NO_TEXT, 120, 85, 60, 14, READ_ONLY_EDIT},
                        {NONE, "STATIC", "LogSlot", 120, 105, 23, 8, WS_CHILD},
                        {1011, "EDIT", NO_TEXT, 120, 115, 60, 14, READ_ONLY_EDIT & ~WS_VISIBLE},
                        {1012, "COMBOBOX", NO_TEXT, 10, 120, 95, 55,
                         CHILD | CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP},
                        {NONE, "STATIC", "使用するポート", 10, 110, 58, 8, LABEL},
                    }});
}
// clang-format on

namespace {

std::vector<Item> ParamsItems() {
    std::vector<Item> items = {
        {NONE, "STATIC", NO_TEXT, 5, 10, 130, 20, FRAME},
        {NONE, "STATIC", "モジュール名 :", 10, 16, 50, 8, LABEL},
        {23018, "EDIT", NO_TEXT, 65, 14, 65, 12, PLAIN_EDIT},
        {NONE, "STATIC", NO_TEXT, 145, 10, 170, 20, FRAME},
        {NONE, "STATIC", "説明 :", 150, 16, 60, 8, LABEL},
        {23019, "EDIT", NO_TEXT, 210, 14, 100, 12, PLAIN_EDIT},
        {NONE, "STATIC", NO_TEXT, 5, 35, 310, 35, FRAME},
        {23000, "ZAV:CONTROLLESSMORE", NO_TEXT, 11, 48, 12, 16, CHILD},
    };
    for (short k = 0; k < 16; ++k)
        items.push_back({NONE, "STATIC", std::to_string(k), short(32 + 16 * k), 39, 15, 8,
                         (k < 8 ? CHILD : WS_CHILD) | SS_CENTER});
    for (short k = 0; k < 16; ++k)
        items.push_back({23002 + k, "ZAV:CONTROLKANAL", NO_TEXT, short(34 + 16 * k), 49, 11, 15,
                         k < 8 ? CHILD : WS_CHILD});
    const std::vector<Item> rest = {
        {23001, "ZAV:CONTROLLESSMORE", NO_TEXT, 295, 48, 12, 16, CHILD},
        {NONE, "STATIC", NO_TEXT, 5, 75, 130, 20, FRAME},
        {NONE, "STATIC", "チャンネル名 :", 10, 81, 50, 8, LABEL},
        {23021, "EDIT", NO_TEXT, 65, 79, 65, 12, PLAIN_EDIT},
        {NONE, "STATIC", NO_TEXT, 145, 75, 110, 20, FRAME},
        {NONE, "STATIC", "選択チャンネル :", 150, 81, 65, 8, LABEL},
        {23020, "EDIT", NO_TEXT, 230, 79, 20, 12, PLAIN_EDIT | WS_DISABLED},
        {1, "BUTTON", "OK", 265, 80, 50, 14, DEFAULT_BUTTON},
        {2, "BUTTON", "ｷｬﾝｾﾙ", 265, 100, 50, 14, PUSH_BUTTON},
        {9, "BUTTON", "ﾍﾙﾌﾟ", 265, 120, 50, 14, PUSH_BUTTON},
        {1006, "BUTTON", "ﾊﾞｰｼﾞｮﾝ情報", 265, 140, 50, 14, PUSH_BUTTON},
        {NONE, "BUTTON", " デバイス情報 ", 5, 99, 250, 56, GROUP_BOX},
        {NONE, "STATIC", "論理スロット番号：", 15, 115, 70, 8, CHILD | SS_RIGHT | WS_GROUP},
        {NONE, "STATIC", "使用ポート：", 15, 135, 70, 8, CHILD | SS_RIGHT | WS_GROUP},
        {1011, "STATIC", "Static", 90, 115, 134, 8, LABEL},
        {1016, "STATIC", "Static", 90, 135, 134, 8, LABEL},
    };
    items.insert(items.end(), rest.begin(), rest.end());
    return items;
}

} // namespace

TEST(Resources, ParameterTemplates) {
    ExpectTemplate("LUMO31A_OUT", {DIALOG_STYLE, 23, 26, 323, 161, "Lumo-P31A パラレル出力",
                                   "ＭＳ ゴシック", 10, ParamsItems()});
    ExpectTemplate("LUMO31A_IN", {DIALOG_STYLE, 23, 26, 323, 161, "Lumo-P31A パラレル入力",
                                  "ＭＳ ゴシック", 10, ParamsItems()});
}

// clang-format off
TEST(Resources, AboutTemplateMenuAndStrings) {
    ExpectTemplate("ABOUTLUMO35",
                   {DIALOG_STYLE, 0, 0, 149, 75, "このﾓｼﾞｭｰﾙについて", "ＭＳ Ｐゴシック", 9,
                    {
                        {1, "BUTTON", "OK", 49, 55, 50, 14, DEFAULT_BUTTON},
                        {1007, "STATIC", "Static", 7, 14, 135, 8, CHILD | SS_CENTER | WS_GROUP},
                    }});
    // clang-format on

    HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), "UX1_MENU");
    ASSERT_NE(menu, nullptr);
    char caption[32] = {};
    GetMenuStringA(menu, 0, caption, sizeof caption, MF_BYPOSITION);
    EXPECT_STREQ(caption, "&VOLNE");
    DestroyMenu(menu);

    const struct {
        UINT id;
        const char* text;
    } strings[] = {{2950, "Lumo31A OUT"},
                   {2951, "Lumo31A IN "},
                   {3950, "Lumo-P31A OutPort"},
                   {3951, "Lumo-P31A InPort"},
                   {3952, "Lumo-P31A Module Version 2.00"},
                   {3957, "ﾃﾞ-ﾀ入力"}};
    for (const auto& string : strings) {
        char text[128] = {};
        LoadStringA(GetModuleHandleA(nullptr), string.id, text, sizeof text);
        EXPECT_STREQ(text, string.text) << string.id;
    }
}
