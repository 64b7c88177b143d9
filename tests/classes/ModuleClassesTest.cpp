// Registration of the two module classes: the records the host receives, their order, and the
// name buffers the host keeps pointers to.
#include "host/HostBinding.h"
#include "modules/Lumo31A_OUT/OutputModule.h"
#include "modules/Lumo31a_IN/InputModule.h"
#include "modules/ModuleClasses.h"
#include "modules/ModuleRecords.h"
#include "sim/host/core/HostControl.h"
#include "tests/classes/ClassesTestSupport.h"
#include "tests/common/TestSupport.h"

#include <cstring>
#include <string>

using testsupport::PluginOnHost;

namespace {

struct ExpectedClass {
    const char* className;
    uint32_t paramsSize, extraSize, classId;
    const char* shortName;
    const char* description;
    const char* shortBuffer;
    const char* descriptionBuffer;
    ModuleMessageHandler handler;
    ModuleProcessFunction process;
    COLORREF arrowColour; // red arrow out, blue arrow in
};

// clang-format off
const ExpectedClass INPUT_CLASS = {"Lumo-P31 IN", 368, 520, 2951, "Lumo31A IN ", "Lumo-P31A InPort",
                                   inShortName, inDescription, HandleInputModuleMessage,
                                   ProcessInputModule, RGB(0, 0, 255)};
const ExpectedClass OUTPUT_CLASS = {"Lumo-P31 OUT", 236, 0, 2950, "Lumo31A OUT",
                                    "Lumo-P31A OutPort", outShortName, outDescription,
                                    HandleOutputModuleMessage, ProcessOutputModule,
                                    RGB(255, 0, 0)};
// clang-format on

SIZE BitmapSize(Addr32 handle) {
    BITMAP description = {};
    GetObjectA(HandleFromAddr32<HBITMAP>(handle), sizeof description, &description);
    return {description.bmWidth, description.bmHeight};
}

COLORREF BitmapPixel(Addr32 handle, int x, int y) {
    return classestest::BitmapPixels(HandleFromAddr32<HBITMAP>(handle), x + 1, y + 1).back();
}

// The record as it must be, taking the two string pointers and the bitmaps from the actual
// record once they have been checked on their own.
ModuleClassRecord ExpectedRecord(const ExpectedClass& expected, const ModuleClassRecord& seen) {
    ModuleClassRecord record;
    std::memset(&record, 0, sizeof record);
    record.instance = HandleToAddr32(GetModuleHandleA(nullptr));
    record.className = seen.className;
    record.paramsSize = expected.paramsSize;
    record.extraSize = expected.extraSize;
    record.classKind = 12;
    record.classId = expected.classId;
    record.shortName = ToAddr32(expected.shortBuffer);
    record.description = ToAddr32(expected.descriptionBuffer);
    record.smallBitmap = seen.smallBitmap;
    record.largeBitmap = seen.largeBitmap;
    record.messageHandler = ToAddr32(reinterpret_cast<const void*>(expected.handler));
    record.processFunction = ToAddr32(reinterpret_cast<const void*>(expected.process));
    return record;
}

std::string DifferingBytes(const ModuleClassRecord& seen, const ModuleClassRecord& expected) {
    const auto* a = reinterpret_cast<const uint8_t*>(&seen);
    const auto* b = reinterpret_cast<const uint8_t*>(&expected);
    std::string text;
    for (size_t offset = 0; offset < sizeof seen; ++offset)
        if (a[offset] != b[offset])
            text += " " + std::to_string(offset) + ":" + std::to_string(a[offset]) + "/" +
                    std::to_string(b[offset]);
    return text;
}

void CheckRegisteredClass(const standin::RegisteredClass& registered,
                          const ExpectedClass& expected) {
    SCOPED_TRACE(expected.className);
    const ModuleClassRecord& seen = registered.record;
    EXPECT_STREQ(FromAddr32<const char>(seen.className), expected.className);
    EXPECT_STREQ(expected.shortBuffer, expected.shortName);
    EXPECT_STREQ(expected.descriptionBuffer, expected.description);

    const SIZE small = BitmapSize(seen.smallBitmap), large = BitmapSize(seen.largeBitmap);
    EXPECT_EQ(small.cx, 26);
    EXPECT_EQ(small.cy, 24);
    EXPECT_EQ(large.cx, 64);
    EXPECT_EQ(large.cy, 46);
    // The arrow tells the two classes' pictures apart.
    EXPECT_EQ(BitmapPixel(seen.smallBitmap, 20, 11), expected.arrowColour);
    EXPECT_EQ(BitmapPixel(seen.largeBitmap, 52, 21), expected.arrowColour);

    const ModuleClassRecord wanted = ExpectedRecord(expected, seen);
    EXPECT_EQ(std::memcmp(&seen, &wanted, sizeof seen), 0)
        << "bytes differing (offset:seen/expected):" << DifferingBytes(seen, wanted);
}

} // namespace

TEST_F(PluginOnHost, BothClassRecordsAreRegisteredInputFirstByteForByte) {
    const auto& classes = standin::Classes();
    ASSERT_EQ(classes.size(), 2u);
    CheckRegisteredClass(classes[0], INPUT_CLASS);
    CheckRegisteredClass(classes[1], OUTPUT_CLASS);
    EXPECT_EQ(std::string(inShortName, sizeof inShortName),
              std::string("Lumo31A IN \0\0", 13)); // the trailing blank is kept
}

namespace {

// A copy of this program whose string table holds texts longer than the name buffers, loaded
// as data: its instance stands in for the plug-in's during one registration.
class LongStringTable {
public:
    LongStringTable() {
        path = testsupport::TemporaryPath(L"classes_long_strings.exe");
        if (!CopyFileW(testsupport::BesideProgram(L"test_classes.exe").c_str(), path.c_str(),
                       FALSE))
            return;
        HANDLE update = BeginUpdateResourceW(path.c_str(), FALSE);
        // Block 185 holds strings 2944 to 2959, block 247 strings 3936 to 3951.
        ReplaceBlock(update, 185, 2944, {{2950, L"ABCDEFGHIJKLMNOPQRST"}});
        ReplaceBlock(update, 247, 3936, {{3950, L"0123456789012345678901234567890123456789XYZ"}});
        EndUpdateResourceW(update, FALSE);
        data = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    }
    ~LongStringTable() {
        if (data)
            FreeLibrary(data);
        DeleteFileW(path.c_str());
    }
    HINSTANCE data = nullptr;

private:
    struct Entry {
        UINT id;
        std::wstring text;
    };
    static void ReplaceBlock(HANDLE update, WORD block, UINT first,
                             const std::vector<Entry>& entries) {
        std::vector<WORD> words;
        for (UINT id = first; id < first + 16; ++id) {
            std::wstring text;
            for (const Entry& entry : entries)
                if (entry.id == id)
                    text = entry.text;
            words.push_back(WORD(text.size()));
            words.insert(words.end(), text.begin(), text.end());
        }
        UpdateResourceA(update, reinterpret_cast<LPCSTR>(RT_STRING), MAKEINTRESOURCEA(block),
                        MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), words.data(),
                        DWORD(words.size() * sizeof(WORD)));
    }
    std::wstring path;
};

} // namespace

TEST_F(PluginOnHost, NameBuffersCutLongerTextsAtTheirLoadLimits) {
    LongStringTable table;
    ASSERT_NE(table.data, nullptr);
    char probe[64] = {};
    ASSERT_GT(LoadStringA(table.data, 2950, probe, sizeof probe), 12)
        << "string table not replaced";

    const HINSTANCE plugin = hostBinding.instance;
    hostBinding.instance = table.data;
    RegisterOutputModuleClass();
    hostBinding.instance = plugin;

    EXPECT_STREQ(outShortName, "ABCDEFGHIJKL");                             // 12 bytes
    EXPECT_STREQ(outDescription, "01234567890123456789012345678901234567"); // 38 bytes
    // The host took the record with the cut name (replacing the earlier registration).
    ASSERT_NE(standin::FindClass("Lumo-P31 OUT"), nullptr);
    EXPECT_EQ(standin::FindClass("Lumo-P31 OUT")->shortName, "ABCDEFGHIJKL");
}
