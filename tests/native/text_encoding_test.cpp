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
        size_t firstNonUtf8;
    } cases[] = {
        {"", E::Ansi, 0},
        {"[Version]\r\nRelease=1\r\n", E::Ansi, 22},                   // ASCII alone stays as it was
        {"Title=Espa\xC3\xB1ol", E::Utf8, 14},                         // Notepad's default
        {"\xEF\xBB\xBF[Version]", E::Utf8Mark, 12},                    // with its mark
        {"\xEF\xBB\xBFTitle=Espa\xF1ol", E::Utf8Mark, 13},             // the mark decides
        {std::string("\xFF\xFE[\0", 4), E::Utf16Le, 0},
        {"\xFE\xFF", E::Ansi, 0},                                      // big-endian: not read as UTF-16
        {"Title=Espa\xF1ol", E::Ansi, 10},                             // cp1252
        {"Title=\x82\xB1\x82\xF1", E::Ansi, 6},                        // Shift-JIS
        {"\xCE\x95 \xE6\x97\xA5 \xF0\x9F\x98\x80", E::Utf8, 11},       // Greek, Japanese, U+1F600
        {"\xC0\xAF", E::Ansi, 0},                                      // overlong '/'
        {"\xC1\xBF", E::Ansi, 0},
        {"\xE0\x9F\xBF", E::Ansi, 0},                                  // overlong three bytes
        {"\xE0\xA0\x80", E::Utf8, 3},
        {"\xEF\xBB\xBE", E::Utf8, 3},                                  // not the mark
        {"\xED\xA0\x80", E::Ansi, 0},                                  // a surrogate
        {"\xED\x9F\xBF", E::Utf8, 3},
        {"\xF0\x8F\xBF\xBF", E::Ansi, 0},                              // overlong four bytes
        {"\xF4\x8F\xBF\xBF", E::Utf8, 4},                              // U+10FFFF
        {"\xF4\x90\x80\x80", E::Ansi, 0},                              // above it
        {"\xF5\x80\x80\x80", E::Ansi, 0},
        {"a\xC3", E::Ansi, 1},                                         // cut at the end
        {"\xC3\xA9\xE6\x97", E::Ansi, 2},
        {"\xC3\xA9\x80", E::Ansi, 2},                                  // a stray continuation byte
        {"\xC4\xE3\xBA\xC3", E::Ansi, 0},                              // GBK "nihao"
        {"\xC3\xA9", E::Utf8, 2},                                      // also GBK: UTF-8 wins
    };
    for (const auto& c : cases) {
        const auto* bytes = reinterpret_cast<const uint8_t*>(c.bytes.data());
        EXPECT_EQ(TellEncoding(bytes, c.bytes.size()), c.expected) << c.bytes;
        EXPECT_EQ(FirstNonUtf8(bytes, c.bytes.size()), c.firstNonUtf8) << c.bytes;
    }
}

}  // namespace
}  // namespace setupmenu
