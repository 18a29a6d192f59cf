// See language_tags.h.
#include "config/language_tags.h"

#include <cstring>
#include <string_view>

#include "config/text_rules.h"

namespace setupmenu {
namespace {

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool IsSeparator(char c) { return c == ',' || c == ';' || c == ' ' || c == '\t'; }

}  // namespace

bool IsLanguageTag(const char* tag) {
    if (!IsLetter(*tag) || std::strlen(tag) > kMaxLanguageTagChars) return false;
    for (; *tag; ++tag) {
        if (!IsLetter(*tag) && !(*tag >= '0' && *tag <= '9') && *tag != '-') return false;
    }
    return true;
}

const char* PickLanguage(char* list, const char* user) {
    char* end = list + std::strlen(list);
    for (char* p = list; p < end; ++p) {
        if (IsSeparator(*p)) *p = '\0';
    }
    // The whole name first, then the language before its first '-'.
    const char* dash = std::strchr(user, '-');
    const size_t lengths[] = {std::strlen(user), dash ? static_cast<size_t>(dash - user) : std::strlen(user)};
    for (size_t length : lengths) {
        for (char* tag = list; tag < end; tag += std::strlen(tag) + 1) {
            if (length && EqualsNoCase(tag, std::string_view(user, length))) return tag;
        }
    }
    return nullptr;
}

bool BuildLanguagePath(char* out, size_t capacity, const char* iniPath, const char* tag) {
    if (capacity == 0) return false;
    out[0] = '\0';
    const size_t length = std::strlen(iniPath), tagLength = std::strlen(tag);
    if (length + 1 + tagLength >= capacity) return false;
    // The last '.' of the file name, not of a folder's.
    size_t cut = length;
    for (size_t i = length; i-- > 0 && iniPath[i] != '\\' && iniPath[i] != '/';) {
        if (iniPath[i] == '.') {
            cut = i;
            break;
        }
    }
    std::memcpy(out, iniPath, cut);
    out[cut] = '.';
    std::memcpy(out + cut + 1, tag, tagLength);
    std::memcpy(out + cut + 1 + tagLength, iniPath + cut, length - cut + 1);
    return true;
}

}  // namespace setupmenu
