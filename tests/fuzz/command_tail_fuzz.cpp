// Fuzz target: cutting the command tail off a command line.
//
// Properties:
//  - the tail points into the line, at its end or at a byte above 0x20;
//  - for a line without an opening quote, everything before the tail is a run
//    of bytes above 0x20 followed by a run of bytes from 0x01 to 0x20;
//  - with no double-byte code page, a quoted name ends at the next quote;
//  - a line put together from a name, separators and a tail gives back
//    exactly that tail, quoted (with double-byte characters whose trail byte
//    may be a quote) or not;
//  - a non-empty tail starts at the same place when more bytes are appended;
//  - the double-byte rule changes nothing when the quoted name holds no lead byte.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "startup/command_tail.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

using setupmenu::CutCommandTail;
using setupmenu::LeadBytePredicate;

bool NoLeadBytes(unsigned char) { return false; }
bool FakeLeadBytes(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

bool IsSeparator(unsigned char b) { return b >= 0x01 && b <= 0x20; }

// Cuts a heap copy of exactly the line's size; returns the tail's offset.
size_t TailOffset(const std::string& line, LeadBytePredicate isLead) {
    const size_t size = line.size() + 1;
    std::unique_ptr<char[]> copy(new char[size]);
    std::memcpy(copy.get(), line.c_str(), size);
    const char* tail = CutCommandTail(copy.get(), isLead);
    FUZZ_CHECK(tail >= copy.get());
    FUZZ_CHECK(tail <= copy.get() + line.size());
    FUZZ_CHECK(*tail == '\0' || static_cast<unsigned char>(*tail) > 0x20);
    return static_cast<size_t>(tail - copy.get());
}

void CheckRawLine(const std::string& line) {
    const size_t plain = TailOffset(line, NoLeadBytes);
    const size_t dbcs = TailOffset(line, FakeLeadBytes);

    if (line.empty() || line[0] != '"') {
        // The name ends at the first byte up to 0x20; separators follow.
        size_t nameEnd = 0;
        while (nameEnd < line.size() && !IsSeparator(static_cast<unsigned char>(line[nameEnd]))) ++nameEnd;
        FUZZ_CHECK(plain >= nameEnd);
        for (size_t i = nameEnd; i < plain; ++i) FUZZ_CHECK(IsSeparator(static_cast<unsigned char>(line[i])));
        FUZZ_CHECK(dbcs == plain);  // lead bytes matter only inside quotes
    } else {
        const size_t close = line.find('"', 1);
        if (close == std::string::npos) {
            FUZZ_CHECK(plain == line.size());
        } else {
            FUZZ_CHECK(plain >= close + 1);
            for (size_t i = close + 1; i < plain; ++i) FUZZ_CHECK(IsSeparator(static_cast<unsigned char>(line[i])));
        }
        bool leadInName = false;
        const size_t nameEnd = close == std::string::npos ? line.size() : close;
        for (size_t i = 1; i < nameEnd; ++i) leadInName |= FakeLeadBytes(static_cast<unsigned char>(line[i]));
        if (!leadInName) FUZZ_CHECK(dbcs == plain);
    }

    // A tail, once found, does not move when more text follows it.
    static const std::string kMore = "\" \x81\"z\t";
    if (plain < line.size()) FUZZ_CHECK(TailOffset(line + kMore, NoLeadBytes) == plain);
    if (dbcs < line.size()) FUZZ_CHECK(TailOffset(line + kMore, FakeLeadBytes) == dbcs);
}

std::string MakeSeparators(FuzzedDataProvider& fdp, size_t count) {
    static const char kSeparators[] = {' ', '\t', '\x01', '\x1F', '\n', '\r', ' '};
    std::string s;
    for (size_t i = 0; i < count; ++i) s += kSeparators[fdp.ConsumeIntegralInRange<size_t>(0, sizeof kSeparators - 1)];
    return s;
}

std::string MakeTail(std::string tail) {
    for (char& c : tail)
        if (c == '\0') c = 'z';
    if (!tail.empty() && static_cast<unsigned char>(tail[0]) <= 0x20) tail[0] = 'T';
    return tail;
}

void CheckRoundTrips(FuzzedDataProvider& fdp) {
    const size_t separatorCount = fdp.ConsumeIntegralInRange<size_t>(0, 4);
    std::string separators = MakeSeparators(fdp, separatorCount);
    std::string name = fdp.ConsumeRandomLengthString(80);
    const std::string tail = MakeTail(fdp.ConsumeRemainingBytesAsString());

    // Quoted name in a double-byte code page: whole characters, where a
    // trail byte may be a quote but a single-byte character may not.
    std::string quoted;
    for (size_t i = 0; i < name.size(); ++i) {
        const unsigned char b = static_cast<unsigned char>(name[i]);
        if (FakeLeadBytes(b) && i + 1 < name.size() && name[i + 1] != '\0') {
            quoted += name[i];
            quoted += name[++i];
        } else if (FakeLeadBytes(b) || b == '"' || b == '\0') {
            quoted += 'q';
        } else {
            quoted += name[i];
        }
    }
    const std::string dbcsLine = "\"" + quoted + "\"" + separators + tail;
    FUZZ_CHECK(TailOffset(dbcsLine, FakeLeadBytes) == quoted.size() + 2 + separators.size());

    // Quoted name without a double-byte code page: any byte but a quote.
    std::string plainQuoted = name;
    for (char& c : plainQuoted)
        if (c == '"' || c == '\0') c = 'q';
    const std::string plainLine = "\"" + plainQuoted + "\"" + separators + tail;
    FUZZ_CHECK(TailOffset(plainLine, NoLeadBytes) == plainQuoted.size() + 2 + separators.size());

    // Unquoted name: bytes above 0x20, not starting with a quote, then at
    // least one separator before a non-empty tail.
    std::string bare = name;
    for (char& c : bare)
        if (static_cast<unsigned char>(c) <= 0x20) c = 'u';
    if (bare.empty() || bare[0] == '"') bare.insert(bare.begin(), 'S');
    if (separators.empty() && !tail.empty()) separators = " ";
    const std::string bareLine = bare + separators + tail;
    const size_t expected = bare.size() + separators.size();
    FUZZ_CHECK(TailOffset(bareLine, NoLeadBytes) == expected);
    FUZZ_CHECK(TailOffset(bareLine, FakeLeadBytes) == expected);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A command line holds no zero byte: the raw line ends at the first one.
    const char* text = reinterpret_cast<const char*>(data);
    CheckRawLine(std::string(text, strnlen(text, size)));

    FuzzedDataProvider fdp(data, size);
    CheckRoundTrips(fdp);
    return 0;
}
