// Value rules of the configuration file; see text_rules.h.
#include "config/text_rules.h"

#include <cstring>

namespace setupmenu {
namespace {

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsNumberBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    }
    return true;
}

int32_t ReadNumber(const char* text) {
    while (IsNumberBlank(*text)) ++text;
    bool negative = false;
    if (*text == '-' || *text == '+') {
        negative = (*text == '-');
        ++text;
    }
    // Unsigned arithmetic gives the two's-complement wrap without undefined behaviour.
    uint32_t value = 0;
    while (*text >= '0' && *text <= '9') {
        value = value * 10u + static_cast<uint32_t>(*text - '0');
        ++text;
    }
    if (negative) value = 0u - value;
    return static_cast<int32_t>(value);
}

uint32_t ParseColor(const char* text) {
    const uint32_t red = static_cast<uint32_t>(ReadNumber(text));
    const char* firstComma = std::strchr(text, ',');
    if (!firstComma) return red;
    const uint32_t green = static_cast<uint32_t>(ReadNumber(firstComma + 1)) & 0xFFu;
    const char* secondComma = std::strchr(firstComma + 1, ',');
    if (!secondComma) return red + 256u * green;
    const uint32_t blue = static_cast<uint32_t>(ReadNumber(secondComma + 1)) & 0xFFu;
    return red + 256u * green + 65536u * blue;
}

void ParsePosition(const char* text, int32_t* first, int32_t* second) {
    const int32_t x = ReadNumber(text);
    const char* comma = std::strchr(text, ',');
    const int32_t y = comma ? ReadNumber(comma + 1) : 0;
    *first = x;
    *second = y;
}

size_t ProcessButtonText(const char* value, size_t length, char* out) {
    // A quote is dropped at either end independently of the other end.
    size_t end = length;
    if (end > 0 && value[end - 1] == '"') --end;
    size_t begin = (end > 0 && value[0] == '"') ? 1 : 0;
    const size_t textLength = end - begin;
    std::memcpy(out, value + begin, textLength);
    out[textLength] = '\0';

    // Escapes never change the length: "\n" becomes CR LF in place.
    for (size_t i = 0; i < textLength;) {
        if (out[i] != '\\') {
            ++i;
        } else if (out[i + 1] == 'n' || out[i + 1] == 'N') {
            out[i] = '\r';
            out[i + 1] = '\n';
            i += 2;
        } else if (out[i + 1] == '\\') {
            i += 2;  // the second backslash cannot start an escape
        } else {
            ++i;
        }
    }
    return textLength;
}

bool ComposePath(char* out, size_t capacity, std::string_view dir, std::string_view value) {
    if (capacity == 0) return false;
    out[0] = '\0';
    if (dir.size() >= capacity || value.size() >= capacity - dir.size()) return false;
    std::memcpy(out, dir.data(), dir.size());
    std::memcpy(out + dir.size(), value.data(), value.size());
    out[dir.size() + value.size()] = '\0';
    return true;
}

}  // namespace setupmenu
