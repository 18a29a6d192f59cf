// Telling a configuration file's encoding from its bytes.
#include "config/text_encoding.h"

#include <gtest/gtest.h>

#include <string>

namespace setupmenu {
namespace {

TEST(TellEncoding, MarksFirstThenWellFormedUtf8WithOneSequenceOrElseAnsi) {
    using E = TextEncoding;
    const struct {
        std::string bytes;
        E expected;
    } cases[] = {
        {"", E::Ansi},
        {"[Version]\r\nRelease=1\r\n", E::Ansi},                    // ASCII alone stays as it was
        {"Title=Espa\xC3\xB1ol", E::Utf8},                          // Notepad's default
        {"\xEF\xBB\xBF[Version]", E::Utf8Mark},                         // with its mark, ASCII after it
        {"\xEF\xBB\xBFTitle=Espa\xF1ol", E::Utf8Mark},                  // the mark decides
        {std::string("\xFF\xFE[\0", 4), E::Utf16Le},
        {"\xFE\xFF\0[", E::Ansi},                                   // big-endian: not read as UTF-16
        {"Title=Espa\xF1ol", E::Ansi},                              // cp1252
        {"Title=\x82\xB1\x82\xF1", E::Ansi},                        // Shift-JIS
        {"\xCE\x95\xCE\xBB \xE6\x97\xA5 \xF0\x9F\x98\x80", E::Utf8}, // Greek, Japanese, U+1F600
        {"\xC0\xAF", E::Ansi},                                      // overlong '/'
        {"\xC1\xBF", E::Ansi},
        {"\xE0\x9F\xBF", E::Ansi},                                  // overlong three bytes
        {"\xE0\xA0\x80", E::Utf8},
        {"\xEF\xBB\xBE", E::Utf8},                                      // U+FEFF's neighbour: no mark
        {"\xED\xA0\x80", E::Ansi},                                  // a surrogate
        {"\xED\x9F\xBF", E::Utf8},
        {"\xF0\x8F\xBF\xBF", E::Ansi},                              // overlong four bytes
        {"\xF4\x8F\xBF\xBF", E::Utf8},                              // U+10FFFF
        {"\xF4\x90\x80\x80", E::Ansi},                              // above it
        {"\xF5\x80\x80\x80", E::Ansi},
        {"a\xC3", E::Ansi},                                         // cut at the end
        {"\xE6\x97", E::Ansi},
        {"\xC3\xA9\x80", E::Ansi},                                  // a stray continuation byte
        {"\x8A\xBF", E::Ansi},                                      // GBK: starts with a continuation
        {"\xC4\xE3\xBA\xC3", E::Ansi},                              // GBK "nihao"
        {"\xC3\xA9", E::Utf8},                                      // also EUC-KR/GBK-able: UTF-8 wins
    };
    for (const auto& c : cases) {
        const auto* bytes = reinterpret_cast<const uint8_t*>(c.bytes.data());
        const E found = TellEncoding(bytes, c.bytes.size());
        EXPECT_EQ(found, c.expected) << c.bytes;
    }
}

TEST(FirstNonUtf8, NamesTheByteThatEndsWellFormedText) {
    const struct {
        std::string bytes;
        size_t offset;
    } cases[] = {
        {"", 0}, {"abc", 3}, {"Espa\xC3\xB1ol", 8}, {"Espa\xF1ol", 4}, {"\xC3\xB1\xE6\x97", 2},
        {"\xE6\x97\xA5\xED\xA0\x80", 3}, {"a\x80", 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FirstNonUtf8(reinterpret_cast<const uint8_t*>(c.bytes.data()), c.bytes.size()), c.offset) << c.bytes;
    }
}

}  // namespace
}  // namespace setupmenu
