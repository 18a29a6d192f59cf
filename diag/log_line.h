// Formatting of the one variable line the debug log carries.
#pragma once

#include <cstddef>
#include <cstdint>

namespace setupmenu {

// "VaskTrackMouseTimerProc: SendMessage: <hex> " with the window handle in
// lower-case hexadecimal, no prefix, no leading zeros, and a closing blank.
// Returns false (and writes an empty text when capacity allows) if it would
// not fit; the line is never cut.
bool FormatLeaveLine(char* out, size_t capacity, uintptr_t windowHandle);

}  // namespace setupmenu
