// Cutting the configuration name (the command tail) off the full command line.
#include "startup/command_tail.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

namespace {

using setupmenu::CutCommandTail;
using setupmenu::LeadBytePredicate;

bool NoLeadBytes(unsigned char) { return false; }

// A stand-in for a double-byte code page: 0x81..0x9F and 0xE0..0xFC lead.
bool FakeLeadBytes(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

struct TailCase {
    const char* name;
    std::string line;
    LeadBytePredicate isLead;
    std::string tail;
};

// Runs the cut on a heap copy of exactly the line's size, so a read past the
// terminator is caught by the address sanitizer, and checks that the result
// points into that copy.
void ExpectTail(const TailCase& c) {
    SCOPED_TRACE(c.name);
    const size_t size = c.line.size() + 1;
    std::unique_ptr<char[]> copy(new char[size]);
    std::memcpy(copy.get(), c.line.c_str(), size);
    const char* tail = CutCommandTail(copy.get(), c.isLead);
    ASSERT_GE(tail, copy.get());
    ASSERT_LE(tail, copy.get() + std::strlen(copy.get()));
    EXPECT_EQ(std::string(tail), c.tail);
}

TEST(CommandTail, QuotedProgramNameEndsAtTheClosingQuote) {
    const TailCase cases[] = {
        {"blank in the quoted name", "\"C:\\Program Files\\Setup.exe\" menu", NoLeadBytes, "menu"},
        {"no blank needed after the closing quote", "\"C:\\Setup\\Setup.exe\"menu", NoLeadBytes, "menu"},
        {"tab inside the quotes belongs to the name", "\"C:\\a\tb\\Setup.exe\" menu", NoLeadBytes, "menu"},
        {"unclosed quote takes the whole line", "\"C:\\Setup\\Setup.exe menu", NoLeadBytes, ""},
        {"empty quoted name", "\"\" menu", NoLeadBytes, "menu"},
        {"a lone quote", "\"", NoLeadBytes, ""},
        {"second quoted word is the tail, quotes kept", "\"Setup.exe\" \"my menu.ini\"", NoLeadBytes,
         "\"my menu.ini\""},
    };
    for (const TailCase& c : cases) ExpectTail(c);
}

TEST(CommandTail, LeadByteInsideQuotesTakesItsTrailByteAlong) {
    const TailCase cases[] = {
        {"trail byte with the value of a quote does not end the name", "\"C:\\\x81\"\\Setup.exe\" menu",
         FakeLeadBytes, "menu"},
        {"the same line without a double-byte code page ends at that quote", "\"C:\\\x81\"\\Setup.exe\" menu",
         NoLeadBytes, "\\Setup.exe\" menu"},
        {"lead byte followed by an ordinary trail byte", "\"C:\\\xE0\x41\\Setup.exe\" menu", FakeLeadBytes, "menu"},
        {"lead byte as the last byte of the line", "\"C:\\\x81", FakeLeadBytes, ""},
        {"lead byte just before the closing quote eats it", "\"Setup\x81\" menu", FakeLeadBytes, ""},
        {"non-lead high byte before the closing quote", "\"Setup\xA0\" menu", FakeLeadBytes, "menu"},
        {"lead bytes outside quotes are plain name bytes", "Set\x81 menu", FakeLeadBytes, "menu"},
    };
    for (const TailCase& c : cases) ExpectTail(c);
}

TEST(CommandTail, UnquotedNameEndsAtTheFirstControlByteOrBlank) {
    const TailCase cases[] = {
        {"blank", "Setup.exe menu", NoLeadBytes, "menu"},
        {"tab", "Setup.exe\tmenu", NoLeadBytes, "menu"},
        {"control byte 0x01", "Setup.exe\x01menu", NoLeadBytes, "menu"},
        {"control byte 0x1F", "Setup.exe\x1Fmenu", NoLeadBytes, "menu"},
        {"line feed", "Setup.exe\nmenu", NoLeadBytes, "menu"},
        {"a quote inside the name is a name byte", "Set\"up.exe menu", NoLeadBytes, "menu"},
        {"line that begins with a blank has an empty name", " menu", NoLeadBytes, "menu"},
        {"0x21 is a name byte", "Setup!menu x", NoLeadBytes, "x"},
    };
    for (const TailCase& c : cases) ExpectTail(c);
}

TEST(CommandTail, BytesFrom0x80BelongToTheName) {
    const TailCase cases[] = {
        {"accented letter", "C:\\Ma\xE9nu\\Setup.exe menu", NoLeadBytes, "menu"},
        {"no-break space 0xA0", "Setup\xA0x.exe menu", NoLeadBytes, "menu"},
        {"0x80", "Setup\x80.exe menu", NoLeadBytes, "menu"},
        {"0xFF", "Setup\xFF.exe menu", NoLeadBytes, "menu"},
        {"high bytes only", "\x80\xFF\xA0", NoLeadBytes, ""},
    };
    for (const TailCase& c : cases) ExpectTail(c);
}

TEST(CommandTail, BlanksAndControlBytesAfterTheNameAreSkipped) {
    const TailCase cases[] = {
        {"several blanks", "Setup.exe    menu", NoLeadBytes, "menu"},
        {"blanks and tabs mixed", "Setup.exe \t \t menu", NoLeadBytes, "menu"},
        {"every control byte from 0x01 to 0x20",
         std::string("Setup.exe ") + "\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A\x0B\x0C\x0D\x0E\x0F\x10"
                                     "\x11\x12\x13\x14\x15\x16\x17\x18\x19\x1A\x1B\x1C\x1D\x1E\x1F\x20" +
             "menu",
         NoLeadBytes, "menu"},
        {"after a quoted name", "\"Setup.exe\" \t menu", NoLeadBytes, "menu"},
        {"0x21 stops the skipping", "Setup.exe  !menu", NoLeadBytes, "!menu"},
        {"0x7F stops the skipping", "Setup.exe \x7Fmenu", NoLeadBytes, "\x7Fmenu"},
        {"0x80 stops the skipping", "Setup.exe \x80menu", NoLeadBytes, "\x80menu"},
    };
    for (const TailCase& c : cases) ExpectTail(c);
}

TEST(CommandTail, EmptyTail) {
    const TailCase cases[] = {
        {"empty line", "", NoLeadBytes, ""},
        {"name only", "Setup.exe", NoLeadBytes, ""},
        {"name and blanks", "Setup.exe   ", NoLeadBytes, ""},
        {"name and tabs", "Setup.exe\t\t", NoLeadBytes, ""},
        {"quoted name only", "\"C:\\Setup\\Setup.exe\"", NoLeadBytes, ""},
        {"quoted name and blanks", "\"C:\\Setup\\Setup.exe\"  ", NoLeadBytes, ""},
        {"blanks only", "   ", NoLeadBytes, ""},
    };
    for (const TailCase& c : cases) ExpectTail(c);
}

TEST(CommandTail, TailIsOneStringKeptAsWritten) {
    const TailCase cases[] = {
        {"quotes in the tail stay", "Setup.exe \"menu.ini\"", NoLeadBytes, "\"menu.ini\""},
        {"an unbalanced quote stays", "Setup.exe menu\"", NoLeadBytes, "menu\""},
        {"blanks inside are not split", "Setup.exe one two  three", NoLeadBytes, "one two  three"},
        {"trailing blanks are kept here", "Setup.exe menu  ", NoLeadBytes, "menu  "},
        {"tabs inside are kept", "Setup.exe a\tb", NoLeadBytes, "a\tb"},
        {"backslashes stay", "Setup.exe ..\\cfg\\menu", NoLeadBytes, "..\\cfg\\menu"},
        {"escaped-looking quote stays", "\"Setup.exe\" a\\\"b", NoLeadBytes, "a\\\"b"},
    };
    for (const TailCase& c : cases) ExpectTail(c);
}

}  // namespace
