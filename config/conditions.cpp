// See conditions.h. The parser works on terminated texts, cut in place, so
// that the launcher hands the system the names it needs without copying them.
#include "config/conditions.h"

#include <cstring>

namespace setupmenu {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Takes `word` (in lower case) off the front of `*text` when it is there,
// in any letter case.
bool TakeWord(char** text, const char* word) {
    char* t = *text;
    for (; *word; ++word, ++t) {
        const char c = (*t >= 'A' && *t <= 'Z') ? static_cast<char>(*t + 32) : *t;
        if (c != *word) return false;
    }
    *text = t;
    return true;
}

// Digits up to the first other character, at least one, no more than a DWORD holds.
bool TakeDecimal(char** text, uint32_t* out) {
    uint32_t value = 0;
    const char* start = *text;
    for (; **text >= '0' && **text <= '9'; ++*text) {
        const uint32_t digit = static_cast<uint32_t>(**text - '0');
        if (value > (0xFFFFFFFFu - digit) / 10u) return false;
        value = value * 10u + digit;
    }
    *out = value;
    return *text != start;
}

// MAJOR.MINOR or MAJOR.MINOR.BUILD and nothing after; a missing build is 0.
bool ParseVersion(char* text, WindowsVersion* out) {
    out->build = 0;
    if (!TakeDecimal(&text, &out->major) || *text++ != '.' || !TakeDecimal(&text, &out->minor)) return false;
    if (*text == '.' && (++text, !TakeDecimal(&text, &out->build))) return false;
    return *text == '\0';
}

// The index of `text` among `words` (lower case, terminated one after the
// other), letter case ignored, or the number of words when it is none of them.
int IndexOf(const char* text, const char* words) {
    int i = 0;
    for (; *words; words += std::strlen(words) + 1, ++i) {
        char* rest = const_cast<char*>(text);
        if (TakeWord(&rest, words) && *rest == '\0') break;
    }
    return i;
}

ConditionError ParseRegistry(char* text, Condition* out) {
    char* slash = std::strchr(text, '\\');
    if (slash) *slash = '\0';
    const int root = TakeWord(&text, "hk") ? IndexOf(text, "cr\0cu\0lm\0") : 3;
    if (root == 3) return ConditionError::BadRoot;
    if (!slash) return ConditionError::EmptyKey;
    out->root = static_cast<RegistryRoot>(root);
    out->path = slash + 1;
    char* at = std::strchr(slash + 1, '@');
    char* compare = std::strchr(slash + 1, '>');
    if (at) *at = '\0';
    if (*out->path == '\0') return ConditionError::EmptyKey;
    if (!compare) {
        out->valueName = at ? at + 1 : nullptr;
        return ConditionError::None;
    }
    if (!at || compare < at || compare[1] != '=') return ConditionError::BadNumber;
    out->valueName = at + 1;
    out->comparesNumber = true;
    *compare = '\0';
    compare += 2;
    return TakeDecimal(&compare, &out->atLeast) && *compare == '\0' ? ConditionError::None
                                                                    : ConditionError::BadNumber;
}

}  // namespace

ConditionError ParseCondition(char* text, Condition* out) {
    *out = Condition{};
    if (*text == '!') {
        out->negated = true;
        do ++text; while (IsBlank(*text));
    }
    // In the order of ConditionKind, after the two of windows.
    const char* prefix = "windows\0arch=\0exists:\0reg:\0";
    int kind = 1;
    while (*prefix && !TakeWord(&text, prefix)) {
        prefix += std::strlen(prefix) + 1;
        ++kind;
    }
    if (kind == 1) {
        if (text[0] == '>' && text[1] == '=') {
            kind = 0;
            text += 2;
        } else if (text[0] == '<') {
            ++text;
        } else {
            kind = static_cast<int>(ConditionKind::Unknown);
        }
    }
    out->kind = static_cast<ConditionKind>(kind);
    out->path = text;
    switch (out->kind) {
        case ConditionKind::WindowsAtLeast:
        case ConditionKind::WindowsBelow:
            return ParseVersion(text, &out->version) ? ConditionError::None : ConditionError::BadVersion;
        case ConditionKind::Arch: {
            const int arch = IndexOf(text, "x86\0x64\0arm64\0");
            if (arch == 3) return ConditionError::BadArch;
            out->machine = arch == 0 ? Machine::X86 : arch == 1 ? Machine::X64 : Machine::Arm64;
            return ConditionError::None;
        }
        case ConditionKind::Exists:
            return *text ? ConditionError::None : ConditionError::EmptyPath;
        case ConditionKind::Registry:
            return ParseRegistry(text, out);
        default:
            return ConditionError::Unknown;
    }
}

char* CutCondition(char** rest) {
    char* text = *rest;
    char* end = std::strchr(text, ';');
    *rest = end ? end + 1 : nullptr;
    if (!end) end = text + std::strlen(text);
    while (end > text && IsBlank(end[-1])) --end;
    *end = '\0';
    while (IsBlank(*text)) ++text;
    return text;
}

bool VersionAtLeast(const WindowsVersion& a, const WindowsVersion& b) {
    if (a.major != b.major) return a.major > b.major;
    if (a.minor != b.minor) return a.minor > b.minor;
    return a.build >= b.build;
}

bool SystemConditionHolds(const Condition& condition, const WindowsVersion& running, Machine machine) {
    if (condition.kind == ConditionKind::Arch) return machine == condition.machine;
    return VersionAtLeast(running, condition.version) == (condition.kind == ConditionKind::WindowsAtLeast);
}

bool IsRootedPath(const char* path) {
    if (*path == '\\' || *path == '/') return true;
    const char drive = static_cast<char>(*path | 0x20);
    return drive >= 'a' && drive <= 'z' && path[1] == ':';
}

void NameNativeFolders(char* path) {
    for (char* at = path; *at; ++at) {
        char* end = at;
        if (!TakeWord(&end, "%programfiles%") && !TakeWord(&end, "%commonprogramfiles%")) continue;
        // The same length: "Files%" becomes "W6432%".
        std::memcpy(end - 6, "W6432%", 6);
        // The closing '%' starts no other reference, as the expansion reads it.
        at = end - 1;
    }
}

bool ConditionsHold(char* value, ConditionTest test) {
    bool failed = false;
    for (char* rest = value; rest;) {
        char* text = CutCondition(&rest);
        if (*text == '\0') continue;
        Condition condition;
        if (ParseCondition(text, &condition) != ConditionError::None) return true;
        if (!failed) failed = test(condition) == condition.negated;
    }
    return !failed;
}

}  // namespace setupmenu
