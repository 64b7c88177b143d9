// Small modal dialogs of the host built in memory: a caption and rows of a label with an edit
// field or a drop-down list, OK and Cancel. The time base and the connect command use them.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace standin {

struct FormField {
    std::string label;              // code page 932
    std::vector<std::string> items; // code page 932; empty: an edit field
    std::string text;               // the edit's text (code page 932), in and out
    int selection = 0;              // the list's entry, in and out
};

// Control ids: field n is FORM_FIELD_FIRST + n.
enum : int { FORM_FIELD_FIRST = 1100 };

// True when the user pressed OK; the fields then hold what was entered.
// The caption and all texts are code page 932.
bool RunFormDialog(HWND owner, const std::string& caption, std::vector<FormField>& fields);

} // namespace standin
