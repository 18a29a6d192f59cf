// See log_line.h. Written by hand rather than with a printf so that the
// handle's full pointer width is printed on both builds.
#include "diag/log_line.h"

#include <cstring>
#include <string_view>

namespace setupmenu {

bool FormatLeaveLine(char* out, size_t capacity, uintptr_t windowHandle) {
    constexpr std::string_view kPrefix = "VaskTrackMouseTimerProc: SendMessage: ";
    char digits[2 * sizeof(uintptr_t)];
    size_t count = 0;
    do {
        digits[count++] = "0123456789abcdef"[windowHandle & 0xF];
        windowHandle >>= 4;
    } while (windowHandle != 0);

    const size_t needed = kPrefix.size() + count + 1 /* blank */ + 1 /* terminator */;
    if (capacity < needed) {
        if (capacity > 0) out[0] = '\0';
        return false;
    }
    std::memcpy(out, kPrefix.data(), kPrefix.size());
    char* p = out + kPrefix.size();
    while (count > 0) *p++ = digits[--count];
    *p++ = ' ';
    *p = '\0';
    return true;
}

}  // namespace setupmenu
