// Reading values from real INI files through the profile reader, and turning
// them into heap texts, program-relative paths and bitmaps.
#include <cstring>
#include <string>
#include <vector>

#include "config/profile.h"
#include "startup/setup_state.h"
#include "tests/win/counting_heap.h"
#include "tests/win/mini_test.h"
#include "tests/win/test_support.h"

using setupmenu::g_state;
using namespace test_support;

namespace {

// A value of 5000 characters in which every position can be told apart.
std::string LongValue() {
    std::string value;
    for (int i = 0; value.size() < 5000; ++i) value += "<" + std::to_string(i) + ">";
    return value.substr(0, 5000);
}

}  // namespace

TEST(ReadSettingOnRealFile) {
    TempDir dir;
    const std::string ini = WriteIni(dir,
                                     "[Values]\r\n"
                                     "Plain=setup.exe\r\n"
                                     "Empty=\r\n"
                                     "Upper=*NOT*\r\n"
                                     "Lower=*not*\r\n"
                                     "Mixed=*NoT*\r\n"
                                     "PlusOne=*NOT*x\r\n"
                                     "Padded =   two words   \r\n"
                                     "DoubleQuoted=\"in quotes\"\r\n"
                                     "SingleQuoted='in quotes'\r\n"
                                     "OpeningOnly=\"open\r\n"
                                     "ClosingOnly=close\"\r\n"
                                     "QuotedSentinel=\"*NOT*\"\r\n"
                                     "Zero=0\r\n"
                                     "[Other]\r\n"
                                     "Key=other\r\n");
    struct Row {
        const char* name;
        const char* section;
        const char* key;
        int result;
        const char* value;  // what szValue holds afterwards
    } const rows[] = {
        {"plain value", "Values", "Plain", 9, "setup.exe"},
        {"section and key in other case", "VALUES", "plain", 9, "setup.exe"},
        {"absent key", "Values", "Missing", 0, "*NOT*"},
        {"absent section", "Nowhere", "Plain", 0, "*NOT*"},
        {"empty value", "Values", "Empty", 0, ""},
        {"sentinel", "Values", "Upper", 0, "*NOT*"},
        {"sentinel in lower case", "Values", "Lower", 0, "*not*"},
        {"sentinel in mixed case", "Values", "Mixed", 0, "*NoT*"},
        {"sentinel plus one character", "Values", "PlusOne", 6, "*NOT*x"},
        {"blanks around name and value", "Values", "Padded", 9, "two words"},
        {"double quotes removed by the reader", "Values", "DoubleQuoted", 9, "in quotes"},
        {"single quotes removed by the reader", "Values", "SingleQuoted", 9, "in quotes"},
        {"lone opening quote kept", "Values", "OpeningOnly", 5, "\"open"},
        {"lone closing quote kept", "Values", "ClosingOnly", 6, "close\""},
        {"sentinel in quotes", "Values", "QuotedSentinel", 0, "*NOT*"},
        {"the digit zero is a value", "Values", "Zero", 1, "0"},
        {"key of another section", "Other", "Key", 5, "other"},
    };
    ResetState();
    UseConfig(dir.path(), ini);
    mini_test::ForEachRow(rows, [](const Row& row) {
        std::memset(g_state.szValue, 'x', sizeof g_state.szValue);
        CHECK_EQ(setupmenu::ReadSetting(row.section, row.key), row.result);
        CHECK_EQ(g_state.szValue, row.value);
    });
}

TEST(ReadSettingWithoutFile) {
    TempDir dir;
    struct Row {
        const char* name;
        std::string path;
    } const rows[] = {
        {"missing file", dir / "absent.ini"},
        {"missing folder", dir / "absent\\menu.ini"},
        {"a folder in place of the file", dir.MakeSubdir("folder.ini")},
    };
    ResetState();
    mini_test::ForEachRow(rows, [&](const Row& row) {
        UseConfig(dir.path(), row.path);
        std::memset(g_state.szValue, 'x', sizeof g_state.szValue);
        CHECK_EQ(setupmenu::ReadSetting("Version", "Release"), 0);
        CHECK_EQ(g_state.szValue, "*NOT*");
    });
}

TEST(ReadSettingCutsLongValue) {
    TempDir dir;
    const std::string value = LongValue();
    REQUIRE(value.size() == 5000);
    const std::string ini = WriteIni(dir, "[Main]\r\nTitle=" + value + "\r\nAfter=next\r\n");
    ResetState();
    UseConfig(dir.path(), ini);
    std::memset(g_state.szValue, 'x', sizeof g_state.szValue);
    CHECK_EQ(setupmenu::ReadSetting("Main", "Title"), 4094);
    CHECK_EQ(std::strlen(g_state.szValue), 4094u);
    CHECK_EQ(std::string(g_state.szValue), value.substr(0, 4094));
    // The buffer's last byte is never written.
    CHECK_EQ(g_state.szValue[4095], 'x');
    // The next key of the same file is still read correctly.
    CHECK_EQ(setupmenu::ReadSetting("Main", "After"), 4);
    CHECK_EQ(g_state.szValue, "next");
}

TEST(ReadSettingAtTheLimit) {
    TempDir dir;
    const std::string value = LongValue();
    struct Row {
        const char* name;
        size_t length;
        int result;
    } const rows[] = {
        {"4093 characters", 4093, 4093},
        {"4094 characters", 4094, 4094},
        {"4095 characters", 4095, 4094},
    };
    ResetState();
    mini_test::ForEachRow(rows, [&](const Row& row) {
        UseConfig(dir.path(), WriteIni(dir, "[Main]\r\nTitle=" + value.substr(0, row.length) + "\r\n"));
        CHECK_EQ(setupmenu::ReadSetting("Main", "Title"), row.result);
        CHECK_EQ(std::string(g_state.szValue), value.substr(0, static_cast<size_t>(row.result)));
    });
}

TEST(CopyTextAllocatesLengthPlusOne) {
    struct Row {
        const char* name;
        const char* text;
        size_t length;
        const char* copy;
    } const rows[] = {
        {"whole text", "Install", 7, "Install"},
        {"first bytes only", "Install now", 7, "Install"},
        {"empty", "", 0, ""},
        {"bytes above 0x7F", "Caf\xE9", 4, "Caf\xE9"},
    };
    mini_test::ForEachRow(rows, [](const Row& row) {
        counting_heap::Reset();
        char* copy = setupmenu::CopyText(row.text, row.length);
        CHECK_EQ(copy, row.copy);
        REQUIRE(counting_heap::Blocks().size() == 1);
        CHECK_EQ(counting_heap::Blocks()[0].address, copy);
        CHECK_EQ(counting_heap::Blocks()[0].size, row.length + 1);
    });
}

TEST(ProgramRelativePathKeepsValueWhole) {
    struct Row {
        const char* name;
        const char* dir;
        const char* value;
        const char* path;
    } const rows[] = {
        {"file name", "C:\\Media\\", "setup.exe", "C:\\Media\\setup.exe"},
        {"blank and switch", "C:\\Media\\", "setup.exe /S", "C:\\Media\\setup.exe /S"},
        {"absolute path", "C:\\Media\\", "D:\\tools\\setup.exe", "C:\\Media\\D:\\tools\\setup.exe"},
        {"parent folder", "C:\\Media\\", "..\\setup.exe", "C:\\Media\\..\\setup.exe"},
        {"no directory", "", "setup.exe", "setup.exe"},
    };
    mini_test::ForEachRow(rows, [](const Row& row) {
        ResetState();
        std::strcpy(g_state.szProgramDir, row.dir);
        counting_heap::Reset();
        char* path = setupmenu::CopyProgramRelativePath(row.value);
        CHECK_EQ(path, row.path);
        REQUIRE(counting_heap::Blocks().size() == 1);
        CHECK_EQ(counting_heap::Blocks()[0].size, std::strlen(row.path) + 1);
    });
}

TEST(LoadBitmapSettingAtOwnSize) {
    TempDir dir;
    struct Row {
        const char* name;
        const char* file;
        int width, height;
    } const rows[] = {
        {"one pixel", "one.bmp", 1, 1},
        {"rows padded to four bytes", "odd.bmp", 3, 2},
        {"wide", "wide.bmp", 200, 7},
        {"tall", "tall.bmp", 9, 150},
        {"name with blanks", "my picture.bmp", 17, 5},
    };
    for (const Row& row : rows) REQUIRE(WriteBmp24(dir / row.file, row.width, row.height));
    ResetState();
    UseConfig(dir.path(), dir / "unused.ini");
    mini_test::ForEachRow(rows, [](const Row& row) {
        HBITMAP bitmap = setupmenu::LoadBitmapSetting(row.file);
        REQUIRE(bitmap != nullptr);
        CHECK_EQ(GetObjectType(bitmap), static_cast<DWORD>(OBJ_BITMAP));
        const SIZE size = BitmapSize(bitmap);
        CHECK_EQ(size.cx, row.width);
        CHECK_EQ(size.cy, row.height);
        // The picture itself, not only its size: both ends of the first and last rows.
        const POINT corners[] = {{0, 0}, {row.width - 1, 0}, {0, row.height - 1}, {row.width - 1, row.height - 1}};
        for (const POINT& p : corners) {
            CASE("pixel %ld,%ld", p.x, p.y);
            CHECK_EQ(BitmapPixel(bitmap, p.x, p.y), TestPixel(p.x, p.y));
        }
        DeleteObject(bitmap);
    });
}

TEST(LoadBitmapSettingRefusesBrokenFiles) {
    TempDir dir;
    const std::vector<uint8_t> good = MakeBmp24(32, 32);
    // Cut within the file header. (Wine's loader reads zeros past the end of a
    // file, so a file cut anywhere after its 14-byte file header still loads
    // there; only files cut inside that header are refused on every system.)
    REQUIRE(WriteBytes(dir / "truncated.bmp", good.data(), 6));
    REQUIRE(WriteBytes(dir / "header.bmp", good.data(), 14));
    std::vector<uint8_t> wrongMagic = good;
    wrongMagic[0] = 'X';
    REQUIRE(WriteBytes(dir / "magic.bmp", wrongMagic.data(), wrongMagic.size()));
    REQUIRE(WriteBytes(dir / "empty.bmp", "", 0));
    REQUIRE(WriteText(dir / "text.bmp", "[Main]\r\nTitle=not a picture\r\n"));
    REQUIRE(WriteBmp24(dir / "good.bmp", 8, 8));
    dir.MakeSubdir("folder.bmp");
    struct Row {
        const char* name;
        std::string value;
    } const rows[] = {
        {"truncated in the file header", "truncated.bmp"},
        {"file header alone", "header.bmp"},
        {"no BM signature", "magic.bmp"},
        {"zero bytes", "empty.bmp"},
        {"text file named .bmp", "text.bmp"},
        {"missing file", "absent.bmp"},
        {"a folder", "folder.bmp"},
        {"absolute path gets the directory in front", dir / "good.bmp"},
        {"path longer than 515 characters", std::string(600, 'a') + ".bmp"},
    };
    ResetState();
    UseConfig(dir.path(), dir / "unused.ini");
    // The good file loads, so a null below is the file's doing.
    HBITMAP control = setupmenu::LoadBitmapSetting("good.bmp");
    CHECK(control != nullptr);
    DeleteObject(control);
    mini_test::ForEachRow(rows, [](const Row& row) { CHECK_EQ(setupmenu::LoadBitmapSetting(row.value.c_str()), nullptr); });
}

MINI_TEST_MAIN()
