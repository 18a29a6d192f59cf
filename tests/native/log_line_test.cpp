// The debug log line written when a hover ends.
#include "diag/log_line.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

namespace {

using setupmenu::FormatLeaveLine;

const std::string kPrefix = "VaskTrackMouseTimerProc: SendMessage: ";

struct Formatted {
    bool ok;
    std::string text;
};

// Formats into exactly `capacity` heap bytes, so a write past them is caught.
Formatted Format(uintptr_t handle, size_t capacity) {
    std::unique_ptr<char[]> out(new char[capacity]);
    std::memset(out.get(), 'X', capacity);
    const bool ok = FormatLeaveLine(out.get(), capacity, handle);
    const void* end = std::memchr(out.get(), '\0', capacity);
    EXPECT_NE(end, nullptr) << "result not terminated inside its buffer";
    return {ok, end ? std::string(out.get()) : std::string()};
}

TEST(LeaveLine, HandleInLowerCaseHexWithoutPrefixOrLeadingZerosThenABlank) {
    struct Case {
        uintptr_t handle;
        std::string hex;
    };
    const Case cases[] = {
        {0, "0"},
        {1, "1"},
        {0xF, "f"},
        {0x10, "10"},
        {0x1a2b, "1a2b"},
        {0xABCDEF, "abcdef"},
        {0x00010000, "10000"},
        {0x80000000u, "80000000"},
        {0xFFFFFFFFu, "ffffffff"},
        {UINTPTR_MAX, std::string(2 * sizeof(uintptr_t), 'f')},
        {UINTPTR_MAX / 16, std::string(2 * sizeof(uintptr_t) - 1, 'f')},
        {uintptr_t{1} << (8 * sizeof(uintptr_t) - 1), "8" + std::string(2 * sizeof(uintptr_t) - 1, '0')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.hex);
        const Formatted f = Format(c.handle, 4096);
        EXPECT_TRUE(f.ok);
        EXPECT_EQ(f.text, kPrefix + c.hex + " ");
    }
}

TEST(LeaveLine, TooSmallBufferIsRefusedWithoutOverrun) {
    struct Case {
        const char* name;
        uintptr_t handle;
        size_t capacity;
        bool fits;
    };
    // The prefix has 38 characters; then the digits, the blank and the terminator.
    const Case cases[] = {
        {"0: exact", 0, 38 + 1 + 1 + 1, true},
        {"0: one short", 0, 38 + 1 + 1, false},
        {"1a2b: exact", 0x1a2b, 38 + 4 + 1 + 1, true},
        {"1a2b: no room for the terminator", 0x1a2b, 38 + 4 + 1, false},
        {"1a2b: no room for the blank", 0x1a2b, 38 + 4, false},
        {"max: exact", UINTPTR_MAX, 38 + 2 * sizeof(uintptr_t) + 2, true},
        {"max: one short", UINTPTR_MAX, 38 + 2 * sizeof(uintptr_t) + 1, false},
        {"prefix only", 0x1a2b, 38, false},
        {"one byte", 0x1a2b, 1, false},
    };
    ASSERT_EQ(kPrefix.size(), 38u);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Formatted f = Format(c.handle, c.capacity);
        EXPECT_EQ(f.ok, c.fits);
        if (c.fits) {
            EXPECT_EQ(f.text.size(), c.capacity - 1);
        } else {
            EXPECT_EQ(f.text, "");
        }
    }
}

TEST(LeaveLine, ZeroCapacityWritesNothing) {
    char guard = 'G';
    EXPECT_FALSE(FormatLeaveLine(&guard, 0, 0x1a2b));
    EXPECT_EQ(guard, 'G');
}

}  // namespace
