// What the picture sets of pemo_pictures share besides the tests' support.
#pragma once

#include <string>

namespace pictures {

// The folder named on the command line: where the hand-off files go (dialogs, ui) or where
// the pictures and the label table are written (window).
const std::wstring& Folder();

} // namespace pictures
