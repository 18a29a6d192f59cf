// Fuzz target: numbers, colours, positions and comparison without case.
//
// Properties, for any text:
//  - every reading gives the same result twice;
//  - white space in front of a number changes nothing; a text without digits
//    reads 0; a '-' in front of digits negates (wrapping), a '+' or a leading
//    zero changes nothing; one more digit multiplies by ten and adds it;
//  - the colour without a comma is the first number; otherwise it differs from
//    the first number only in its green and blue bytes (they add 8 bits each),
//    and its green byte, less the red number, is the position's second number;
//  - the position's first number is the text's first number, its second 0
//    without a comma, and both destinations are written whatever they held;
//  - "r,g,b" with r, g, b from 0 to 255, however it is spaced or signed, gives
//    r | g << 8 | b << 16; "x,y" printed from any two integers reads back;
//    any 32-bit number printed alone is the whole colour;
//  - comparison without case is reflexive and symmetric, holds between a text
//    and its A-Z upper- or lower-cased copy, and fails on any other change.
#include <fuzzer/FuzzedDataProvider.h>

#include <cinttypes>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "config/text_rules.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

using namespace setupmenu;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

std::string MapLetters(std::string s, bool upper) {
    for (char& c : s) {
        if (upper && c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
        if (!upper && c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    }
    return s;
}

void CheckNumber(const std::string& text) {
    const char* t = text.c_str();
    const int32_t n = ReadNumber(t);
    FUZZ_CHECK(ReadNumber(t) == n);
    FUZZ_CHECK(ReadNumber((" \t\n\v\f\r" + text).c_str()) == n);

    bool anyDigit = false;
    for (char c : text) anyDigit |= IsDigit(c);
    if (!anyDigit) FUZZ_CHECK(n == 0);

    if (!text.empty() && IsDigit(text[0])) {
        const uint32_t negated = 0u - static_cast<uint32_t>(n);
        FUZZ_CHECK(ReadNumber(("-" + text).c_str()) == static_cast<int32_t>(negated));
        FUZZ_CHECK(ReadNumber(("+" + text).c_str()) == n);
        FUZZ_CHECK(ReadNumber(("0" + text).c_str()) == n);
        FUZZ_CHECK(ReadNumber(("--" + text).c_str()) == 0);
    }

    // The leading digits alone, then with one more digit.
    size_t digits = 0;
    while (digits < text.size() && IsDigit(text[digits])) ++digits;
    const std::string number = text.substr(0, digits);
    const int32_t value = ReadNumber(number.c_str());
    if (digits > 0) FUZZ_CHECK(value == n);
    const uint32_t next = static_cast<uint32_t>(value) * 10u + 7u;
    FUZZ_CHECK(ReadNumber((number + "7").c_str()) == static_cast<int32_t>(next));
}

void CheckColorAndPosition(const std::string& text) {
    const char* t = text.c_str();
    const uint32_t color = ParseColor(t);
    FUZZ_CHECK(ParseColor(t) == color);
    const uint32_t red = static_cast<uint32_t>(ReadNumber(t));

    int32_t x1 = 12345, y1 = -12345, x2 = -7, y2 = 7;
    ParsePosition(t, &x1, &y1);
    ParsePosition(t, &x2, &y2);
    FUZZ_CHECK(x1 == x2 && y1 == y2);  // written in every case
    FUZZ_CHECK(x1 == ReadNumber(t));

    const char* comma = std::strchr(t, ',');
    if (comma == nullptr) {
        FUZZ_CHECK(color == red);
        FUZZ_CHECK(y1 == 0);
    } else {
        FUZZ_CHECK(y1 == ReadNumber(comma + 1));
        const uint32_t added = color - red;  // green and blue, 8 bits each
        FUZZ_CHECK((added & 0xFF0000FFu) == 0);
        FUZZ_CHECK(((added >> 8) & 0xFFu) == (static_cast<uint32_t>(y1) & 0xFFu));
        if (std::strchr(comma + 1, ',') == nullptr) FUZZ_CHECK((added >> 16) == 0);
    }
}

void CheckPrintedValues(FuzzedDataProvider& fdp) {
    const unsigned r = fdp.ConsumeIntegral<uint8_t>();
    const unsigned g = fdp.ConsumeIntegral<uint8_t>();
    const unsigned b = fdp.ConsumeIntegral<uint8_t>();
    static const char* const kSpacing[] = {"", " ", "\t", "  +", " +", "+", "\r\n", "00"};
    const char* s1 = kSpacing[fdp.ConsumeIntegralInRange<size_t>(0, 7)];
    const char* s2 = kSpacing[fdp.ConsumeIntegralInRange<size_t>(0, 7)];
    const char* s3 = kSpacing[fdp.ConsumeIntegralInRange<size_t>(0, 7)];
    char text[128];
    std::snprintf(text, sizeof text, "%s%u,%s%u,%s%u", s1, r, s2, g, s3, b);
    FUZZ_CHECK(ParseColor(text) == (r | g << 8 | b << 16));
    std::snprintf(text, sizeof text, "%u,%u", r, g);
    FUZZ_CHECK(ParseColor(text) == (r | g << 8));

    const uint32_t whole = fdp.ConsumeIntegral<uint32_t>();
    std::snprintf(text, sizeof text, "%" PRIu32, whole);
    FUZZ_CHECK(ParseColor(text) == whole);
    std::snprintf(text, sizeof text, "%" PRId32, static_cast<int32_t>(whole));
    FUZZ_CHECK(ParseColor(text) == whole);

    // A sign of its own would stand beside the printed one: blanks only here.
    static const char* const kBlanks[] = {"", " ", "\t", "\r\n"};
    const char* b1 = kBlanks[fdp.ConsumeIntegralInRange<size_t>(0, 3)];
    const char* b2 = kBlanks[fdp.ConsumeIntegralInRange<size_t>(0, 3)];
    const int32_t x = fdp.ConsumeIntegral<int32_t>();
    const int32_t y = fdp.ConsumeIntegral<int32_t>();
    std::snprintf(text, sizeof text, "%s%" PRId32 ",%s%" PRId32 ",99", b1, x, b2, y);
    int32_t px = 1, py = 1;
    ParsePosition(text, &px, &py);
    FUZZ_CHECK(px == x && py == y);
}

void CheckEqualsNoCase(const std::string& a, const std::string& b) {
    FUZZ_CHECK(EqualsNoCase(a, a));
    FUZZ_CHECK(EqualsNoCase(a, b) == EqualsNoCase(b, a));
    FUZZ_CHECK(EqualsNoCase(a, MapLetters(a, true)));
    FUZZ_CHECK(EqualsNoCase(a, MapLetters(a, false)));
    FUZZ_CHECK(EqualsNoCase(a, b) == (MapLetters(a, false) == MapLetters(b, false)));
    FUZZ_CHECK(!EqualsNoCase(a, a + "x"));
    FUZZ_CHECK(EqualsNoCase(kAbsentSentinel, a) == (MapLetters(a, true) == "*NOT*"));
    if (!a.empty()) {
        // Any change of one byte other than the case of a letter is seen.
        for (size_t i = 0; i < a.size(); i += 1 + a.size() / 8) {
            std::string changed = a;
            changed[i] = static_cast<char>(changed[i] ^ 0x20);
            const bool caseOnly = IsAsciiLetter(a[i]);
            FUZZ_CHECK(EqualsNoCase(a, changed) == caseOnly);
            changed[i] = static_cast<char>(a[i] + 1);
            FUZZ_CHECK(!EqualsNoCase(a, changed));
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Values come from the profile reader as zero-terminated texts.
    const char* raw = reinterpret_cast<const char*>(data);
    const std::string text(raw, strnlen(raw, size));
    CheckNumber(text);
    CheckColorAndPosition(text);

    FuzzedDataProvider fdp(data, size);
    CheckPrintedValues(fdp);
    const std::string a = fdp.ConsumeRandomLengthString(32);
    const std::string b = fdp.ConsumeRemainingBytesAsString();
    CheckEqualsNoCase(a, b);
    return 0;
}
