// Fuzz target: the debug log line written when a hover ends.
//
// Properties, for any handle and buffer size:
//  - nothing is written outside the buffer;
//  - the line fits exactly when the buffer holds the fixed text, the digits,
//    the blank and the terminator; then it is that fixed text, the handle in
//    lower-case hexadecimal as the C library prints it (no prefix, no leading
//    zeros), and one blank; the digits read back as the handle;
//  - a line that does not fit is refused and leaves an empty text, never a cut
//    one; a buffer of no bytes is not touched at all.
#include <fuzzer/FuzzedDataProvider.h>

#include <cinttypes>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "diag/log_line.h"
#include "tests/fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider fdp(data, size);
    const size_t capacity = fdp.ConsumeIntegralInRange<size_t>(0, 80);
    const uintptr_t handle = fdp.ConsumeIntegral<uintptr_t>();

    char reference[96];
    std::snprintf(reference, sizeof reference, "VaskTrackMouseTimerProc: SendMessage: %" PRIxPTR " ", handle);
    const std::string expected(reference);

    // Exactly `capacity` bytes on the heap: any access beyond is caught.
    std::unique_ptr<char[]> out(new char[capacity]);
    std::memset(out.get(), 'X', capacity);
    const bool ok = setupmenu::FormatLeaveLine(out.get(), capacity, handle);

    FUZZ_CHECK(ok == (expected.size() < capacity));
    if (ok) {
        FUZZ_CHECK(std::memchr(out.get(), '\0', capacity) != nullptr);
        const std::string line(out.get());
        FUZZ_CHECK(line == expected);
        const std::string digits = line.substr(38, line.size() - 39);
        FUZZ_CHECK(!digits.empty() && (digits == "0" || digits[0] != '0'));
        for (char c : digits) FUZZ_CHECK((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'));
        FUZZ_CHECK(std::strtoull(digits.c_str(), nullptr, 16) == handle);
    } else if (capacity > 0) {
        FUZZ_CHECK(out[0] == '\0');
    }
    return 0;
}
