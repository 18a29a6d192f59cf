// Fuzz target: building the configuration file's path from the program
// directory, the base name and the command tail.
//
// Properties:
//  - nothing is written outside the buffer, and the result is terminated in it;
//  - the result is either refused (false, empty text) or the full path, the
//    same as with an ample buffer: a path is never cut; it is refused exactly
//    when the full path would not fit;
//  - the full path is the directory followed by the base name and ".INI"
//    (empty tail) or by the tail without its trailing blanks, with ".INI"
//    added when that tail has no '.', never added when it has a '.' and no
//    backslash, added when a backslash follows its last '.';
//  - building again with the result's own relative part as the tail gives the
//    same path (an added ".INI" is an extension, so it is not added twice);
//  - more trailing blanks on a non-empty tail change nothing; a trailing tab
//    stays in the name.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "startup/program_paths.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

using setupmenu::BuildConfigPath;

constexpr size_t kProgramCapacity = 516;

struct Result {
    bool ok;
    std::string path;
};

Result Build(size_t capacity, const std::string& dir, const std::string& exe, const std::string& tail) {
    // Exactly `capacity` bytes on the heap: any access beyond is caught.
    std::unique_ptr<char[]> out(new char[capacity]);
    std::memset(out.get(), 'X', capacity);
    const bool ok = BuildConfigPath(out.get(), capacity, dir, exe, tail);
    if (capacity == 0) {
        FUZZ_CHECK(!ok);
        return {false, std::string()};
    }
    const void* end = std::memchr(out.get(), '\0', capacity);
    FUZZ_CHECK(end != nullptr);
    const std::string path(out.get());
    if (!ok) FUZZ_CHECK(path.empty());
    return {ok, path};
}

// Texts handed over by the platform never hold a zero byte.
std::string NoZeros(std::string s) {
    for (char& c : s)
        if (c == '\0') c = '0';
    return s;
}

bool EndsWith(const std::string& s, const std::string& end) {
    return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider fdp(data, size);
    const bool programCapacity = fdp.ConsumeBool();
    const size_t capacity = programCapacity ? kProgramCapacity : fdp.ConsumeIntegralInRange<size_t>(0, 700);
    const size_t padding = fdp.ConsumeIntegralInRange<size_t>(0, 600);  // reach the limits with short inputs
    const size_t trailingBlanks = fdp.ConsumeIntegralInRange<size_t>(0, 3);
    std::string dir = NoZeros(fdp.ConsumeRandomLengthString(64));
    dir.insert(0, padding, 'd');
    const std::string exe = NoZeros(fdp.ConsumeRandomLengthString(64));
    const std::string tail = NoZeros(fdp.ConsumeRemainingBytesAsString()) + std::string(trailingBlanks, ' ');

    // Room for every part and the extension: the full path always fits here.
    const size_t ampleCapacity = dir.size() + exe.size() + tail.size() + 16;
    const Result ample = Build(ampleCapacity, dir, exe, tail);
    FUZZ_CHECK(ample.ok);
    const Result sized = Build(capacity, dir, exe, tail);
    FUZZ_CHECK(sized.ok == (ample.path.size() < capacity));
    if (sized.ok) FUZZ_CHECK(sized.path == ample.path);

    // Shape of the full path.
    const std::string& path = ample.path;
    FUZZ_CHECK(path.compare(0, dir.size(), dir) == 0);
    const std::string relative = path.substr(dir.size());
    if (tail.empty()) {
        FUZZ_CHECK(relative == exe + ".INI");
    } else {
        std::string trimmed = tail;
        while (!trimmed.empty() && trimmed.back() == ' ') trimmed.pop_back();
        const bool added = relative == trimmed + ".INI";
        FUZZ_CHECK(added || relative == trimmed);
        const size_t lastDot = trimmed.rfind('.');
        if (lastDot == std::string::npos) FUZZ_CHECK(added);
        else if (trimmed.find('\\', lastDot) != std::string::npos) FUZZ_CHECK(added);
        else FUZZ_CHECK(!added);

        // Trailing blanks are not part of the name; a trailing tab is.
        FUZZ_CHECK(Build(ampleCapacity, dir, exe, tail + "  ").path == path);
        const std::string withTab = Build(ampleCapacity, dir, exe, tail + "\t").path.substr(dir.size());
        FUZZ_CHECK(withTab == tail + "\t" || withTab == tail + "\t.INI");
    }
    FUZZ_CHECK(!EndsWith(relative, " "));

    // The relative part is a finished name: used as a tail it comes back unchanged.
    FUZZ_CHECK(Build(ampleCapacity, dir, exe, relative).path == path);
    return 0;
}
