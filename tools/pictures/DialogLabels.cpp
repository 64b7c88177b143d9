// How wide each text of the plug-in's dialogs is against the box its template gives it, in the
// free Japanese fonts that can stand in for the templates' own: part of the set "window"
// (scripts/render window), written to docs/dialog-labels.md.
//
// A dialog unit is a quarter of the average width of the dialog font's letters A-Z and a-z, so
// a box holds a text in one font and cuts it in another. For a font of fixed pitch whose full-width
// characters are twice its half-width ones, the measure of a text in dialog units is 4 × (half-
// width characters + 2 × full-width characters), whatever the size: that column tells what any
// such font shows, up to the rounding of pixel advances.
#include "sim/host/support/SafeSave.h"
#include "tools/pictures/Pictures.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

struct TemplateItem {
    std::wstring className, text;
    short width = 0; // dialog units
    DWORD style = 0;
};

struct DialogTemplateText {
    std::wstring font;
    WORD points = 0;
    std::vector<TemplateItem> items;
};

// Walks a DIALOG (not DIALOGEX) template: header, menu, class, title, font, then the items,
// each on a 4-byte boundary.
class TemplateReader {
public:
    explicit TemplateReader(const BYTE* start) : start_(start), at_(start) {}
    template <typename T> T Take() {
        T value;
        memcpy(&value, at_, sizeof value);
        at_ += sizeof value;
        return value;
    }
    // A name or ordinal: 0 for none, 0xFFFF and a number, or a string.
    std::wstring NameOrOrdinal() {
        const WORD first = Take<WORD>();
        if (first == 0)
            return L"";
        if (first == 0xFFFF)
            return L"#" + std::to_wstring(Take<WORD>());
        at_ -= sizeof(WORD);
        return String();
    }
    std::wstring String() {
        std::wstring text;
        for (WORD c; (c = Take<WORD>()) != 0;)
            text += wchar_t(c);
        return text;
    }
    void Align() {
        while ((at_ - start_) % 4)
            ++at_;
    }
    void Skip(size_t bytes) { at_ += bytes; }

private:
    const BYTE* start_;
    const BYTE* at_;
};

std::wstring ClassOfAtom(const std::wstring& name) {
    static const wchar_t* atoms[] = {L"BUTTON",  L"EDIT",      L"STATIC",
                                     L"LISTBOX", L"SCROLLBAR", L"COMBOBOX"};
    if (name.size() > 1 && name[0] == L'#') {
        const int atom = std::stoi(name.substr(1));
        if (atom >= 0x80 && atom <= 0x85)
            return atoms[atom - 0x80];
    }
    return name;
}

DialogTemplateText ReadTemplate(const char* name) {
    DialogTemplateText result;
    HRSRC resource = FindResourceA(nullptr, name, MAKEINTRESOURCEA(5)); // RT_DIALOG
    if (!resource)
        return result;
    TemplateReader reader(static_cast<const BYTE*>(LockResource(LoadResource(nullptr, resource))));
    const DWORD style = reader.Take<DWORD>();
    reader.Take<DWORD>(); // extended style
    const WORD count = reader.Take<WORD>();
    reader.Skip(4 * sizeof(short)); // x, y, cx, cy
    reader.NameOrOrdinal();         // menu
    reader.NameOrOrdinal();         // class
    reader.String();                // title
    if (style & DS_SETFONT) {
        result.points = reader.Take<WORD>();
        result.font = reader.String();
    }
    for (WORD i = 0; i < count; ++i) {
        reader.Align();
        TemplateItem item;
        item.style = reader.Take<DWORD>();
        reader.Take<DWORD>();              // extended style
        reader.Skip(2 * sizeof(short));    // x, y
        item.width = reader.Take<short>(); // cx
        reader.Take<short>();              // cy
        reader.Take<WORD>();               // id
        item.className = ClassOfAtom(reader.NameOrOrdinal());
        item.text = reader.NameOrOrdinal();
        reader.Skip(reader.Take<WORD>()); // creation data
        result.items.push_back(item);
    }
    return result;
}

std::string Utf8(const std::wstring& text) {
    std::string out(size_t(text.size() * 3 + 1), '\0');
    const int length = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), int(text.size()), &out[0],
                                           int(out.size()), nullptr, nullptr);
    out.resize(size_t(length > 0 ? length : 0));
    return out;
}

// The measure of a text in a font of fixed pitch, in dialog units.
int FixedPitchUnits(const std::wstring& text) {
    int halves = 0;
    for (wchar_t c : text)
        halves += (c < 0x80 || (c >= 0xFF61 && c <= 0xFF9F)) ? 1 : 2; // ASCII, half-width kana
    return 4 * halves;
}

struct Measure {
    int box, text; // pixels
};

// The box and the text in `face` at the template's size, on a 96-dpi screen as the dialog
// manager computes them.
Measure MeasureIn(const wchar_t* face, WORD points, const TemplateItem& item) {
    HDC dc = GetDC(nullptr);
    HFONT font = CreateFontW(-MulDiv(points, 96, 72), 0, 0, 0, FW_NORMAL, 0, 0, 0, SHIFTJIS_CHARSET,
                             0, 0, DEFAULT_QUALITY, 0, face);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE letters, text;
    const wchar_t alphabet[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    GetTextExtentPoint32W(dc, alphabet, 52, &letters);
    GetTextExtentPoint32W(dc, item.text.c_str(), int(item.text.size()), &text);
    const int baseX = (letters.cx / 26 + 1) / 2;
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(nullptr, dc);
    return Measure{MulDiv(item.width, baseX, 4), text.cx};
}

bool IsLabel(const TemplateItem& item) {
    const DWORD kind = item.style & 0x1F;
    // Not the channel numbers (one character in a wide box) nor the texts set at run time.
    return item.className == L"STATIC" && item.text.size() > 1 && kind <= SS_RIGHT &&
           (item.style & WS_VISIBLE) && item.text != L"Static";
}

TEST(DialogLabels, Table) {
    const struct {
        const char* name;
        std::vector<const wchar_t*> faces;
    } dialogs[] = {
        {"DEV_SEL", {L"IPAPGothic", L"VL PGothic", L"IPAexGothic"}},
        {"LUMO31A_OUT", {L"IPAGothic", L"VL Gothic"}},
    };
    std::string table;
    for (const auto& dialog : dialogs) {
        const DialogTemplateText read = ReadTemplate(dialog.name);
        ASSERT_FALSE(read.items.empty()) << dialog.name;
        table += "\n## " + std::string(dialog.name) + " (\"" + Utf8(read.font) + "\", " +
                 std::to_string(read.points) + " points)\n\n| text | box (units) |";
        if (read.font.find(L'Ｐ') == std::wstring::npos)
            table += " fixed pitch (units) |";
        for (const wchar_t* face : dialog.faces)
            table += " " + Utf8(face) + " (text / box px) |";
        table += "\n|---|---|";
        if (read.font.find(L'Ｐ') == std::wstring::npos)
            table += "---|";
        for (size_t i = 0; i < dialog.faces.size(); ++i)
            table += "---|";
        table += "\n";
        for (const TemplateItem& item : read.items) {
            if (!IsLabel(item))
                continue;
            table += "| " + Utf8(item.text) + " | " + std::to_string(item.width) + " |";
            if (read.font.find(L'Ｐ') == std::wstring::npos) {
                const int units = FixedPitchUnits(item.text);
                table += " " + std::to_string(units) + (units > item.width ? " cut" : "") + " |";
            }
            for (const wchar_t* face : dialog.faces) {
                const Measure m = MeasureIn(face, read.points, item);
                table += " " + std::to_string(m.text) + " / " + std::to_string(m.box) +
                         (m.text > m.box ? " cut" : "") + " |";
            }
            table += "\n";
        }
    }
    std::string out;
    out += "# The labels of the plug-in's dialogs against their boxes\n\n"
           "Written by scripts/render window. \"cut\": the text is wider than its box, so the "
           "label wraps at a space or between Japanese characters and the rest falls below the "
           "box, unseen.\n" +
           table;
    std::string error;
    ASSERT_TRUE(standin::SaveFileSafely(pictures::Folder() + L"\\dialog-labels.md", out, &error))
        << error;
}

} // namespace
