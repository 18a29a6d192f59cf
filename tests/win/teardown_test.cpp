// FreeAllResources after real configurations: every heap text released once
// (counting heap), every bitmap deleted once (DeleteObject counted at this
// program's import), brushes left alone, null fields skipped, in the order
// splash, Main, Cancel, buttons 1 to 3.
#include <cstring>
#include <string>
#include <vector>

#include "config/loaders.h"
#include "startup/setup_state.h"
#include "startup/teardown.h"
#include "tests/win/counting_heap.h"
#include "tests/win/mini_test.h"
#include "tests/win/test_support.h"

using setupmenu::g_state;
using namespace test_support;

namespace {

using DeleteObjectFunction = BOOL(WINAPI*)(HGDIOBJ);
DeleteObjectFunction g_deleteObject = nullptr;

BOOL WINAPI CountingDeleteObject(HGDIOBJ object) {
    counting_heap::Note('D', object);
    return g_deleteObject(object);
}

bool HookDeleteObject() {
    if (!g_deleteObject) {
        g_deleteObject = reinterpret_cast<DeleteObjectFunction>(
            PatchImport("gdi32.dll", "DeleteObject", reinterpret_cast<void*>(&CountingDeleteObject)));
    }
    return g_deleteObject != nullptr;
}

void LoadConfiguration(const TempDir& dir, const std::string& content) {
    ResetState();
    UseConfig(dir.path(), WriteIni(dir, "[Version]\r\nRelease=1\r\n" + content));
    counting_heap::Reset();
    setupmenu::LoadSplashSettings();
    setupmenu::LoadMainSettings();
    setupmenu::LoadAllButtonSettings();
}

// What the teardown must do with the record as it stands, in its order:
// 'F' releases a text, 'D' deletes a bitmap; null fields are skipped.
std::vector<counting_heap::Event> ExpectedReleases() {
    std::vector<counting_heap::Event> events;
    auto text = [&](const char* p) {
        if (p) events.push_back({'F', p});
    };
    auto bitmap = [&](HBITMAP h) {
        if (h) events.push_back({'D', h});
    };
    bitmap(g_state.splash.hbmImage);
    text(g_state.main.pszTitle);
    bitmap(g_state.main.hbmImage);
    text(g_state.cancel.pszLabel);
    bitmap(g_state.cancel.hbmImage);
    bitmap(g_state.cancel.hbmImageSel);
    for (const setupmenu::ButtonInfo& b : g_state.buttons) {
        text(b.pszLabel);
        text(b.pszText);
        text(b.pszCommand);
        bitmap(b.hbmImage);
        bitmap(b.hbmImageSel);
    }
    return events;
}

std::vector<counting_heap::Event> JournalFrom(size_t start) {
    const std::vector<counting_heap::Event>& journal = counting_heap::Journal();
    return std::vector<counting_heap::Event>(journal.begin() + static_cast<long>(start), journal.end());
}

std::string Describe(const std::vector<counting_heap::Event>& events) {
    std::string out;
    for (const counting_heap::Event& e : events) out += mini_test::Format("%c:%p ", e.kind, e.address);
    return out;
}

void CheckSameEvents(const std::vector<counting_heap::Event>& actual,
                     const std::vector<counting_heap::Event>& expected) {
    bool same = actual.size() == expected.size();
    for (size_t i = 0; same && i < actual.size(); ++i) {
        same = actual[i].kind == expected[i].kind && actual[i].address == expected[i].address;
    }
    if (!same) {
        mini_test::Fail(__FILE__, __LINE__,
                        "releases differ\n      actual:   " + Describe(actual) + "\n      expected: " + Describe(expected));
    }
}

int CountKind(const std::vector<counting_heap::Event>& events, char kind) {
    int n = 0;
    for (const counting_heap::Event& e : events) n += e.kind == kind;
    return n;
}

const char kFullConfiguration[] =
    "[Main]\r\nTitle=Product Setup\r\nImage=main.bmp\r\nBgcolor=0,64,0\r\nExit=ON\r\n"
    "[Splash]\r\nImage=splash.bmp\r\nBgcolor=0,0,0\r\n"
    "[Button1]\r\nLabel=Install?\r\nText=Install\r\nCommand=setup.exe\r\nImageText=b1.bmp\r\n"
    "ImageSel=b1s.bmp\r\nBgcolor=255,0,0\r\n"
    "[Button2]\r\nLabel=Read?\r\nText=\"Read\\nme\"\r\nCommand=readme.exe /x\r\nImage=b2.bmp\r\nImageSel=b2s.bmp\r\n"
    "[Button3]\r\nLabel=Browse?\r\nText=Browse\r\nCommand=..\\explore.exe\r\nImage=b3.bmp\r\nImageSel=b3s.bmp\r\n"
    "Bgcolor=0,0,255\r\n"
    "[Cancel]\r\nLabel=Quit\r\nImage=c.bmp\r\nImageSel=cs.bmp\r\nBgcolor=1,2,3\r\n";

}  // namespace

TEST(FullConfigurationReleasedOnce) {
    REQUIRE(HookDeleteObject());
    TempDir dir;
    const char* files[] = {"main.bmp", "splash.bmp", "b1.bmp", "b1s.bmp", "b2.bmp", "b2s.bmp",
                           "b3.bmp",   "b3s.bmp",    "c.bmp",  "cs.bmp"};
    int size = 8;
    for (const char* file : files) {
        REQUIRE(WriteBmp24(dir / file, size, size + 1));
        ++size;
    }
    LoadConfiguration(dir, kFullConfiguration);

    // Everything the configuration names was loaded: 11 texts, 10 bitmaps.
    const char* texts[] = {g_state.main.pszTitle,        g_state.cancel.pszLabel,       g_state.buttons[0].pszLabel,
                           g_state.buttons[0].pszText,   g_state.buttons[0].pszCommand, g_state.buttons[1].pszLabel,
                           g_state.buttons[1].pszText,   g_state.buttons[1].pszCommand, g_state.buttons[2].pszLabel,
                           g_state.buttons[2].pszText,   g_state.buttons[2].pszCommand};
    const HBITMAP bitmaps[] = {g_state.splash.hbmImage,        g_state.main.hbmImage,
                               g_state.cancel.hbmImage,        g_state.cancel.hbmImageSel,
                               g_state.buttons[0].hbmImage,    g_state.buttons[0].hbmImageSel,
                               g_state.buttons[1].hbmImage,    g_state.buttons[1].hbmImageSel,
                               g_state.buttons[2].hbmImage,    g_state.buttons[2].hbmImageSel};
    struct BrushRow {
        const char* name;
        HBRUSH brush;
        COLORREF color;
    } const brushes[] = {
        {"Main", g_state.main.hbrBackground, 0x004000},
        {"Splash", g_state.splash.hbrBackground, 0x000000},
        {"Button1", g_state.buttons[0].hbrBackground, 0x0000FF},
        {"Button2 (the Main brush)", g_state.buttons[1].hbrBackground, 0x004000},
        {"Button3", g_state.buttons[2].hbrBackground, 0xFF0000},
        {"Cancel", g_state.cancel.hbrBackground, 0x030201},
    };
    REQUIRE(counting_heap::Blocks().size() == 11);
    for (const char* text : texts) {
        CASE("text %s", mini_test::Quote(text).c_str());
        CHECK(counting_heap::Find(text) != nullptr);
    }
    for (size_t i = 0; i < 10; ++i) {
        CASE("bitmap %u", static_cast<unsigned>(i));
        CHECK_EQ(GetObjectType(bitmaps[i]), static_cast<DWORD>(OBJ_BITMAP));
        for (size_t j = 0; j < i; ++j) CHECK(bitmaps[i] != bitmaps[j]);
    }

    const std::vector<counting_heap::Event> expected = ExpectedReleases();
    const size_t start = counting_heap::Journal().size();
    std::vector<uint8_t> before(sizeof g_state);
    std::memcpy(before.data(), &g_state, sizeof g_state);
    setupmenu::FreeAllResources();
    const std::vector<counting_heap::Event> actual = JournalFrom(start);

    CheckSameEvents(actual, expected);
    CHECK_EQ(CountKind(actual, 'F'), 11);
    CHECK_EQ(CountKind(actual, 'D'), 10);
    for (const counting_heap::Block& block : counting_heap::Blocks()) {
        CASE("block %s", mini_test::Quote(block.address).c_str());
        CHECK_EQ(block.releases, 1);
    }
    CHECK_EQ(counting_heap::StrayReleases(), 0);
    for (size_t i = 0; i < 10; ++i) {
        CASE("bitmap %u", static_cast<unsigned>(i));
        CHECK_EQ(GetObjectType(bitmaps[i]), 0u);
    }
    mini_test::ForEachRow(brushes, [](const BrushRow& row) {
        CHECK_EQ(GetObjectType(row.brush), static_cast<DWORD>(OBJ_BRUSH));
        CHECK_EQ(BrushColor(row.brush), row.color);
    });
    // Nothing reads the fields again, so they are not cleared.
    CHECK_MEM(reinterpret_cast<const uint8_t*>(&g_state), before.data(), sizeof g_state);
}

TEST(AbsentSectionsAndFailedLoadsAreSkipped) {
    REQUIRE(HookDeleteObject());
    TempDir dir;
    REQUIRE(WriteBmp24(dir / "good.bmp", 4, 4));
    struct Row {
        const char* name;
        const char* content;
        int texts;
        int bitmaps;
    } const rows[] = {
        {"only the validity key", "", 1, 0},
        {"one label", "[Button2]\r\nLabel=Sure?\r\n", 2, 0},
        {"title and a command", "[Main]\r\nTitle=T\r\n[Button3]\r\nCommand=run.exe\r\n", 3, 0},
        {"pictures that did not load", "[Splash]\r\nImage=absent.bmp\r\n[Main]\r\nImage=absent.bmp\r\n"
                                       "[Button1]\r\nImage=absent.bmp\r\nImageSel=absent.bmp\r\n"
                                       "[Cancel]\r\nImage=absent.bmp\r\nImageSel=absent.bmp\r\n", 1, 0},
        {"one selected picture", "[Button1]\r\nImageSel=good.bmp\r\n", 1, 1},
        {"splash only", "[Splash]\r\nImage=good.bmp\r\n", 1, 1},
        {"own cancel label", "[Cancel]\r\nLabel=Stop\r\nImage=good.bmp\r\n", 1, 1},
    };
    mini_test::ForEachRow(rows, [&](const Row& row) {
        LoadConfiguration(dir, row.content);
        const std::vector<counting_heap::Event> expected = ExpectedReleases();
        const size_t start = counting_heap::Journal().size();
        setupmenu::FreeAllResources();
        const std::vector<counting_heap::Event> actual = JournalFrom(start);
        CheckSameEvents(actual, expected);
        CHECK_EQ(CountKind(actual, 'F'), row.texts);
        CHECK_EQ(CountKind(actual, 'D'), row.bitmaps);
        CHECK_EQ(counting_heap::StrayReleases(), 0);
        for (const counting_heap::Block& block : counting_heap::Blocks()) CHECK_EQ(block.releases, 1);
        CHECK_EQ(GetObjectType(g_state.main.hbrBackground), static_cast<DWORD>(OBJ_BRUSH));
    });
}

TEST(EmptyRecordReleasesNothing) {
    REQUIRE(HookDeleteObject());
    ResetState();
    counting_heap::Reset();
    setupmenu::FreeAllResources();
    CHECK_EQ(counting_heap::Journal().size(), 0u);
    CHECK_EQ(counting_heap::StrayReleases(), 0);
}

MINI_TEST_MAIN()
