#include "sim/host/window/FormDialog.h"

#include "sim/host/support/TextCodes.h"

#include <cstdint>

namespace standin {

namespace {

std::wstring Wide(const std::string& cp932) {
    return Cp932ToWide(cp932);
}

// A DLGTEMPLATE with its items, in the layout DialogBoxIndirectParam reads: WORD-aligned
// strings, each item DWORD-aligned.
struct Template {
    std::vector<WORD> words;

    void Align() {
        if (words.size() % 2)
            words.push_back(0);
    }
    void Dword(DWORD value) {
        words.push_back(LOWORD(value));
        words.push_back(HIWORD(value));
    }
    void Text(const std::wstring& text) {
        words.insert(words.end(), text.begin(), text.end());
        words.push_back(0);
    }
    void Item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD atom,
              const std::wstring& text) {
        Align();
        Dword(style | WS_CHILD | WS_VISIBLE);
        Dword(0);
        for (short value : {x, y, cx, cy})
            words.push_back(WORD(value));
        words.push_back(id);
        words.push_back(0xFFFF);
        words.push_back(atom);
        Text(text);
        words.push_back(0); // no creation data
    }
};

enum : WORD { ATOM_BUTTON = 0x80, ATOM_EDIT = 0x81, ATOM_STATIC = 0x82, ATOM_COMBO = 0x85 };
enum : short { ROW = 18, LABEL_WIDTH = 60, FIELD_WIDTH = 130 };

std::vector<WORD> MakeTemplate(const std::string& caption, const std::vector<FormField>& fields) {
    Template form;
    const short height = short(fields.size() * ROW + 32);
    form.Dword(DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU);
    form.Dword(0);
    form.words.push_back(WORD(fields.size() * 2 + 2));
    for (short value : {short(0), short(0), short(LABEL_WIDTH + FIELD_WIDTH + 20), height})
        form.words.push_back(WORD(value));
    form.words.push_back(0); // no menu
    form.words.push_back(0); // the dialog class
    form.Text(Wide(caption));
    form.words.push_back(9);
    form.Text(L"ＭＳ Ｐゴシック");
    for (size_t i = 0; i < fields.size(); ++i) {
        const short y = short(8 + i * ROW);
        const WORD id = WORD(FORM_FIELD_FIRST + i);
        form.Item(SS_LEFT, 7, short(y + 2), LABEL_WIDTH, 10, 0xFFFF, ATOM_STATIC,
                  Wide(fields[i].label));
        if (fields[i].items.empty())
            form.Item(ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, short(LABEL_WIDTH + 10), y,
                      FIELD_WIDTH, 12, id, ATOM_EDIT, Wide(fields[i].text));
        else
            form.Item(CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, short(LABEL_WIDTH + 10), y,
                      FIELD_WIDTH, 120, id, ATOM_COMBO, L"");
    }
    const short buttons = short(height - 20);
    form.Item(BS_DEFPUSHBUTTON | WS_TABSTOP, short(LABEL_WIDTH + FIELD_WIDTH - 90), buttons, 50, 14,
              IDOK, ATOM_BUTTON, L"OK");
    form.Item(BS_PUSHBUTTON | WS_TABSTOP, short(LABEL_WIDTH + FIELD_WIDTH - 34), buttons, 50, 14,
              IDCANCEL, ATOM_BUTTON, L"キャンセル");
    return form.words;
}

// The entries into the fields. A text code page 932 cannot hold is refused with a message
// naming it, and the dialog stays for the user to change it.
bool TakeFields(HWND dialog, std::vector<FormField>& fields) {
    for (size_t i = 0; i < fields.size(); ++i) {
        HWND control = GetDlgItem(dialog, int(FORM_FIELD_FIRST + i));
        FormField& field = fields[i];
        if (!field.items.empty()) {
            field.selection = int(SendMessageW(control, CB_GETCURSEL, 0, 0));
            continue;
        }
        std::wstring text(size_t(GetWindowTextLengthW(control)) + 1, L'\0');
        text.resize(size_t(GetWindowTextW(control, &text[0], int(text.size()))));
        std::string lacking;
        if (!WideToCp932(text, &field.text, &lacking)) {
            const std::wstring message = Wide("「") + text + Wide("」は使えません。") +
                                         Wide("コードページ 932 にない文字: ") +
                                         Utf8ToWide(lacking);
            MessageBoxW(dialog, message.c_str(), Wide(fields[i].label).c_str(),
                        MB_OK | MB_ICONWARNING);
            SetFocus(control);
            return false;
        }
    }
    return true;
}

INT_PTR CALLBACK FormProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* fields = reinterpret_cast<std::vector<FormField>*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        fields = reinterpret_cast<std::vector<FormField>*>(lParam);
        for (size_t i = 0; i < fields->size(); ++i) {
            const FormField& field = (*fields)[i];
            HWND control = GetDlgItem(dialog, int(FORM_FIELD_FIRST + i));
            for (const std::string& item : field.items)
                SendMessageW(control, CB_ADDSTRING, 0, LPARAM(Wide(item).c_str()));
            if (!field.items.empty())
                SendMessageW(control, CB_SETCURSEL, WPARAM(field.selection), 0);
        }
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            if (TakeFields(dialog, *fields))
                EndDialog(dialog, IDOK);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

} // namespace

bool RunFormDialog(HWND owner, const std::string& caption, std::vector<FormField>& fields) {
    const std::vector<WORD> words = MakeTemplate(caption, fields);
    return DialogBoxIndirectParamW(GetModuleHandleW(nullptr),
                                   reinterpret_cast<const DLGTEMPLATE*>(words.data()), owner,
                                   FormProc, reinterpret_cast<LPARAM>(&fields)) == IDOK;
}

} // namespace standin
