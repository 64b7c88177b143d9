// pemo_pictures: the README's pictures, drawn by the real plug-in and stand-in host on a
// display (scripts/render runs it on a virtual one).
//
//   pemo_pictures dialogs|ui|window FOLDER
//
// dialogs, ui: each window to take is handed to the script through FOLDER
// (tests/common/PictureHandOff.h), which copies it from the screen; window: the program copies
// the windows itself and writes the pictures, and the table of the dialogs' labels, to FOLDER.
// A set runs as GoogleTest cases, so that the tests' fixtures set up and finish the plug-in on
// the stand-in host and a failed step stops the set. Exit code 0 when the whole set was drawn,
// 2 for a wrong command line.
#include "tools/pictures/Pictures.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cwchar>

namespace {

std::wstring folder;

const struct {
    const wchar_t* name;
    const char* cases;
} SETS[] = {
    {L"dialogs", "DialogPictures.*"},
    {L"ui", "UiPictures.*"},
    {L"window", "WindowPictures.*:DialogLabels.*"},
};

} // namespace

const std::wstring& pictures::Folder() {
    return folder;
}

int wmain(int argc, wchar_t** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    for (const auto& set : SETS)
        if (argc == 3 && std::wcscmp(argv[1], set.name) == 0) {
            folder = argv[2];
            GTEST_FLAG_SET(filter, set.cases);
            return RUN_ALL_TESTS();
        }
    std::fputs("usage: pemo_pictures dialogs|ui|window FOLDER\n", stderr);
    return 2;
}
