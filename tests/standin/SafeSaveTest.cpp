// Saving safely: a first save and a replace leave exactly the new bytes under any name and
// nothing else beside them; each kind of failure leaves the old file as it was, nothing else in
// its folder, and one line naming the file.
#include "sim/host/support/SafeSave.h"

#include "sim/host/support/Files.h"
#include "tests/common/TestSupport.h"

#include <functional>
#include <vector>

namespace {

using testsupport::FolderNames;
using testsupport::Shown;

std::string ReadBytes(const std::wstring& path) {
    return standin::FileExists(path) ? testsupport::FileBytes(path) : "<no file>";
}

// Bytes that differ from place to place and between seeds, so that a lost, doubled or stale
// chunk shows.
std::string Pattern(size_t size, char seed) {
    std::string bytes(size, seed);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = char(bytes[i] + i * 7 + i / 251);
    return bytes;
}

class SafeSave : public ::testing::Test {
protected:
    void TearDown() override { standin::SetSaveWriteLimitForTests(-1); }
    testsupport::TemporaryFolder temporary_{L"pemo-safe-save"};
    const std::wstring folder_ = temporary_.Path();
};

TEST_F(SafeSave, AFirstSaveAndAReplacePutExactlyTheNewBytesInPlaceUnderAnyName) {
    const std::wstring deep = L"\\" + std::wstring(100, L'd') + L"\\表 " + std::wstring(100, L'e');
    const struct {
        std::wstring subfolder, name;
        size_t firstSize, secondSize;
    } cases[] = {
        {L"", L"plain.json", 10, 3},
        {L"", L"表ソ能.json", 0, 5},           // 0x5C trail bytes in code page 932
        {L"", L"Müller é.json", 3 << 20, 100}, // outside code page 932; more than one chunk
        {L"\\with spaces", L"a flow chart.json", 100, 200},
        {deep, L"ü 表" + std::wstring(60, L'n') + L".json", 50, 20}, // beyond MAX_PATH
        {L"", std::wstring(240, L'x') + L".json", 5, 6}, // the new file's name cut to fit
    };
    int number = 0;
    for (const auto& c : cases) {
        const std::wstring folder = folder_ + L"\\" + std::to_wstring(++number) + c.subfolder;
        const std::wstring path = folder + L"\\" + c.name;
        SCOPED_TRACE(Shown(path));
        for (size_t at = folder_.size(); (at = folder.find(L'\\', at + 1)) != std::wstring::npos;)
            CreateDirectoryW(standin::LongPathForm(folder.substr(0, at)).c_str(), nullptr);
        CreateDirectoryW(standin::LongPathForm(folder).c_str(), nullptr);

        std::string error;
        const std::string first = Pattern(c.firstSize, 'a');
        ASSERT_TRUE(standin::SaveFileSafely(path, first, &error)) << error;
        EXPECT_TRUE(ReadBytes(path) == first);

        const std::string second = Pattern(c.secondSize, 'b');
        ASSERT_TRUE(standin::SaveFileSafely(path, second, &error)) << error;
        EXPECT_TRUE(ReadBytes(path) == second);
        EXPECT_EQ(FolderNames(folder), std::vector<std::wstring>{c.name});
    }
}

TEST_F(SafeSave, EachFailureLeavesTheOldFileAsItWasAndNamesIt) {
    const std::wstring name = L"表ソ ü.json";
    const std::string old = "the old bytes";
    HANDLE held = INVALID_HANDLE_VALUE;
    const struct {
        const char* what;
        bool folderGone;
        std::function<void(const std::wstring& path)> arrange;
    } cases[] = {
        {"a write failing part-way", false, [](auto&) { standin::SetSaveWriteLimitForTests(5); }},
        {"a read-only target", false,
         [](auto& path) { SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY); }},
        {"the target held open without share rights", false,
         [&](auto& path) {
             held = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
             ASSERT_NE(held, INVALID_HANDLE_VALUE);
         }},
        {"the folder gone", true, [](auto&) {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::wstring path = folder_ + (c.folderGone ? L"\\gone\\" : L"\\") + name;
        if (!c.folderGone) {
            ASSERT_TRUE(standin::SaveFileSafely(path, old, nullptr));
        }
        c.arrange(path);

        std::string error;
        EXPECT_FALSE(standin::SaveFileSafely(path, "the new bytes, more than five", &error));
        standin::SetSaveWriteLimitForTests(-1);
        CloseHandle(held);
        held = INVALID_HANDLE_VALUE;
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);

        EXPECT_EQ(ReadBytes(path), c.folderGone ? "<no file>" : old);
        EXPECT_EQ(FolderNames(folder_),
                  c.folderGone ? std::vector<std::wstring>{} : std::vector<std::wstring>{name});
        const std::string prefix = Shown(path) + ": cannot be written: ";
        EXPECT_EQ(error.substr(0, prefix.size()), prefix);
        EXPECT_GT(error.size(), prefix.size());
        EXPECT_EQ(error.find_first_of("\r\n"), std::string::npos) << error;
        DeleteFileW(path.c_str());
    }
}

} // namespace
