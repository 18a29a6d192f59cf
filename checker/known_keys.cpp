// See known_keys.h.
#include "checker/known_keys.h"

#include "config/text_rules.h"

namespace setupmenu {
namespace check {
namespace {

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

size_t Smallest(size_t a, size_t b, size_t c) {
    size_t m = a < b ? a : b;
    return m < c ? m : c;
}

}  // namespace

const SectionInfo* FindSection(std::string_view name) {
    for (const SectionInfo& section : kSections) {
        if (EqualsNoCase(section.name, name)) return &section;
    }
    return nullptr;
}

const KeyInfo* FindKey(SectionFamily family, std::string_view key) {
    for (const KeyInfo& info : kKeys) {
        if (info.family == family && EqualsNoCase(info.key, key)) return &info;
    }
    return nullptr;
}

bool FindFamilyOfKey(std::string_view key, SectionFamily except, SectionFamily* found) {
    for (const KeyInfo& info : kKeys) {
        if (info.family != except && EqualsNoCase(info.key, key)) {
            *found = info.family;
            return true;
        }
    }
    return false;
}

size_t EditDistanceNoCase(std::string_view a, std::string_view b) {
    if (a.size() > kMaxCompared) a = a.substr(0, kMaxCompared);
    if (b.size() > kMaxCompared) b = b.substr(0, kMaxCompared);
    // Three rows of the optimal-string-alignment table: two back, one back, this one.
    size_t rows[3][kMaxCompared + 1];
    size_t* twoBack = rows[0];
    size_t* oneBack = rows[1];
    size_t* current = rows[2];
    for (size_t j = 0; j <= b.size(); ++j) oneBack[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        current[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            const bool same = LowerAscii(a[i - 1]) == LowerAscii(b[j - 1]);
            size_t best = Smallest(oneBack[j] + 1, current[j - 1] + 1, oneBack[j - 1] + (same ? 0 : 1));
            if (i > 1 && j > 1 && LowerAscii(a[i - 1]) == LowerAscii(b[j - 2]) &&
                LowerAscii(a[i - 2]) == LowerAscii(b[j - 1]) && twoBack[j - 2] + 1 < best) {
                best = twoBack[j - 2] + 1;
            }
            current[j] = best;
        }
        size_t* spare = twoBack;
        twoBack = oneBack;
        oneBack = current;
        current = spare;
    }
    return oneBack[b.size()];
}

std::string_view NearestSection(std::string_view name) {
    std::string_view nearest;
    size_t best = static_cast<size_t>(-1);
    for (const SectionInfo& section : kSections) {
        const size_t distance = EditDistanceNoCase(name, section.name);
        if (distance < best) {
            best = distance;
            nearest = section.name;
        }
    }
    return nearest;
}

std::string_view NearestKey(SectionFamily family, std::string_view name) {
    std::string_view nearest;
    size_t best = static_cast<size_t>(-1);
    for (const KeyInfo& info : kKeys) {
        if (info.family != family) continue;
        const size_t distance = EditDistanceNoCase(name, info.key);
        if (distance < best) {
            best = distance;
            nearest = info.key;
        }
    }
    return nearest;
}

std::string_view NearestWord(const KeyInfo& key, std::string_view value) {
    std::string_view nearest;
    size_t best = static_cast<size_t>(-1);
    for (size_t i = 0; i < key.wordCount; ++i) {
        const size_t distance = EditDistanceNoCase(value, key.words[i]);
        if (distance < best) {
            best = distance;
            nearest = key.words[i];
        }
    }
    return nearest;
}

std::string_view FamilyDisplayName(SectionFamily family) {
    switch (family) {
        case SectionFamily::Version: return "[Version]";
        case SectionFamily::Main: return "[Main]";
        case SectionFamily::Splash: return "[Splash]";
        case SectionFamily::Button: return "[Button1] to [Button3]";
        case SectionFamily::Cancel: return "[Cancel]";
        case SectionFamily::Messages: return "[Messages]";
    }
    return "";
}

}  // namespace check
}  // namespace setupmenu
