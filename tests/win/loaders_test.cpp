// The section loaders on real configuration files and bitmaps: defaults,
// switches and words, colours and the shared Main brush, positions, texts
// and their allocation sizes, pictures and the stretched splash.
#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

#include "config/loaders.h"
#include "startup/setup_state.h"
#include "tests/win/counting_heap.h"
#include "tests/win/mini_test.h"
#include "tests/win/test_support.h"

using setupmenu::g_state;
using namespace test_support;

namespace {

constexpr COLORREF kDefaultBackground = 0x808000;

// Loads a whole configuration the way start-up does.
void LoadConfiguration(const TempDir& dir, const std::string& content) {
    UseConfig(dir.path(), WriteIni(dir, "[Version]\r\nRelease=1\r\n" + content));
    counting_heap::Reset();
    setupmenu::LoadSplashSettings();
    setupmenu::LoadMainSettings();
    setupmenu::LoadAllButtonSettings();
}

// Size of the heap block a text lives in, or 0 when it is not one.
size_t BlockSize(const void* text) {
    const counting_heap::Block* block = counting_heap::Find(text);
    return block ? block->size : 0;
}

template <typename T>
unsigned long long AsNumber(T value) {
    if constexpr (std::is_same_v<T, std::nullptr_t>) {
        return 0;
    } else if constexpr (std::is_pointer_v<T>) {
        return reinterpret_cast<uintptr_t>(value);
    } else {
        return static_cast<unsigned long long>(static_cast<long long>(value));
    }
}

struct Field {
    std::string name;
    unsigned long long actual;
    unsigned long long expected;
};

#define FIELD(prefix, expr, expected) \
    Field { std::string(prefix) + #expr, AsNumber(expr), AsNumber(expected) }

}  // namespace

TEST(OnlyTheValidityKeyGivesEveryDefault) {
    TempDir dir;
    ResetState();
    // Leftovers everywhere: each loader must clear its whole sub-record.
    std::memset(&g_state.splash, 0xA5, sizeof g_state.splash);
    std::memset(&g_state.main, 0xA5, sizeof g_state.main);
    std::memset(&g_state.cancel, 0xA5, sizeof g_state.cancel);
    std::memset(&g_state.buttons, 0xA5, sizeof g_state.buttons);
    LoadConfiguration(dir, "");

    const auto& splash = g_state.splash;
    const auto& main = g_state.main;
    const auto& cancel = g_state.cancel;
    std::vector<Field> fields = {
        FIELD("", splash.hwndDlg, nullptr),
        FIELD("", splash.hbrBackground, nullptr),
        FIELD("", splash.hbmImage, nullptr),
        FIELD("", main.hbmImage, nullptr),
        FIELD("", main.crBackground, kDefaultBackground),
        FIELD("", main.crText, 0),
        FIELD("", main.pszTitle, nullptr),
        FIELD("", cancel.hwndNormal, nullptr),
        FIELD("", cancel.hwndSelected, nullptr),
        FIELD("", cancel.hbrBackground, main.hbrBackground),
        FIELD("", cancel.hbmImage, nullptr),
        FIELD("", cancel.hbmImageSel, nullptr),
        FIELD("", cancel.yPos, 0),
        FIELD("", cancel.xPos, 0),
        FIELD("", cancel.yPosSel, 0),
        FIELD("", cancel.xPosSel, 0),
        FIELD("", cancel.crBackground, kDefaultBackground),
        FIELD("", cancel.crText, 0),
        FIELD("", g_state.bExitOnLaunch, 0),
    };
    for (int n = 1; n <= 3; ++n) {
        const setupmenu::ButtonInfo& button = g_state.buttons[n - 1];
        const std::string prefix = "Button" + std::to_string(n) + ": ";
        const std::vector<Field> more = {
            FIELD(prefix, button.hwndNormal, nullptr),
            FIELD(prefix, button.hwndSelected, nullptr),
            FIELD(prefix, button.hbrBackground, main.hbrBackground),
            FIELD(prefix, button.hbmImage, nullptr),
            FIELD(prefix, button.hbmImageSel, nullptr),
            FIELD(prefix, button.yPos, 0),
            FIELD(prefix, button.xPos, 0),
            FIELD(prefix, button.yPosSel, 0),
            FIELD(prefix, button.xPosSel, 0),
            FIELD(prefix, button.nAlign, 0),
            FIELD(prefix, button.bVisible, 0),
            FIELD(prefix, button.crBackground, kDefaultBackground),
            FIELD(prefix, button.crText, 0),
            FIELD(prefix, button.pszText, nullptr),
            FIELD(prefix, button.pszCommand, nullptr),
            FIELD(prefix, button.pszLabel, nullptr),
        };
        fields.insert(fields.end(), more.begin(), more.end());
    }
    for (const Field& field : fields) {
        CASE(field.name);
        CHECK_EQ(field.actual, field.expected);
    }
    // The Main brush exists and has the default colour.
    CHECK_EQ(BrushColor(main.hbrBackground), kDefaultBackground);
    // The one text: the default Cancel label, a block of 20.
    CHECK_EQ(cancel.pszLabel, "Cancel");
    CHECK_EQ(BlockSize(cancel.pszLabel), 20u);
    CHECK_EQ(counting_heap::Blocks().size(), 1u);
}

TEST(ExitSwitch) {
    TempDir dir;
    struct Row {
        const char* name;
        const char* line;  // in [Main]; empty: no Exit key
        BOOL before;
        BOOL after;
    } const rows[] = {
        {"on", "Exit=on", 0, 1},
        {"On", "Exit=On", 0, 1},
        {"ON", "Exit=ON", 0, 1},
        {"ON with blanks", "Exit =  ON  ", 0, 1},
        {"yes", "Exit=yes", 0, 0},
        {"yes clears an earlier 1", "Exit=yes", 1, 0},
        {"off", "Exit=off", 1, 0},
        {"1", "Exit=1", 0, 0},
        {"ONE", "Exit=ONE", 0, 0},
        {"missing", "", 0, 0},
        {"missing leaves 1", "", 1, 1},
        {"empty leaves 1", "Exit=", 1, 1},
        {"sentinel leaves 1", "Exit=*NOT*", 1, 1},
    };
    mini_test::ForEachRow(rows, [&](const Row& row) {
        ResetState();
        g_state.bExitOnLaunch = row.before;
        LoadConfiguration(dir, std::string("[Main]\r\n") + row.line + "\r\n");
        CHECK_EQ(g_state.bExitOnLaunch, row.after);
    });
}

TEST(AlignTextWords) {
    TempDir dir;
    struct Row {
        const char* name;
        const char* line;
        int align;
    } const rows[] = {
        {"left", "AlignText=left", 0},
        {"center", "AlignText=center", 1},
        {"CENTER", "AlignText=CENTER", 1},
        {"Center", "AlignText=Center", 1},
        {"right", "AlignText=right", 2},
        {"Right", "AlignText=Right", 2},
        {"RIGHT", "AlignText=RIGHT", 2},
        {"middle", "AlignText=middle", 0},
        {"centre", "AlignText=centre", 0},
        {"word with more", "AlignText=centered", 0},
        {"empty", "AlignText=", 0},
        {"missing", "", 0},
    };
    mini_test::ForEachRow(rows, [&](const Row& row) {
        ResetState();
        // The same word in every button section and none in Cancel.
        const std::string section = std::string(row.line) + "\r\nText=x\r\n";
        LoadConfiguration(dir, "[Button1]\r\n" + section + "[Button2]\r\n" + section + "[Button3]\r\n" + section);
        for (int n = 1; n <= 3; ++n) {
            CASE("Button%d", n);
            CHECK_EQ(g_state.buttons[n - 1].nAlign, row.align);
        }
    });
}

TEST(BackgroundColoursAndTheMainBrush) {
    TempDir dir;
    struct Row {
        const char* name;
        const char* mainLine;    // in [Main]
        const char* ownLine;     // in [Button2] and [Cancel]
        COLORREF mainColor;
        COLORREF ownColor;
        bool sharesMainBrush;
    } const rows[] = {
        {"sentinel counts as missing", "", "Bgcolor=*NOT*", kDefaultBackground, kDefaultBackground, true},
        {"sentinel in lower case", "", "Bgcolor=*not*", kDefaultBackground, kDefaultBackground, true},
        {"red Main, nothing of its own", "Bgcolor=255,0,0", "", 0x0000FF, 0x0000FF, true},
        {"red Main, sentinel of its own", "Bgcolor=255,0,0", "Bgcolor=*NOT*", 0x0000FF, 0x0000FF, true},
        {"red Main, empty of its own", "Bgcolor=255,0,0", "Bgcolor=", 0x0000FF, 0x0000FF, true},
        {"own blue", "Bgcolor=255,0,0", "Bgcolor=0,0,255", 0x0000FF, 0xFF0000, false},
        {"own colour equal to the Main one", "", "Bgcolor=0,128,128", kDefaultBackground, kDefaultBackground,
         false},
        {"Main as one number", "Bgcolor=8421376", "", kDefaultBackground, kDefaultBackground, true},
        {"blanks after the commas", "Bgcolor=10, 20, 30", "Bgcolor=1,2", 0x1E140A, 0x000201, false},
    };
    mini_test::ForEachRow(rows, [&](const Row& row) {
        ResetState();
        LoadConfiguration(dir, std::string("[Main]\r\n") + row.mainLine + "\r\n[Button2]\r\nText=two\r\n" + row.ownLine +
                                   "\r\n[Cancel]\r\n" + row.ownLine + "\r\n");
        const auto& main = g_state.main;
        CHECK_EQ(main.crBackground, row.mainColor);
        CHECK_EQ(BrushColor(main.hbrBackground), row.mainColor);
        struct Own {
            const char* name;
            COLORREF color;
            HBRUSH brush;
        } const owners[] = {
            {"Button2", g_state.buttons[1].crBackground, g_state.buttons[1].hbrBackground},
            {"Cancel", g_state.cancel.crBackground, g_state.cancel.hbrBackground},
        };
        for (const Own& own : owners) {
            CASE(own.name);
            CHECK_EQ(own.color, row.ownColor);
            CHECK_EQ(BrushColor(own.brush), row.ownColor);
            CHECK_EQ(own.brush == main.hbrBackground, row.sharesMainBrush);
        }
        // Buttons without a section of their own share the Main brush in every row.
        CHECK_EQ(g_state.buttons[0].hbrBackground, main.hbrBackground);
        CHECK_EQ(g_state.buttons[2].hbrBackground, main.hbrBackground);
        // Two sections with their own Bgcolor get two brushes.
        if (!row.sharesMainBrush) CHECK(g_state.buttons[1].hbrBackground != g_state.cancel.hbrBackground);
    });
}

TEST(TextColours) {
    TempDir dir;
    ResetState();
    LoadConfiguration(dir,
                      "[Main]\r\nFgcolor=0,0,255\r\n"
                      "[Button1]\r\nText=a\r\nFgcolor=255,255,255\r\n"
                      "[Button2]\r\nText=b\r\n"
                      "[Button3]\r\nFgcolor=*NOT*\r\n"
                      "[Cancel]\r\nFgcolor=300,0,0\r\n");
    CHECK_EQ(g_state.main.crText, 0xFF0000u);
    CHECK_EQ(g_state.buttons[0].crText, 0xFFFFFFu);
    // No inheritance from Main: black.
    CHECK_EQ(g_state.buttons[1].crText, 0u);
    CHECK_EQ(g_state.buttons[2].crText, 0u);
    CHECK_EQ(g_state.cancel.crText, 0x00012Cu);
}

TEST(Positions) {
    TempDir dir;
    struct Row {
        const char* name;
        const char* lines;  // in [Button1] and [Cancel]
        int xPos, yPos, xPosSel, yPosSel;
    } const rows[] = {
        {"one number", "Position=15", 15, 0, 0, 0},
        {"two numbers", "Position=15,-4", 15, -4, 0, 0},
        {"comma first", "Position=,7", 0, 7, 0, 0},
        {"three numbers", "Position=1,2,3", 1, 2, 0, 0},
        {"selected one number", "PositionSel=9", 0, 0, 9, 0},
        {"both", "Position=10,20\r\nPositionSel=30,40", 10, 20, 30, 40},
        {"not numbers", "Position=left,top", 0, 0, 0, 0},
        {"sentinel", "Position=*NOT*", 0, 0, 0, 0},
        {"missing", "", 0, 0, 0, 0},
    };
    mini_test::ForEachRow(rows, [&](const Row& row) {
        ResetState();
        LoadConfiguration(dir, std::string("[Button1]\r\nText=a\r\n") + row.lines + "\r\n[Cancel]\r\n" + row.lines +
                                   "\r\n");
        {
            CASE("Button1");
            const setupmenu::ButtonInfo& b = g_state.buttons[0];
            CHECK_EQ(b.xPos, row.xPos);
            CHECK_EQ(b.yPos, row.yPos);
            CHECK_EQ(b.xPosSel, row.xPosSel);
            CHECK_EQ(b.yPosSel, row.yPosSel);
        }
        {
            CASE("Cancel");
            const setupmenu::CancelInfo& c = g_state.cancel;
            CHECK_EQ(c.xPos, row.xPos);
            CHECK_EQ(c.yPos, row.yPos);
            CHECK_EQ(c.xPosSel, row.xPosSel);
            CHECK_EQ(c.yPosSel, row.yPosSel);
        }
    });
}

TEST(TextsAllocatedAtLengthPlusOne) {
    TempDir dir;
    const std::string longTitle(5000, 'T');
    struct Row {
        const char* name;
        std::string content;
        char* const* field;  // the field that receives the text
        std::string text;    // what it holds
        size_t block;        // size of its heap block
    } const rows[] = {
        {"title", "[Main]\r\nTitle=Product Setup", &g_state.main.pszTitle, "Product Setup", 14},
        {"title cut at 4094", "[Main]\r\nTitle=" + longTitle, &g_state.main.pszTitle, longTitle.substr(0, 4094), 4095},
        {"label", "[Button1]\r\nLabel=Install now?", &g_state.buttons[0].pszLabel, "Install now?", 13},
        {"label trimmed by the reader", "[Button1]\r\nLabel=   Go   ", &g_state.buttons[0].pszLabel, "Go", 3},
        {"text", "[Button1]\r\nText=Install", &g_state.buttons[0].pszText, "Install", 8},
        {"text in quotes", "[Button2]\r\nText=\"Install\"", &g_state.buttons[1].pszText, "Install", 8},
        {"text with opening quote only", "[Button3]\r\nText=\"Line\\nTwo", &g_state.buttons[2].pszText,
         "Line\r\nTwo", 11},
        {"text ending in a quoted word", "[Button1]\r\nText=Say \"hi\"", &g_state.buttons[0].pszText, "Say \"hi", 9},
        {"text of a single quote", "[Button1]\r\nText=\"", &g_state.buttons[0].pszText, "", 2},
        {"cancel label", "[Cancel]\r\nLabel=Abort", &g_state.cancel.pszLabel, "Abort", 6},
    };
    mini_test::ForEachRow(rows, [&](const Row& row) {
        ResetState();
        LoadConfiguration(dir, row.content + "\r\n");
        const char* text = *row.field;
        REQUIRE(text != nullptr);
        CHECK_EQ(std::string(text), row.text);
        CHECK_EQ(BlockSize(text), row.block);
    });
}

TEST(CommandKeptWholeInThePath) {
    TempDir dir;
    struct Row {
        const char* name;
        const char* value;
    } const rows[] = {
        {"file name", "setup.exe"},
        {"blank and switch", "setup.exe /S"},
        {"blanks in the name", "my setup.exe -q"},
        {"absolute path", "D:\\other\\setup.exe"},
        {"parent folder", "..\\tools\\run.exe"},
    };
    mini_test::ForEachRow(rows, [&](const Row& row) {
        ResetState();
        LoadConfiguration(dir, std::string("[Button3]\r\nCommand=") + row.value + "\r\n");
        const setupmenu::ButtonInfo& button = g_state.buttons[2];
        const std::string path = dir.path() + row.value;
        CHECK_EQ(button.pszCommand, path);
        CHECK_EQ(BlockSize(button.pszCommand), path.size() + 1);
        // A command alone does not make a button visible.
        CHECK_EQ(button.bVisible, 0);
    });
}

TEST(CancelLabel) {
    TempDir dir;
    struct Row {
        const char* name;
        const char* line;
        const char* label;
        size_t block;
    } const rows[] = {
        {"missing", "", "Cancel", 20},
        {"empty", "Label=", "Cancel", 20},
        {"blanks only", "Label=   ", "Cancel", 20},
        {"sentinel", "Label=*NOT*", "Cancel", 20},
        {"own word", "Label=Abort", "Abort", 6},
        {"own long text", "Label=Close this window now", "Close this window now", 22},
        {"the word Cancel itself", "Label=Cancel", "Cancel", 7},
    };
    mini_test::ForEachRow(rows, [&](const Row& row) {
        ResetState();
        LoadConfiguration(dir, std::string("[Cancel]\r\n") + row.line + "\r\n");
        CHECK_EQ(g_state.cancel.pszLabel, row.label);
        CHECK_EQ(BlockSize(g_state.cancel.pszLabel), row.block);
    });
}

TEST(ButtonPicturesAndVisibility) {
    TempDir dir;
    REQUIRE(WriteBmp24(dir / "text.bmp", 30, 20));
    REQUIRE(WriteBmp24(dir / "image.bmp", 40, 10));
    REQUIRE(WriteBmp24(dir / "sel.bmp", 12, 34));
    REQUIRE(WriteBytes(dir / "empty.bmp", "", 0));
    REQUIRE(WriteText(dir / "words.bmp", "not a picture"));
    struct Row {
        const char* name;
        const char* lines;
        SIZE image;      // {0, 0}: null
        SIZE imageSel;   // {0, 0}: null
        BOOL visible;
    } const rows[] = {
        {"ImageText over Image", "ImageText=text.bmp\r\nImage=image.bmp", {30, 20}, {0, 0}, 1},
        {"Image alone", "Image=image.bmp", {40, 10}, {0, 0}, 1},
        {"ImageText alone", "ImageText=text.bmp", {30, 20}, {0, 0}, 1},
        {"ImageText missing beside a good Image", "ImageText=absent.bmp\r\nImage=image.bmp", {0, 0}, {0, 0}, 0},
        {"ImageText broken beside a good Image", "ImageText=empty.bmp\r\nImage=image.bmp", {0, 0}, {0, 0}, 0},
        {"ImageText empty: Image", "ImageText=\r\nImage=image.bmp", {40, 10}, {0, 0}, 1},
        {"ImageText sentinel: Image", "ImageText=*NOT*\r\nImage=image.bmp", {40, 10}, {0, 0}, 1},
        {"Image a text file", "Image=words.bmp", {0, 0}, {0, 0}, 0},
        {"ImageSel alone", "ImageSel=sel.bmp", {0, 0}, {12, 34}, 0},
        {"Image and ImageSel", "Image=image.bmp\r\nImageSel=sel.bmp", {40, 10}, {12, 34}, 1},
        {"ImageSel missing", "Image=image.bmp\r\nImageSel=absent.bmp", {40, 10}, {0, 0}, 1},
        {"Label alone", "Label=Sure?", {0, 0}, {0, 0}, 0},
        {"Command alone", "Command=setup.exe", {0, 0}, {0, 0}, 0},
        {"Text alone", "Text=Install", {0, 0}, {0, 0}, 1},
        {"Text of a single quote", "Text=\"", {0, 0}, {0, 0}, 1},
        {"Text empty", "Text=", {0, 0}, {0, 0}, 0},
        {"Text broken picture", "Text=Install\r\nImage=empty.bmp", {0, 0}, {0, 0}, 1},
    };
    mini_test::ForEachRow(rows, [&](const Row& row) {
        ResetState();
        LoadConfiguration(dir, std::string("[Button1]\r\n") + row.lines + "\r\n");
        const setupmenu::ButtonInfo& button = g_state.buttons[0];
        const SIZE none{-1, -1};
        const SIZE image = button.hbmImage ? BitmapSize(button.hbmImage) : none;
        const SIZE imageSel = button.hbmImageSel ? BitmapSize(button.hbmImageSel) : none;
        if (row.image.cx) {
            CHECK_EQ(image.cx, row.image.cx);
            CHECK_EQ(image.cy, row.image.cy);
        } else {
            CHECK_EQ(button.hbmImage, nullptr);
        }
        if (row.imageSel.cx) {
            CHECK_EQ(imageSel.cx, row.imageSel.cx);
            CHECK_EQ(imageSel.cy, row.imageSel.cy);
        } else {
            CHECK_EQ(button.hbmImageSel, nullptr);
        }
        CHECK_EQ(button.bVisible, row.visible);
    });
}

TEST(MainAndCancelPictures) {
    TempDir dir;
    REQUIRE(WriteBmp24(dir / "back.bmp", 320, 200));
    REQUIRE(WriteBmp24(dir / "cancel.bmp", 50, 16));
    REQUIRE(WriteBmp24(dir / "cancel_sel.bmp", 52, 18));
    ResetState();
    LoadConfiguration(dir,
                      "[Main]\r\nImage=back.bmp\r\n"
                      "[Cancel]\r\nImage=cancel.bmp\r\nImageSel=cancel_sel.bmp\r\n");
    struct Row {
        const char* name;
        HBITMAP bitmap;
        LONG width, height;
    } const rows[] = {
        {"Main", g_state.main.hbmImage, 320, 200},
        {"Cancel", g_state.cancel.hbmImage, 50, 16},
        {"Cancel selected", g_state.cancel.hbmImageSel, 52, 18},
    };
    mini_test::ForEachRow(rows, [](const Row& row) {
        const SIZE size = BitmapSize(row.bitmap);
        CHECK_EQ(size.cx, row.width);
        CHECK_EQ(size.cy, row.height);
        CHECK_EQ(BitmapPixel(row.bitmap, row.width - 1, 0), TestPixel(row.width - 1, 0));
    });
    // Broken and missing ones stay null.
    ResetState();
    LoadConfiguration(dir, "[Main]\r\nImage=absent.bmp\r\n[Cancel]\r\nImage=back.txt\r\nImageSel=*NOT*\r\n");
    CHECK_EQ(g_state.main.hbmImage, nullptr);
    CHECK_EQ(g_state.cancel.hbmImage, nullptr);
    CHECK_EQ(g_state.cancel.hbmImageSel, nullptr);
}

TEST(SplashStretchedToTheDesktop) {
    TempDir dir;
    RECT desktop;
    REQUIRE(GetWindowRect(GetDesktopWindow(), &desktop));
    // The test prefix runs a 1024 by 768 virtual desktop.
    CHECK_EQ(desktop.right, 1024);
    CHECK_EQ(desktop.bottom, 768);
    REQUIRE(WriteBmp24(dir / "splash.bmp", 640, 480));
    REQUIRE(WriteBmp24(dir / "tiny.bmp", 1, 1));
    REQUIRE(WriteBmp24(dir / "wide.bmp", 2000, 100));
    REQUIRE(WriteBytes(dir / "empty.bmp", "", 0));
    struct Row {
        const char* name;
        const char* lines;
        bool picture;
        COLORREF brush;  // 0xFFFFFFFF: none
    } const rows[] = {
        {"640x480", "Image=splash.bmp", true, 0xFFFFFFFF},
        {"1x1", "Image=tiny.bmp", true, 0xFFFFFFFF},
        {"wider than the screen", "Image=wide.bmp", true, 0xFFFFFFFF},
        {"missing", "Image=absent.bmp", false, 0xFFFFFFFF},
        {"broken", "Image=empty.bmp", false, 0xFFFFFFFF},
        {"colour only", "Bgcolor=0,0,128", false, 0x800000},
        {"both", "Image=splash.bmp\r\nBgcolor=255,255,0", true, 0x00FFFF},
        {"sentinel colour", "Bgcolor=*NOT*", false, 0xFFFFFFFF},
    };
    mini_test::ForEachRow(rows, [&](const Row& row) {
        ResetState();
        LoadConfiguration(dir, std::string("[Splash]\r\n") + row.lines + "\r\n");
        const setupmenu::SplashInfo& splash = g_state.splash;
        if (row.picture) {
            const SIZE size = BitmapSize(splash.hbmImage);
            CHECK_EQ(size.cx, desktop.right);
            CHECK_EQ(size.cy, desktop.bottom);
        } else {
            CHECK_EQ(splash.hbmImage, nullptr);
        }
        if (row.brush == 0xFFFFFFFF) {
            CHECK_EQ(splash.hbrBackground, nullptr);
        } else {
            CHECK_EQ(BrushColor(splash.hbrBackground), row.brush);
            CHECK(splash.hbrBackground != g_state.main.hbrBackground);
        }
        CHECK_EQ(splash.hwndDlg, nullptr);
    });
}

MINI_TEST_MAIN()
