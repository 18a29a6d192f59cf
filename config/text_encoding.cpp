// See text_encoding.h.
#include "config/text_encoding.h"

namespace setupmenu {
namespace {

// Length of the well-formed sequence at `p` (of `left` bytes, first byte
// above 0x7F), or 0. The second byte's range carries the rules against
// overlong forms (E0, F0), surrogates (ED) and values above U+10FFFF (F4).
size_t SequenceAt(const uint8_t* p, size_t left) {
    const uint8_t lead = p[0];
    size_t length = 0;
    uint8_t low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (left < length || p[1] < low || p[1] > high) return 0;
    for (size_t i = 2; i < length; ++i) {
        if ((p[i] & 0xC0) != 0x80) return 0;
    }
    return length;
}

}  // namespace

TextEncoding TellEncoding(const uint8_t* bytes, size_t size) {
    if (size >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) return TextEncoding::Utf16Le;
    if (size >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) return TextEncoding::Utf8Mark;
    if (FirstNonUtf8(bytes, size) < size) return TextEncoding::Ansi;
    for (size_t i = 0; i < size; ++i) {
        if (bytes[i] >= 0x80) return TextEncoding::Utf8;
    }
    return TextEncoding::Ansi;
}

size_t FirstNonUtf8(const uint8_t* bytes, size_t size) {
    for (size_t i = 0; i < size;) {
        const size_t length = bytes[i] < 0x80 ? 1 : SequenceAt(bytes + i, size - i);
        if (length == 0) return i;
        i += length;
    }
    return size;
}

}  // namespace setupmenu
