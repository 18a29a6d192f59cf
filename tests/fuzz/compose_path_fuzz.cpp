// Fuzz target: a program-relative path, the program directory followed by a
// configuration value.
//
// Properties:
//  - nothing is written outside the buffer;
//  - the path is accepted exactly when directory, value and terminator fit;
//  - an accepted path is the directory and then the value, byte for byte,
//    nothing inserted, dropped or interpreted, and terminated;
//  - a refused path leaves an empty text (never a cut one), and a buffer of
//    no bytes is not touched at all.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "config/text_rules.h"
#include "tests/fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider fdp(data, size);
    const size_t capacity = fdp.ConsumeBool() ? 516 : fdp.ConsumeIntegralInRange<size_t>(0, 700);
    const size_t padding = fdp.ConsumeIntegralInRange<size_t>(0, 600);
    std::string dir = fdp.ConsumeRandomLengthString(64);
    dir.insert(0, padding, 'd');
    const std::string value = fdp.ConsumeRemainingBytesAsString();

    // Exactly `capacity` bytes on the heap: any access beyond is caught.
    std::unique_ptr<char[]> out(new char[capacity]);
    std::memset(out.get(), 'X', capacity);
    const bool ok = setupmenu::ComposePath(out.get(), capacity, dir, value);

    const size_t length = dir.size() + value.size();
    FUZZ_CHECK(ok == (capacity > 0 && length < capacity));
    if (ok) {
        FUZZ_CHECK(std::memcmp(out.get(), dir.data(), dir.size()) == 0);
        FUZZ_CHECK(std::memcmp(out.get() + dir.size(), value.data(), value.size()) == 0);
        FUZZ_CHECK(out[length] == '\0');
    } else if (capacity > 0) {
        FUZZ_CHECK(out[0] == '\0');
    }
    return 0;
}
