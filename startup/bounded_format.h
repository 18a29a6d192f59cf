// Bounded formatting into a fixed buffer, on the system C runtime's
// formatter so the program carries no printf implementation of its own.
#pragma once

#include <cstddef>

namespace setupmenu {

// Like snprintf: the result is always terminated. Returns false when the
// text did not fit and was cut; callers that format paths refuse such a cut.
bool FormatBounded(char* out, size_t capacity, const char* format, ...);

}  // namespace setupmenu
