// Which encoding a configuration file is written in, told from its bytes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace setupmenu {

enum class TextEncoding {
    Ansi,     // the system's code page, read as it always was
    Utf8,     // UTF-8 without a byte-order mark
    Utf8Mark, // UTF-8 after its three-byte mark
    Utf16Le,  // UTF-16, little-endian, with its byte-order mark
};

// A file that starts with FF FE is UTF-16LE; one that starts with EF BB BF is
// UTF-8. A file without a mark is UTF-8 when every byte above 0x7F belongs to
// a well-formed sequence (no overlong form, no surrogate, nothing above
// U+10FFFF) and there is at least one such sequence; otherwise it is ANSI.
// Legacy double-byte text (code pages 932, 936, 949, 950) is almost never
// well-formed UTF-8 throughout, but a short file can be: its author then
// saves it with a mark or as UTF-16.
TextEncoding TellEncoding(const uint8_t* bytes, size_t size);

// The offset of the first byte that is not ASCII and not part of a
// well-formed UTF-8 sequence, or `size` when there is none.
size_t FirstNonUtf8(const uint8_t* bytes, size_t size);

}  // namespace setupmenu
