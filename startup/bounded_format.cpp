// See bounded_format.h. msvcrt's _vsnprintf leaves the buffer unterminated
// when the text fills it exactly or overflows it; the terminator is put back here.
#include "startup/bounded_format.h"

#include <cstdarg>
#include <cstdio>

namespace setupmenu {

bool FormatBounded(char* out, size_t capacity, const char* format, ...) {
    if (capacity == 0) return false;
    va_list args;
    va_start(args, format);
    const int length = _vsnprintf(out, capacity, format, args);
    va_end(args);
    if (length < 0 || static_cast<size_t>(length) >= capacity) {
        out[capacity - 1] = '\0';
        return false;
    }
    return true;
}

}  // namespace setupmenu
