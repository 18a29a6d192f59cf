// Fuzz target: quote removal and escape pass of a button's Text value.
//
// Properties, for any value of 1 to 4094 characters:
//  - nothing is read or written outside the value and the output buffer of
//    the value's length plus one;
//  - the output's length is the value's length less a closing quote and less
//    an opening quote (of what is left), and the output is terminated there;
//  - the escape pass keeps the length: each output byte equals the byte of the
//    quote-stripped value at the same place, except for pairs where a
//    backslash and n or N became carriage return and line feed;
//  - a backslash before n or N starts a break exactly when it is the first,
//    third, fifth... of its run of backslashes (the others are the second of
//    a pair); every backslash that disappears becomes such a break, and a
//    value without backslashes comes out exactly as stripped;
//  - no escape is left alive: the output, quoted again and processed again,
//    comes back unchanged;
//  - quotes at either end are dropped independently: v, "v, v" and "v" give
//    the same text when v neither starts nor ends with a quote.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "config/text_rules.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

constexpr size_t kLongestValue = 4094;

std::string Process(const std::string& value) {
    const size_t length = value.size();
    // The value and the output each in a heap block of exactly their size.
    std::unique_ptr<char[]> in(new char[length]);
    std::memcpy(in.get(), value.data(), length);
    std::unique_ptr<char[]> out(new char[length + 1]);
    std::memset(out.get(), 'X', length + 1);
    const size_t written = setupmenu::ProcessButtonText(in.get(), length, out.get());
    FUZZ_CHECK(written <= length);
    FUZZ_CHECK(out[written] == '\0');
    return std::string(out.get(), written);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    // The profile reader delivers no zero byte and at most 4094 characters.
    std::string value(reinterpret_cast<const char*>(data), size < kLongestValue ? size : kLongestValue);
    for (char& c : value)
        if (c == '\0') c = '\x01';

    const std::string out = Process(value);

    const bool closing = value.back() == '"';
    const bool opening = value.size() > (closing ? 1u : 0u) && value.front() == '"';
    FUZZ_CHECK(out.size() == value.size() - closing - opening);
    const std::string stripped = value.substr(opening, out.size());

    size_t pairs = 0;
    for (size_t i = 0; i < out.size(); ++i) {
        if (out[i] == stripped[i]) continue;
        // A changed byte starts a pair: backslash and n/N to CR and LF.
        FUZZ_CHECK(stripped[i] == '\\' && out[i] == '\r');
        FUZZ_CHECK(i + 1 < out.size());
        FUZZ_CHECK((stripped[i + 1] == 'n' || stripped[i + 1] == 'N') && out[i + 1] == '\n');
        ++pairs;
        ++i;
    }
    // Which backslash-n pairs are breaks: a backslash pairs with the one
    // before it, so only the odd-numbered backslash of a run starts an escape.
    size_t run = 0;
    for (size_t i = 0; i < out.size(); ++i) {
        run = stripped[i] == '\\' ? run + 1 : 0;
        if (run == 0 || i + 1 >= out.size()) continue;
        if (stripped[i + 1] != 'n' && stripped[i + 1] != 'N') continue;
        FUZZ_CHECK((out[i] == '\r') == (run % 2 == 1));
    }

    size_t backslashesIn = 0, backslashesOut = 0;
    for (char c : stripped) backslashesIn += c == '\\';
    for (char c : out) backslashesOut += c == '\\';
    FUZZ_CHECK(backslashesOut + pairs == backslashesIn);
    if (backslashesIn == 0) FUZZ_CHECK(out == stripped);

    // No escape left alive.
    if (out.size() + 2 <= kLongestValue) FUZZ_CHECK(Process("\"" + out + "\"") == out);

    // Quotes at either end, independently.
    if (!closing && !opening && value.size() + 2 <= kLongestValue) {
        FUZZ_CHECK(Process("\"" + value) == out);
        FUZZ_CHECK(Process(value + "\"") == out);
        FUZZ_CHECK(Process("\"" + value + "\"") == out);
    }
    return 0;
}
