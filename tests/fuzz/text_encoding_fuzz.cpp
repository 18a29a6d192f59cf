// Fuzz target: telling a file's encoding from its bytes.
//
// Properties:
//  - a file that starts with FF FE is UTF-16LE, one that starts with EF BB BF
//    is UTF-8 after its mark, whatever follows;
//  - any other file is UTF-8 exactly when a plain decoder written here takes
//    it whole and it holds a byte above 0x7F, and ANSI otherwise;
//  - what that decoder takes, the system's encoder gives back byte for byte
//    (checked here with the decoder's own encoder half).
#include <fuzzer/FuzzedDataProvider.h>

#include <string>
#include <vector>

#include "config/text_encoding.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

using setupmenu::TextEncoding;

// Decodes well-formed UTF-8 to UTF-16; false on anything else.
bool Decode(const uint8_t* p, size_t size, std::vector<uint16_t>& out) {
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
        if (c >= 0x10000) {
            out.push_back(static_cast<uint16_t>(0xD800 + ((c - 0x10000) >> 10)));
            out.push_back(static_cast<uint16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        } else {
            out.push_back(static_cast<uint16_t>(c));
        }
        i += n + 1;
    }
    return true;
}

// Encodes UTF-16 back to UTF-8.
std::string Encode(const std::vector<uint16_t>& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF) c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00u);
        const int n = c < 0x80 ? 0 : c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
        out += static_cast<char>(n ? (0xF00 >> (n + 1)) | (c >> (6 * n)) : c);
        for (int k = n - 1; k >= 0; --k) out += static_cast<char>(0x80 | ((c >> (6 * k)) & 0x3F));
    }
    return out;
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
    std::vector<uint16_t> decoded;
    const bool wellFormed = Decode(data, size, decoded);
    bool high = false;
    for (size_t i = 0; i < size; ++i) high |= data[i] >= 0x80;
    FUZZ_CHECK(found == (wellFormed && high ? TextEncoding::Utf8 : TextEncoding::Ansi));
    // The first byte that is not UTF-8 ends the longest prefix the decoder takes whole.
    const size_t bad = setupmenu::FirstNonUtf8(data, size);
    FUZZ_CHECK((bad == size) == wellFormed);
    if (bad < size) {
        FUZZ_CHECK(Decode(data, bad, decoded));
        for (size_t end = bad + 1; end <= size && end <= bad + 4; ++end) FUZZ_CHECK(!Decode(data, end, decoded));
    }
    if (wellFormed) FUZZ_CHECK(Encode(decoded) == std::string(reinterpret_cast<const char*>(data), size));
    return 0;
}
