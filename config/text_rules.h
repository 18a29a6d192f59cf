// How configuration values are read: comparison without case, numbers,
// colours, positions, button texts and program-relative paths.
//
// Nothing here touches the platform, so the rules are unit-tested and fuzzed
// natively. Every rule works byte by byte on the ANSI text the profile reader
// delivered.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace setupmenu {

// The value the profile reader is given as its default: it means "absent".
constexpr std::string_view kAbsentSentinel = "*NOT*";

// Equal when every byte matches after mapping only 'A'..'Z' to lower case.
bool EqualsNoCase(std::string_view a, std::string_view b);

// One decimal number: blanks, an optional sign, digits; wraps on overflow,
// stops at the first non-digit, no digit at all gives 0.
int32_t ReadNumber(const char* text);

// "r,g,b" to 0x00BBGGRR. The red number is added whole; green and blue give
// only their low 8 bits. A lone number is the whole colour value.
uint32_t ParseColor(const char* text);

// "x,y": writes both destinations in every case (second is 0 without a comma).
void ParsePosition(const char* text, int32_t* first, int32_t* second);

// Quote removal and escape pass of a button's Text value. `value` holds
// `length` bytes (length >= 1); `out` must hold length + 1 bytes. Returns the
// length of the text written to `out` (its terminator not counted).
size_t ProcessButtonText(const char* value, size_t length, char* out);

// `dir` followed directly by `value`, nothing interpreted. A result that
// would not fit in `capacity` bytes with its terminator is refused (false,
// `out` left empty) rather than cut into some other, possibly existing, path.
bool ComposePath(char* out, size_t capacity, std::string_view dir, std::string_view value);

}  // namespace setupmenu
