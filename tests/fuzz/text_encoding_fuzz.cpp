// Fuzz target: telling a file's encoding from its bytes.
//
// Properties:
//  - a file that starts with FF FE is UTF-16LE, one that starts with EF BB BF
//    is UTF-8 after its mark, whatever follows;
//  - any other file is UTF-8 exactly when a plain decoder written here takes
//    it whole and it holds a byte above 0x7F, and ANSI otherwise;
//  - the first byte that is not UTF-8 ends the longest prefix the decoder takes.
#include <cstddef>
#include <cstdint>

#include "config/text_encoding.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

using setupmenu::TextEncoding;

// Whether the bytes decode as well-formed UTF-8, by the decoding itself.
bool Decode(const uint8_t* p, size_t size) {
    for (size_t i = 0; i < size;) {
        uint32_t c = p[i];
        size_t n = c < 0x80 ? 0 : c >= 0xF8 ? 99 : c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 99;
        if (n == 99 || i + n >= size) return false;
        if (n) c &= 0x3F >> n;
        for (size_t k = 1; k <= n; ++k) {
            if ((p[i + k] & 0xC0) != 0x80) return false;
            c = (c << 6) | (p[i + k] & 0x3F);
        }
        const uint32_t least[] = {0, 0x80, 0x800, 0x10000};
        if (c < least[n] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
        i += n + 1;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const TextEncoding found = setupmenu::TellEncoding(data, size);
    if (size >= 2 && data[0] == 0xFF && data[1] == 0xFE) {
        FUZZ_CHECK(found == TextEncoding::Utf16Le);
        return 0;
    }
    if (size >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF) {
        FUZZ_CHECK(found == TextEncoding::Utf8Mark);
        return 0;
    }
    const bool wellFormed = Decode(data, size);
    bool high = false;
    for (size_t i = 0; i < size; ++i) high |= data[i] >= 0x80;
    FUZZ_CHECK(found == (wellFormed && high ? TextEncoding::Utf8 : TextEncoding::Ansi));
    const size_t bad = setupmenu::FirstNonUtf8(data, size);
    FUZZ_CHECK((bad == size) == wellFormed);
    if (bad < size) {
        FUZZ_CHECK(Decode(data, bad));
        for (size_t end = bad + 1; end <= size && end <= bad + 4; ++end) FUZZ_CHECK(!Decode(data, end));
    }
    return 0;
}
