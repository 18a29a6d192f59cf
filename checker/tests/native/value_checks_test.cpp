// The checker's reading of single values: what the launcher makes of them,
// and the notes where that is probably not what the author meant.
#include "checker/value_checks.h"

#include <gtest/gtest.h>

#include "config/text_rules.h"

#include <string>
#include <vector>

namespace setupmenu {
namespace check {
namespace {

// Each expected fragment must appear in its own note, in order; no other notes.
void ExpectNotes(const Notes& notes, const std::vector<std::string>& fragments, const std::string& what) {
    ASSERT_EQ(notes.count, fragments.size()) << what << [&] {
        std::string all;
        for (size_t i = 0; i < notes.count; ++i) all += std::string("\n  note: ") + notes.text[i];
        return all;
    }();
    for (size_t i = 0; i < fragments.size(); ++i) {
        EXPECT_NE(std::string(notes.text[i]).find(fragments[i]), std::string::npos)
            << what << ": note " << i << " is \"" << notes.text[i] << "\", expected to hold \"" << fragments[i]
            << "\"";
    }
}

struct NotesCase {
    const char* value;
    std::vector<std::string> fragments;
};

TEST(SplitNumbers, ReadsFieldsAsTheLauncherDoes) {
    const struct {
        const char* value;
        size_t limit;
        size_t count;
        size_t ignored;
        int32_t values[3];
        bool wellFormed[3];
    } cases[] = {
        {"0,128,128", 3, 3, 0, {0, 128, 128}, {true, true, true}},
        {" 10, 20 ,30 ", 3, 3, 0, {10, 20, 30}, {true, true, true}},
        {"1,2,3,4,5", 3, 3, 2, {1, 2, 3}, {true, true, true}},
        {"1,2,3", 2, 2, 1, {1, 2, 0}, {true, true, false}},
        {"12abc", 3, 1, 0, {12, 0, 0}, {false, false, false}},
        {"", 3, 1, 0, {0, 0, 0}, {false, false, false}},
        {"-5,+7", 2, 2, 0, {-5, 7, 0}, {true, true, false}},
        {",7", 2, 2, 0, {0, 7, 0}, {false, true, false}},
        {"1 2,3", 2, 2, 0, {1, 3, 0}, {false, true, false}},
        {"0x80", 3, 1, 0, {0, 0, 0}, {false, false, false}},
    };
    for (const auto& c : cases) {
        const NumberFields fields = SplitNumbers(c.value, c.limit);
        EXPECT_EQ(fields.count, c.count) << c.value;
        EXPECT_EQ(fields.ignored, c.ignored) << c.value;
        for (size_t i = 0; i < fields.count; ++i) {
            EXPECT_EQ(fields.field[i].value, c.values[i]) << c.value << " field " << i;
            EXPECT_EQ(fields.field[i].wellFormed, c.wellFormed[i]) << c.value << " field " << i;
        }
    }
}

TEST(SplitNumbers, FlagsNumbersThatWrap) {
    const struct {
        const char* value;
        bool overflows;
        int32_t value32;
    } cases[] = {
        {"2147483647", false, 2147483647},
        {"2147483648", true, INT32_MIN},
        {"-2147483648", false, INT32_MIN},
        {"-2147483649", true, 2147483647},
        {"4294967296", true, 0},
        {"99999999999999999999999", true, 0},  // too long to state here: compared with the reader only
    };
    for (const auto& c : cases) {
        const NumberFields fields = SplitNumbers(c.value, 2);
        EXPECT_EQ(fields.field[0].overflows, c.overflows) << c.value;
        EXPECT_EQ(fields.field[0].value, setupmenu::ReadNumber(c.value)) << c.value;
        if (std::string(c.value).size() < 12) {
            EXPECT_EQ(fields.field[0].value, c.value32) << c.value;
        }
    }
}

TEST(CheckColour, NotesNumbersTheLauncherReadsDifferently) {
    const NotesCase cases[] = {
        {"0,128,128", {}},
        {"255, 255, 255", {}},
        {"300,0,0",
         {"red 300 is outside 0 to 255: the launcher adds the whole number, so it carries into green and blue "
          "(the colour is 44,1,0)"}},
        {"0,300,0", {"green 300 is outside 0 to 255: only its low 8 bits count (44)"}},
        {"0,0,-1", {"blue -1 is outside 0 to 255: only its low 8 bits count (255)"}},
        {"-1,0,0", {"red -1 is outside 0 to 255"}},
        {"255", {"gives only the red number: green and blue count as 0 (the colour is 255,0,0)"}},
        {"8421376", {"a lone number is the whole colour value 0x00BBGGRR: 8421376 gives red 0, green 128, blue 128"}},
        {"16777216", {"and bits above blue"}},
        {"1,2", {"gives no blue number: blue counts as 0 (the colour is 1,2,0)"}},
        {"1,2,3,4", {"has 1 more number after blue: ignored"}},
        {"1,2,3,4,5", {"has 2 more numbers after blue"}},
        {"red,0,0", {"red \"red\" is not a plain decimal number: the launcher reads it as 0"}},
        {"0,12px,0", {"green \"12px\" is not a plain decimal number: the launcher reads it as 12"}},
        {"0,0,4294967296", {"blue \"4294967296\" is too large for 32 bits: the launcher reads it as 0"}},
        {"", {"is not a plain decimal number", "gives only the red number"}},
        {"300,300", {"gives no blue number", "red 300 is outside", "green 300 is outside"}},
    };
    for (const NotesCase& c : cases) {
        Notes notes;
        ClearNotes(&notes);
        CheckColour(c.value, &notes);
        ExpectNotes(notes, c.fragments, std::string("colour ") + c.value);
    }
}

TEST(CheckPosition, NotesPositionsTheLayoutIgnores) {
    const NotesCase cases[] = {
        {"10,20", {}},
        {"-5,7", {}},
        {"10,0", {"y is 0: a position with a 0 in either number is ignored"}},
        {"0,5", {"x is 0"}},
        {"0,0", {"each number is 0"}},
        {"15", {"gives only x: y counts as 0"}},
        {"1,2,3", {"has 1 more number after y: ignored"}},
        {"a,5", {"x \"a\" is not a plain decimal number: the launcher reads it as 0", "x is 0"}},
        {"5,6px", {"y \"6px\" is not a plain decimal number: the launcher reads it as 6"}},
    };
    for (const NotesCase& c : cases) {
        Notes notes;
        ClearNotes(&notes);
        CheckPosition(c.value, false, &notes);
        ExpectNotes(notes, c.fragments, std::string("position ") + c.value);
    }
}

TEST(CheckPosition, TellsTheEffectForEachKind) {
    Notes normal, selected;
    ClearNotes(&normal);
    ClearNotes(&selected);
    CheckPosition("10,0", false, &normal);
    CheckPosition("10,0", true, &selected);
    ExpectNotes(normal, {"the control stays where the dialog template puts it"}, "Position");
    ExpectNotes(selected, {"the selected picture is placed over the normal control"}, "PositionSel");
}

TEST(CheckWords, NotesValuesOtherThanTheRecognisedWords) {
    const struct {
        SectionFamily family;
        const char* key;
        const char* value;
        std::vector<std::string> fragments;
    } cases[] = {
        {SectionFamily::Main, "Exit", "ON", {}},
        {SectionFamily::Main, "Exit", "on", {}},
        {SectionFamily::Main, "Exit", "Off", {}},
        {SectionFamily::Main, "Exit", "yes", {"\"yes\" is neither ON nor OFF: the launcher reads it as off"}},
        {SectionFamily::Main, "Exit", "1", {"\"1\" is neither ON nor OFF"}},
        {SectionFamily::Main, "Exit", "ON ", {"nearest recognised word: ON"}},
        {SectionFamily::Main, "Debug", "Onn",
         {"neither On nor Off: the launcher reads it as off; nearest recognised word: On"}},
        {SectionFamily::Main, "Debug", "OFF", {}},
        {SectionFamily::Button, "AlignText", "CENTER", {}},
        {SectionFamily::Button, "AlignText", "centre",
         {"\"centre\" is not left, center or right: the launcher aligns the text left; nearest recognised word: "
          "center"}},
        {SectionFamily::Button, "AlignText", "middle", {"is not left, center or right"}},
    };
    for (const auto& c : cases) {
        const KeyInfo* key = FindKey(c.family, c.key);
        ASSERT_NE(key, nullptr);
        Notes notes;
        ClearNotes(&notes);
        CheckWords(*key, c.value, &notes);
        ExpectNotes(notes, c.fragments, std::string(c.key) + "=" + c.value);
        if (std::string(c.value) == "middle") {
            EXPECT_EQ(std::string(notes.text[0]).find("nearest"), std::string::npos) << "no hint for a far word";
        }
    }
}

TEST(CheckButtonText, NotesDroppedQuotesAndBrokenPaths) {
    const NotesCase cases[] = {
        {"Install", {}},
        {"Line one\\nLine two", {}},
        {"\"both ends\"", {}},
        {"say \"hi\"", {"ends with a double quote that does not open the text: the launcher drops it"}},
        {"\"start only", {"begins with a double quote that does not close the text"}},
        {"\"", {"is a lone double quote: the launcher shows an empty text"}},
        {"Install to C:\\new", {"the path \"C:\\new\" holds a backslash followed by n"}},
        {"C:\\Program Files\\New Folder", {"the path \"Files\\New\" holds a backslash followed by N"}},
        {"C:\\\\new", {}},  // the doubled backslash starts no escape
        {"\"D:\\setup\\notes.txt\"", {"the path \"D:\\setup\\notes.txt\""}},
    };
    for (const NotesCase& c : cases) {
        Notes notes;
        ClearNotes(&notes);
        CheckButtonText(c.value, std::string(c.value).size(), &notes);
        ExpectNotes(notes, c.fragments, std::string("text ") + c.value);
    }
}

TEST(FindPathBreakingEscape, FindsEscapesInsidePaths) {
    constexpr size_t kNone = std::string_view::npos;
    const struct {
        const char* text;
        size_t expected;
    } cases[] = {
        {"C:\\new", 2},                  // after a drive
        {"D:\\Setup\\new.exe", 8},       // another backslash in the same word
        {"see \\\\server\\new", 12},     // a doubled backslash is a separator too
        {"open \\notes.txt now", 5},     // a file extension after the escape
        {"http://host/\\next", 12},      // a slash in the word
        {"C:\\Program Files\\New Folder", 16},  // a drive earlier on the line: paths hold blanks
        {"Copy C:\\x then\\nrestart", 14},       // even where the author meant a line break
        {"Line one\\nLine two", kNone},  // a line break between words
        {"Version 1.0\\nNew", kNone},    // a dot before the escape is no extension
        {"Done.\\nnow.", kNone},         // a dot with nothing after it
        {"first\\nsecond\\nthird", kNone},
        {"C:\\\\new", kNone},            // no escape at all
        {"C:\\x\\\\n", kNone},           // "\\n" after a pair stays as it is
        {"", kNone},
        {"\\", kNone},
        {"\\n", kNone},
    };
    for (const auto& c : cases) EXPECT_EQ(FindPathBreakingEscape(c.text), c.expected) << c.text;
}

TEST(FindArgumentStart, FindsArgumentsAfterTheProgram) {
    constexpr size_t kNone = std::string_view::npos;
    const struct {
        const char* command;
        size_t expected;
    } cases[] = {
        {"setup.exe /S", 9},
        {"setup.exe -q", 9},
        {"setup.exe\t/S", 9},
        {"setup.exe extra", 9},
        {"SETUP.EXE   /quiet", 9},
        {"msiexec.exe /i setup.msi", 11},
        {"run \"x\"", 3},
        {"dir\\setup.exe  /quiet", 13},
        {"My Setup.exe", kNone},
        {"Program Files\\setup.exe", kNone},
        {"setup.exe", kNone},
        {"setup.exe ", kNone},
        {"", kNone},
    };
    for (const auto& c : cases) EXPECT_EQ(FindArgumentStart(c.command), c.expected) << c.command;
}

TEST(FindTrailingComment, FindsASemicolonAfterABlank) {
    constexpr size_t kNone = std::string_view::npos;
    const struct {
        const char* value;
        size_t expected;
    } cases[] = {
        {"menu.bmp          ; background picture", 18},
        {"ON\t; close after a start", 3},
        {"0,128,128 ;red", 10},
        {"Install; then restart", kNone},  // punctuation, not a comment
        {";only", kNone},                  // the reader never delivers a value that starts a line
        {"a ;b ;c", 2},
        {"", kNone},
    };
    for (const auto& c : cases) EXPECT_EQ(FindTrailingComment(c.value), c.expected) << c.value;
}

TEST(LooksAbsolute, RecognisesDrivesAndSharedFolders) {
    const struct {
        const char* path;
        bool absolute;
    } cases[] = {
        {"C:\\setup.exe", true}, {"c:setup.exe", true}, {"\\\\server\\share\\x", true}, {"\\setup.exe", false},
        {"setup.exe", false},    {"1:\\x", false},      {"", false},                    {"C", false},
    };
    for (const auto& c : cases) EXPECT_EQ(LooksAbsolute(c.path), c.absolute) << c.path;
}

TEST(QuoteForDisplay, WritesControlCharactersAndCuts) {
    const struct {
        const char* text;
        size_t limit;
        size_t capacity;
        const char* expected;
    } cases[] = {
        {"Install", 60, 64, "\"Install\""},
        {"a\r\nb", 60, 64, "\"a\\r\\nb\""},
        {"C:\\new", 60, 64, "\"C:\\new\""},
        {"tab\there", 60, 64, "\"tab\\there\""},
        {"\x01", 60, 64, "\"\\x01\""},
        {"abcdef", 3, 64, "\"abc\"..."},
        {"abcdef", 60, 5, "\"abc"},  // pieces that do not fit are left out; always terminated
        {"", 60, 64, "\"\""},
    };
    for (const auto& c : cases) {
        char out[64];
        QuoteForDisplay(c.text, c.limit, out, c.capacity);
        EXPECT_STREQ(out, c.expected) << c.text;
    }
}

TEST(AddNote, KeepsAtMostTheLimitAndCutsLongNotes) {
    Notes notes;
    ClearNotes(&notes);
    for (size_t i = 0; i < Notes::kMax + 3; ++i) AddNote(&notes, "note %u", static_cast<unsigned>(i));
    EXPECT_EQ(notes.count, Notes::kMax);
    EXPECT_STREQ(notes.text[Notes::kMax - 1], "note 7");
    ClearNotes(&notes);
    const std::string longText(Notes::kChars * 2, 'x');
    AddNote(&notes, "%s", longText.c_str());
    EXPECT_EQ(std::string(notes.text[0]).size(), Notes::kChars - 1);
}

}  // namespace
}  // namespace check
}  // namespace setupmenu
