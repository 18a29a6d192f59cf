// See watch_rules.h.
#include "checker/watch_rules.h"

#include <cstdint>
#include <cstring>

#include "config/text_rules.h"

namespace setupmenu {
namespace check {
namespace {

bool SameStamp(const FileStamp& a, const FileStamp& b) {
    return a.exists == b.exists && (!a.exists || (a.size == b.size && a.writeTime == b.writeTime));
}

constexpr uint32_t kHighest = UINT32_MAX;

// The highest version below v; false for 0.0.0, which has none.
bool VersionBelow(const WindowsVersion& v, WindowsVersion* out) {
    if (v.build > 0) *out = WindowsVersion{v.major, v.minor, v.build - 1};
    else if (v.minor > 0) *out = WindowsVersion{v.major, v.minor - 1, kHighest};
    else if (v.major > 0) *out = WindowsVersion{v.major - 1, kHighest, kHighest};
    else return false;
    return true;
}

bool SameText(const char* a, const char* b) {
    if (!a || !b) return a == b;
    return EqualsNoCase(a, b);
}

bool SameFact(const Condition& a, const Condition& b) {
    return a.kind == b.kind && SameText(a.path, b.path) &&
           (a.kind == ConditionKind::Exists ||
            (a.root == b.root && SameText(a.valueName, b.valueName) && a.comparesNumber == b.comparesNumber &&
             (!a.comparesNumber || a.atLeast == b.atLeast)));
}

}  // namespace

bool AddWatchedFile(WatchList* list, const char* path, const FileStamp& stamp) {
    for (size_t i = 0; i < list->count; ++i) {
        if (EqualsNoCase(list->paths[i], path)) return true;
    }
    const size_t length = std::strlen(path);
    if (list->count == kMaxWatchedFiles || length >= kWatchedPathChars) return false;
    std::memcpy(list->paths[list->count], path, length + 1);
    list->seen[list->count++] = stamp;
    return true;
}

WatchAction NextWatchAction(WatchList* list, const FileStamp* now) {
    bool changed = false;
    for (size_t i = 0; i < list->count; ++i) {
        if (!SameStamp(list->seen[i], now[i])) changed = true;
        list->seen[i] = now[i];
    }
    if (changed) {
        list->changing = true;
        return WatchAction::Wait;
    }
    if (!list->changing) return WatchAction::None;
    list->changing = false;
    return WatchAction::Rebuild;
}

AssumeError ParseAssumptions(char* text, Assumptions* out, const char** bad) {
    *out = Assumptions{};
    bool hasLower = false, hasUpper = false;
    WindowsVersion lower{}, upper{};
    for (char* rest = text; rest;) {
        char* item = CutCondition(&rest);
        if (*item == '\0') continue;
        *bad = item;
        Condition c;
        if (ParseCondition(item, &c) != ConditionError::None) return AssumeError::Unreadable;
        switch (c.kind) {
            case ConditionKind::Arch:
                // "not x64" names no machine to pretend to be.
                if (c.negated) return AssumeError::NegatedArch;
                if (out->hasMachine && out->machine != c.machine) return AssumeError::Contradiction;
                out->hasMachine = true;
                out->machine = c.machine;
                break;
            case ConditionKind::WindowsAtLeast:
            case ConditionKind::WindowsBelow:
                // "!windows>=V" says windows<V, and the other way round.
                if ((c.kind == ConditionKind::WindowsAtLeast) != c.negated) {
                    if (!hasLower || VersionAtLeast(c.version, lower)) lower = c.version;
                    hasLower = true;
                } else {
                    if (!hasUpper || VersionAtLeast(upper, c.version)) upper = c.version;
                    hasUpper = true;
                }
                if (hasLower && hasUpper && VersionAtLeast(lower, upper)) return AssumeError::Contradiction;
                break;
            default:
                if (out->count == kMaxAssumed) return AssumeError::TooMany;
                out->facts[out->count++] = c;
                break;
        }
    }
    if (hasLower) {
        out->version = lower;
        out->hasVersion = true;
    } else if (hasUpper) {
        out->hasVersion = VersionBelow(upper, &out->version);
        if (!out->hasVersion) return AssumeError::Contradiction;
    }
    return AssumeError::None;
}

Truth AssumedTruth(const Assumptions& assumed, const Condition& condition) {
    switch (condition.kind) {
        case ConditionKind::Arch:
            if (!assumed.hasMachine) return Truth::Unknown;
            return assumed.machine == condition.machine ? Truth::True : Truth::False;
        case ConditionKind::WindowsAtLeast:
        case ConditionKind::WindowsBelow:
            if (!assumed.hasVersion) return Truth::Unknown;
            return SystemConditionHolds(condition, assumed.version, assumed.machine) ? Truth::True : Truth::False;
        default:
            for (size_t i = 0; i < assumed.count; ++i) {
                if (SameFact(assumed.facts[i], condition)) return assumed.facts[i].negated ? Truth::False : Truth::True;
            }
            return Truth::Unknown;
    }
}

}  // namespace check
}  // namespace setupmenu
