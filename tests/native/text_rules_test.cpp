// Value rules of the configuration file: comparison without case, numbers,
// colours, positions, button texts and program-relative paths.
#include "config/text_rules.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <string>

namespace {

using namespace setupmenu;

constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();

// ---------------------------------------------------------------------------
// EqualsNoCase

TEST(EqualsNoCase, OnlyLettersAToZIgnoreCase) {
    struct Case {
        const char* a;
        const char* b;
        bool equal;
    };
    const Case cases[] = {
        {"*NOT*", "*NOT*", true},
        {"*NOT*", "*not*", true},
        {"*NOT*", "*NoT*", true},
        {"*NOT*", "*NOT*x", false},
        {"*NOT*x", "*NOT*", false},
        {"*NOT*", "*NOT", false},
        {"*NOT*", " *NOT*", false},
        {"ON", "on", true},
        {"On", "oN", true},
        {"On", "Of", false},
        {"center", "CENTER", true},
        {"right", "Right", true},
        {"left", "lefts", false},
        {"AZ", "az", true},
        {"", "", true},
        {"a", "", false},
        {"", "a", false},
        // Characters that differ by 0x20 but are not letters A to Z.
        {"[", "{", false},
        {"@", "`", false},
        {"]", "}", false},
        {"\xC0", "\xE0", false},
        {"\xC9T\xC9", "\xE9t\xE9", false},
        {"1", "1", true},
        {"1", "2", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " vs " + c.b);
        EXPECT_EQ(EqualsNoCase(c.a, c.b), c.equal);
        EXPECT_EQ(EqualsNoCase(c.b, c.a), c.equal);
    }
}

TEST(EqualsNoCase, EmbeddedZeroBytesCount) {
    EXPECT_TRUE(EqualsNoCase(std::string_view("a\0B", 3), std::string_view("A\0b", 3)));
    EXPECT_FALSE(EqualsNoCase(std::string_view("a\0B", 3), std::string_view("a\0C", 3)));
}

// ---------------------------------------------------------------------------
// ReadNumber

struct NumberCase {
    const char* text;
    int32_t value;
};

TEST(ReadNumber, BlanksSignDigits) {
    const NumberCase cases[] = {
        {"", 0},
        {"0", 0},
        {"42", 42},
        {"007", 7},
        {" \t\n\v\f\r42", 42},
        {"-42", -42},
        {"+42", 42},
        {"  -17", -17},
        {"-0", 0},
    };
    for (const NumberCase& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ReadNumber(c.text), c.value);
    }
}

TEST(ReadNumber, StopsAtTheFirstNonDigitAndReadsZeroWithoutDigits) {
    const NumberCase cases[] = {
        {"12abc", 12},
        {"12 34", 12},
        {"12,34", 12},
        {"3.9", 3},
        {"1e3", 1},
        {"0x1F", 0},
        {"abc", 0},
        {"-", 0},
        {"+", 0},
        {"--5", 0},
        {"+-5", 0},
        {"-+5", 0},
        {"- 5", 0},
        {"\xA0" "42", 0},  // a no-break space is not white space
        {"\x1C" "42", 0},
        {",5", 0},
    };
    for (const NumberCase& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ReadNumber(c.text), c.value);
    }
}

TEST(ReadNumber, OverflowWrapsInThirtyTwoBits) {
    const NumberCase cases[] = {
        {"2147483647", kMax},
        {"2147483648", kMin},
        {"-2147483648", kMin},
        {"-2147483649", kMax},
        {"4294967295", -1},
        {"4294967296", 0},
        {"4294967301", 5},
        {"-4294967295", 1},
        {"99999999999", 1215752191},
        {"00000000000000000000000000000012", 12},
    };
    for (const NumberCase& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ReadNumber(c.text), c.value);
    }
}

// ---------------------------------------------------------------------------
// ParseColor

struct ColorCase {
    const char* text;
    uint32_t color;
};

TEST(ParseColor, RedGreenBlueToPlatformLayout) {
    const ColorCase cases[] = {
        {"", 0x000000},
        {"255", 0x0000FF},
        {"0,0,255", 0xFF0000},
        {"0,255", 0x00FF00},
        {"1,2", 0x000201},
        {"1,2,3", 0x030201},
        {"0,128,128", 0x808000},
        {"255,255,255", 0xFFFFFF},
        {"10, 20, 30", 0x1E140A},
        {"10,\t20,\n30", 0x1E140A},
        {"1 ,2", 0x000201},
        {"+1,+2,+3", 0x030201},
    };
    for (const ColorCase& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ParseColor(c.text), c.color);
    }
}

TEST(ParseColor, RedIsAddedWholeGreenAndBlueKeepTheirLowByte) {
    const ColorCase cases[] = {
        {"8421376", 0x808000},  // one number is the whole colour
        {"300,0,0", 0x00012C},  // red excess carries into green
        {"0,300,0", 0x002C00},  // green cut to 44
        {"0,0,300", 0x2C0000},
        {"0,256,0", 0x000000},
        {"0,0,256", 0x000000},
        {"0,0,511", 0xFF0000},
        {"0,-1,0", 0x00FF00},
        {"0,0,-1", 0xFF0000},
        {"-1", 0xFFFFFFFF},
        {"-1,0,0", 0xFFFFFFFF},
        {"16777215,255,255", 0x01FFFEFF},
        {"4294967295,1,0", 0x000000FF},  // 32-bit sum wraps
        {"4294967296", 0x00000000},      // the number itself wraps
        {"4294967551,4294967553", 0x000001FF},  // 255 and 257
    };
    for (const ColorCase& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ParseColor(c.text), c.color);
    }
}

TEST(ParseColor, FieldsFollowTheCommasMalformedPartsReadZero) {
    const ColorCase cases[] = {
        {"1,2,3,4", 0x030201},
        {",5", 0x000500},
        {",,7", 0x070000},
        {"12abc,34", 0x00220C},
        {"a,b,c", 0x000000},
        {"1,,3", 0x030001},
        {"1,2,", 0x000201},
        {",", 0x000000},
        {"red,green", 0x000000},
        {"0.5,1.5,2.5", 0x020100},
    };
    for (const ColorCase& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ParseColor(c.text), c.color);
    }
}

// ---------------------------------------------------------------------------
// ParsePosition

TEST(ParsePosition, WritesBothCoordinatesInEveryCase) {
    struct Case {
        const char* text;
        int32_t x, y;
    };
    const Case cases[] = {
        {"15", 15, 0},
        {"15,-4", 15, -4},
        {",7", 0, 7},
        {"1,2,3", 1, 2},
        {"", 0, 0},
        {"abc", 0, 0},
        {"x,y", 0, 0},
        {"5,", 5, 0},
        {"a,5", 0, 5},
        {" 100 , 200 ", 100, 200},
        {"-5,-6", -5, -6},
        {"2147483648,1", kMin, 1},
        {"1,4294967297", 1, 1},
        {"12px,34px", 12, 34},
    };
    const int32_t previous[] = {0, 99, -1};
    for (const Case& c : cases) {
        for (int32_t before : previous) {
            SCOPED_TRACE(std::string(c.text) + " over " + std::to_string(before));
            int32_t x = before;
            int32_t y = before;
            ParsePosition(c.text, &x, &y);
            EXPECT_EQ(x, c.x);
            EXPECT_EQ(y, c.y);
        }
    }
}

// ---------------------------------------------------------------------------
// Button text

struct ButtonTextCase {
    const char* name;
    std::string value;
    std::string text;
};

// Runs the processing with an output buffer of exactly length + 1 bytes on
// the heap, as the loader allocates it, so an overrun is caught.
std::string ProcessText(const std::string& value) {
    const size_t length = value.size();
    std::unique_ptr<char[]> out(new char[length + 1]);
    std::memset(out.get(), 'X', length + 1);
    const size_t written = ProcessButtonText(value.data(), length, out.get());
    EXPECT_LE(written, length);
    if (written > length) return std::string();
    EXPECT_EQ(out[written], '\0');
    return std::string(out.get(), written);
}

TEST(ButtonText, QuotesAtEitherEndAreDroppedIndependently) {
    const ButtonTextCase cases[] = {
        {"enclosed in quotes", "\"Install\"", "Install"},
        {"quote at the start only", "\"Install", "Install"},
        {"quote at the end only", "Install\"", "Install"},
        {"quoted last word loses only its closing quote", "Run \"setup\"", "Run \"setup"},
        {"quoted first word loses only its opening quote", "\"Run\" setup", "Run\" setup"},
        {"single quote gives an empty text", "\"", ""},
        {"two quotes give an empty text", "\"\"", ""},
        {"three quotes leave one", "\"\"\"", "\""},
        {"inner quotes stay", "\"a\"b\"", "a\"b"},
        {"blank before the closing quote stays", "\" ab \"", " ab "},
        {"no quotes", "Install", "Install"},
        {"single character", "x", "x"},
        {"single blank", " ", " "},
    };
    for (const ButtonTextCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ProcessText(c.value), c.text);
    }
}

TEST(ButtonText, BackslashEscapes) {
    const ButtonTextCase cases[] = {
        {"backslash n is a line break", "a\\nb", "a\r\nb"},
        {"backslash N is a line break", "a\\Nb", "a\r\nb"},
        {"a path is broken at backslash n", "C:\\new", "C:\r\new"},
        {"two backslashes stay two", "a\\\\b", "a\\\\b"},
        {"two backslashes and n stay three characters", "a\\\\n", "a\\\\n"},
        {"three backslashes and n: a pair, then a break", "a\\\\\\n", "a\\\\\r\n"},
        {"four backslashes and n stay", "\\\\\\\\n", "\\\\\\\\n"},
        {"backslash at the very end stays", "end\\", "end\\"},
        {"lone backslash", "\\", "\\"},
        {"backslash before another letter stays", "\\x\\t", "\\x\\t"},
        {"backslash before a blank stays", "a\\ n", "a\\ n"},
        {"consecutive breaks", "\\n\\N", "\r\n\r\n"},
        {"only a break", "\\n", "\r\n"},
        {"break at the start", "\\nx", "\r\nx"},
        {"the n after a break is text", "\\nn", "\r\nn"},
        {"a single backslash before a pair", "\\\\\\", "\\\\\\"},
        {"existing line breaks are kept", "a\r\nb", "a\r\nb"},
    };
    for (const ButtonTextCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ProcessText(c.value), c.text);
    }
}

TEST(ButtonText, QuotesAndEscapesTogether) {
    const ButtonTextCase cases[] = {
        {"break inside quotes", "\"one\\ntwo\"", "one\r\ntwo"},
        {"backslash left before a dropped closing quote", "\"a\\\"", "a\\"},
        {"backslash and dropped quote without opening quote", "x\\\"", "x\\"},
        {"break right after the opening quote", "\"\\nx", "\r\nx"},
        {"quote between backslash and n is not an escape", "\\\"n", "\\\"n"},
    };
    for (const ButtonTextCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ProcessText(c.value), c.text);
    }
}

TEST(ButtonText, LengthIsTheValueLessItsDroppedQuotes) {
    struct Case {
        std::string value;
        size_t length;
    };
    const Case cases[] = {
        {"\"", 0}, {"\"\"", 0}, {"a", 1}, {"\"a", 1}, {"a\"", 1}, {"\"a\"", 1},
        {"\\n", 2}, {"\"\\n\"", 2}, {std::string(4094, 'w'), 4094}, {"\"" + std::string(4092, '\\') + "\"", 4092},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value.substr(0, 8));
        EXPECT_EQ(ProcessText(c.value).size(), c.length);
    }
}

// ---------------------------------------------------------------------------
// Program-relative path

struct ComposeResult {
    bool ok;
    std::string path;
};

ComposeResult Compose(std::string_view dir, std::string_view value, size_t capacity = 516) {
    std::unique_ptr<char[]> out(new char[capacity]);
    std::memset(out.get(), 'X', capacity);
    const bool ok = ComposePath(out.get(), capacity, dir, value);
    const void* end = std::memchr(out.get(), '\0', capacity);
    EXPECT_NE(end, nullptr) << "result not terminated inside its buffer";
    return {ok, end ? std::string(out.get()) : std::string()};
}

TEST(ProgramRelativePath, DirectoryFollowedDirectlyByTheValue) {
    struct Case {
        const char* name;
        const char* dir;
        const char* value;
        const char* path;
    };
    const Case cases[] = {
        {"plain file name", "C:\\Setup\\", "splash.bmp", "C:\\Setup\\splash.bmp"},
        {"subfolder", "C:\\Setup\\", "art\\splash.bmp", "C:\\Setup\\art\\splash.bmp"},
        {"absolute path still gets the directory", "C:\\Setup\\", "D:\\x.bmp", "C:\\Setup\\D:\\x.bmp"},
        {"leading backslash is not merged", "C:\\Setup\\", "\\x.exe", "C:\\Setup\\\\x.exe"},
        {"parent folder stays as written", "C:\\Setup\\", "..\\tools\\x.exe", "C:\\Setup\\..\\tools\\x.exe"},
        {"blanks and quotes stay", "C:\\Setup\\", "\"my setup.exe\" ", "C:\\Setup\\\"my setup.exe\" "},
        {"empty value", "C:\\Setup\\", "", "C:\\Setup\\"},
        {"empty directory", "", "setup.exe", "setup.exe"},
        {"both empty", "", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ComposeResult r = Compose(c.dir, c.value);
        EXPECT_TRUE(r.ok);
        EXPECT_EQ(r.path, c.path);
    }
}

TEST(ProgramRelativePath, UpTo515CharactersFitLongerIsRefusedNeverCut) {
    struct Case {
        const char* name;
        size_t dirLength, valueLength, capacity;
        bool fits;
    };
    const Case cases[] = {
        {"515 characters", 100, 415, 516, true},
        {"516 characters", 100, 416, 516, false},
        {"directory alone 515", 515, 0, 516, true},
        {"directory 515 and one more", 515, 1, 516, false},
        {"directory alone 516", 516, 0, 516, false},
        {"value alone 515", 0, 515, 516, true},
        {"value alone 516", 0, 516, 516, false},
        {"value of 4094 characters", 20, 4094, 516, false},
        {"one-byte buffer, nothing to write", 0, 0, 1, true},
        {"one-byte buffer, one character", 1, 0, 1, false},
        {"small buffer, exact", 3, 4, 8, true},
        {"small buffer, one short", 3, 5, 8, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string dir(c.dirLength, 'd');
        const std::string value(c.valueLength, 'v');
        const ComposeResult r = Compose(dir, value, c.capacity);
        EXPECT_EQ(r.ok, c.fits);
        EXPECT_EQ(r.path, c.fits ? dir + value : std::string());
    }
}

TEST(ProgramRelativePath, ZeroCapacityWritesNothing) {
    char guard = 'G';
    EXPECT_FALSE(ComposePath(&guard, 0, "", ""));
    EXPECT_EQ(guard, 'G');
}

}  // namespace
