// The checker's table of sections and keys, and the nearest-name search.
#include "checker/known_keys.h"

#include <gtest/gtest.h>

#include <string>

namespace setupmenu {
namespace check {
namespace {

struct DistanceCase {
    const char* a;
    const char* b;
    size_t expected;
};

TEST(EditDistanceNoCase, CountsInsertionsDeletionsSubstitutionsAndSwaps) {
    const DistanceCase cases[] = {
        {"Command", "Command", 0},
        {"ImageSel", "imagesel", 0},      // case does not count
        {"Command", "Comand", 1},         // one deletion
        {"Bgcolor", "Bgcolour", 1},       // one insertion
        {"Bgcolor", "Fgcolor", 1},        // one substitution
        {"Label", "Lable", 1},            // two neighbours swapped
        {"ab", "ba", 1},
        {"abc", "ca", 3},                 // a swap is not combined with further edits of the same letters
        {"kitten", "sitting", 3},
        {"", "abc", 3},
        {"abc", "", 3},
        {"", "", 0},
        {"Position", "PositionSel", 3},
        {"[", "]", 1},
        {"\xC4", "\xE4", 1},              // only A to Z fold: other bytes compare as they are
    };
    for (const DistanceCase& c : cases) {
        EXPECT_EQ(EditDistanceNoCase(c.a, c.b), c.expected) << c.a << " / " << c.b;
        EXPECT_EQ(EditDistanceNoCase(c.b, c.a), c.expected) << c.b << " / " << c.a << " (reversed)";
    }
}

TEST(EditDistanceNoCase, ComparesOnlyTheFirstCharactersOfLongNames) {
    const std::string base(kMaxCompared, 'a');
    EXPECT_EQ(EditDistanceNoCase(base + "bbbb", base), 0u);
    EXPECT_EQ(EditDistanceNoCase(std::string(kMaxCompared - 1, 'a') + "b", base), 1u);
    EXPECT_EQ(EditDistanceNoCase(std::string(1000, 'x'), std::string(3, 'x')), kMaxCompared - 3);
}

TEST(FindSection, MatchesNamesWithoutCase) {
    const struct {
        const char* name;
        const char* expected;  // null: unknown
    } cases[] = {
        {"Version", "Version"}, {"version", "Version"}, {"BUTTON2", "Button2"}, {"cancel", "Cancel"},
        {"Button4", nullptr},   {"Button", nullptr},    {"", nullptr},          {"Main ", nullptr},
    };
    for (const auto& c : cases) {
        const SectionInfo* found = FindSection(c.name);
        if (!c.expected) {
            EXPECT_EQ(found, nullptr) << c.name;
        } else {
            ASSERT_NE(found, nullptr) << c.name;
            EXPECT_EQ(found->name, c.expected) << c.name;
        }
    }
    EXPECT_EQ(FindSection("button3")->button, 3);
    EXPECT_EQ(FindSection("Button1")->family, SectionFamily::Button);
}

TEST(FindKey, LooksOnlyInTheGivenFamily) {
    const struct {
        SectionFamily family;
        const char* key;
        bool known;
    } cases[] = {
        {SectionFamily::Button, "imagetext", true}, {SectionFamily::Button, "COMMAND", true},
        {SectionFamily::Cancel, "Text", false},     {SectionFamily::Cancel, "Command", false},
        {SectionFamily::Cancel, "ImageText", false}, {SectionFamily::Cancel, "AlignText", false},
        {SectionFamily::Cancel, "Label", true},     {SectionFamily::Main, "Release", false},
        {SectionFamily::Version, "Release", true},  {SectionFamily::Splash, "Title", false},
        {SectionFamily::Main, "Debug", true},       {SectionFamily::Button, "Debug", false},
    };
    for (const auto& c : cases) {
        const KeyInfo* found = FindKey(c.family, c.key);
        EXPECT_EQ(found != nullptr, c.known) << c.key;
        if (found) {
            EXPECT_EQ(found->family, c.family) << c.key;
        }
    }
}

TEST(FindFamilyOfKey, NamesAnotherFamilyThatReadsTheKey) {
    SectionFamily found = SectionFamily::Version;
    ASSERT_TRUE(FindFamilyOfKey("text", SectionFamily::Cancel, &found));
    EXPECT_EQ(found, SectionFamily::Button);
    ASSERT_TRUE(FindFamilyOfKey("Release", SectionFamily::Main, &found));
    EXPECT_EQ(found, SectionFamily::Version);
    EXPECT_FALSE(FindFamilyOfKey("Release", SectionFamily::Version, &found));
    EXPECT_FALSE(FindFamilyOfKey("Colour", SectionFamily::Main, &found));
    ASSERT_TRUE(FindFamilyOfKey("Title", SectionFamily::Button, &found));
    EXPECT_EQ(found, SectionFamily::Main);
}

TEST(NearestSection, SuggestsTheClosestKnownSection) {
    const struct {
        const char* name;
        const char* expected;
    } cases[] = {
        {"Buton3", "Button3"}, {"Splsh", "Splash"}, {"Versoin", "Version"}, {"cancle", "Cancel"},
        {"Mian", "Main"},      {"Button 2", "Button2"},
        {"Button4", "Button1"},  // ties go to the earlier section
        {"Buttons", "Button1"},
    };
    for (const auto& c : cases) EXPECT_EQ(NearestSection(c.name), c.expected) << c.name;
}

TEST(NearestKey, SuggestsTheClosestKeyOfTheFamily) {
    const struct {
        SectionFamily family;
        const char* name;
        const char* expected;
    } cases[] = {
        {SectionFamily::Button, "Comand", "Command"},
        {SectionFamily::Button, "Bgcolour", "Bgcolor"},
        {SectionFamily::Button, "ImageSelected", "ImageSel"},
        {SectionFamily::Button, "Image_Text", "ImageText"},
        {SectionFamily::Main, "Titel", "Title"},
        {SectionFamily::Main, "Background", "Bgcolor"},
        {SectionFamily::Cancel, "Lable", "Label"},
        {SectionFamily::Cancel, "Text", "Name"},  // Cancel has no Text; its own nearest
        {SectionFamily::Version, "Relase", "Release"},
        {SectionFamily::Splash, "Bitmap", "Image"},
    };
    for (const auto& c : cases) EXPECT_EQ(NearestKey(c.family, c.name), c.expected) << c.name;
}

TEST(NearestWord, SuggestsTheClosestRecognisedWord) {
    const KeyInfo* align = FindKey(SectionFamily::Button, "AlignText");
    const KeyInfo* exitKey = FindKey(SectionFamily::Main, "Exit");
    ASSERT_NE(align, nullptr);
    ASSERT_NE(exitKey, nullptr);
    EXPECT_EQ(NearestWord(*align, "centre"), "center");
    EXPECT_EQ(NearestWord(*align, "Rigth"), "right");
    EXPECT_EQ(NearestWord(*align, "lft"), "left");
    EXPECT_EQ(NearestWord(*exitKey, "onn"), "ON");
    EXPECT_EQ(NearestWord(*exitKey, "offf"), "OFF");
}

// Properties the checker relies on: names are unique where they are looked up,
// every key with words has them, and each family has keys to report.
TEST(KeyTable, IsConsistent) {
    for (const SectionInfo& a : kSections) {
        for (const SectionInfo& b : kSections) {
            if (&a != &b) {
                EXPECT_NE(a.name, b.name);
            }
        }
        EXPECT_EQ(a.button != 0, a.family == SectionFamily::Button) << a.name;
        bool hasKeys = false;
        for (const KeyInfo& key : kKeys) hasKeys = hasKeys || key.family == a.family;
        EXPECT_TRUE(hasKeys) << a.name;
    }
    for (const KeyInfo& a : kKeys) {
        EXPECT_EQ(FindKey(a.family, a.key), &a) << a.key;  // no duplicate within a family
        EXPECT_FALSE(a.fallback.empty()) << a.key;
        if (a.kind == ValueKind::Switch) {
            EXPECT_EQ(a.wordCount, 2u) << a.key;
        } else if (a.kind == ValueKind::Word) {
            EXPECT_GE(a.wordCount, 2u) << a.key;
        } else {
            EXPECT_EQ(a.words, nullptr) << a.key;
        }
        // Literals: the checker hands them to C functions as terminated texts.
        EXPECT_EQ(a.key.data()[a.key.size()], '\0') << a.key;
    }
}

}  // namespace
}  // namespace check
}  // namespace setupmenu
