// Fuzz target: ShowIf conditions and the choice of a language file.
//
// Properties, for any text:
//  - parsing gives the same result twice, every text it keeps (path or key,
//    value name) lies inside the condition that was parsed, and a condition
//    that parses has a kind, a path or key where it needs one, and a value
//    name where it compares a number;
//  - the conditions CutCondition gives hold no ';' and no blanks at either end;
//  - a value decides as the rule says: shown when any condition is malformed,
//    otherwise hidden exactly when one condition fails; a system where every
//    condition is true hides a button only through a '!';
//  - versions printed from any three numbers read back, and compare as the
//    triples do;
//  - a picked language lies in the list and is the user's locale name or
//    its beginning, and the path built for it is the configuration path with
//    ".TAG" inserted, never longer than the buffer allows.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <strings.h>
#include <string>
#include <tuple>

#include "config/conditions.h"
#include "config/language_tags.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

using namespace setupmenu;

bool AlwaysTrue(const Condition&) { return true; }
bool AlwaysFalse(const Condition&) { return false; }

bool Inside(const char* part, const std::string& whole) {
    return !part || (part >= whole.data() && part <= whole.data() + whole.size());
}

void CheckConditions(const std::string& value) {
    bool malformed = false, anyPlain = false, anyNegated = false;
    std::string cut = value;
    for (char* rest = cut.data(); rest;) {
        const char* text = CutCondition(&rest);
        const std::string piece = text;
        FUZZ_CHECK(piece.find(';') == std::string::npos);
        if (piece.empty()) continue;
        FUZZ_CHECK(piece.front() != ' ' && piece.front() != '\t' && piece.back() != ' ' && piece.back() != '\t');
        std::string first = piece, second = piece;
        Condition a, b;
        const ConditionError error = ParseCondition(first.data(), &a);
        FUZZ_CHECK(ParseCondition(second.data(), &b) == error);
        FUZZ_CHECK(Inside(a.path, first) && Inside(a.valueName, first));
        if (error != ConditionError::None) {
            malformed = true;
        } else {
            (a.negated ? anyNegated : anyPlain) = true;
            FUZZ_CHECK(a.kind != ConditionKind::Unknown);
            FUZZ_CHECK(a.kind != ConditionKind::Registry || a.path[0] != '\0');
            FUZZ_CHECK(a.kind != ConditionKind::Exists || a.path[0] != '\0');
            FUZZ_CHECK(!a.comparesNumber || a.valueName);
        }
    }
    std::string forTrue = value, forFalse = value;
    FUZZ_CHECK(ConditionsHold(forTrue.data(), AlwaysTrue) == (malformed || !anyNegated));
    FUZZ_CHECK(ConditionsHold(forFalse.data(), AlwaysFalse) == (malformed || !anyPlain));
}

void CheckVersions(FuzzedDataProvider& fdp) {
    const uint32_t a[3] = {fdp.ConsumeIntegral<uint32_t>(), fdp.ConsumeIntegral<uint32_t>(),
                           fdp.ConsumeIntegral<uint32_t>()};
    const uint32_t b[3] = {fdp.ConsumeIntegralInRange<uint32_t>(0, 3), fdp.ConsumeIntegralInRange<uint32_t>(0, 3),
                           fdp.ConsumeIntegral<uint32_t>()};
    char text[80];
    std::snprintf(text, sizeof text, "windows>=%u.%u.%u", a[0], a[1], a[2]);
    Condition parsed;
    FUZZ_CHECK(ParseCondition(text, &parsed) == ConditionError::None && !parsed.negated);
    FUZZ_CHECK(parsed.version.major == a[0] && parsed.version.minor == a[1] && parsed.version.build == a[2]);
    const WindowsVersion va{a[0], a[1], a[2]}, vb{b[0], b[1], b[2]};
    FUZZ_CHECK(VersionAtLeast(va, vb) == (std::tie(a[0], a[1], a[2]) >= std::tie(b[0], b[1], b[2])));
    FUZZ_CHECK(VersionAtLeast(va, va));
}

void CheckLanguage(FuzzedDataProvider& fdp) {
    const std::string user = fdp.ConsumeRandomLengthString(12);
    const std::string ini = fdp.ConsumeRandomLengthString(64);
    const size_t capacity = fdp.ConsumeIntegralInRange<size_t>(0, 96);
    std::string list = fdp.ConsumeRemainingBytesAsString();
    list = list.substr(0, strnlen(list.c_str(), list.size()));
    const char* tag = PickLanguage(list.data(), user.c_str());
    if (!tag) return;
    FUZZ_CHECK(tag >= list.data() && tag < list.data() + list.size());
    const std::string picked = tag;
    FUZZ_CHECK(!picked.empty() && (strcasecmp(picked.c_str(), user.c_str()) == 0 ||
                                   strncasecmp(picked.c_str(), user.c_str(), picked.size()) == 0));
    char out[96];
    std::memset(out, 'x', sizeof out);
    const std::string path = ini.substr(0, strnlen(ini.c_str(), ini.size()));
    if (!BuildLanguagePath(out, capacity, path.c_str(), tag)) {
        FUZZ_CHECK(capacity == 0 || out[0] == '\0');
        FUZZ_CHECK(path.size() + 1 + picked.size() >= capacity);
        return;
    }
    const std::string built(out, strnlen(out, sizeof out));
    FUZZ_CHECK(built.size() == path.size() + 1 + picked.size() && built.size() < capacity);
    FUZZ_CHECK(built.find("." + picked) != std::string::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* raw = reinterpret_cast<const char*>(data);
    CheckConditions(std::string(raw, strnlen(raw, size)));
    FuzzedDataProvider fdp(data, size);
    CheckVersions(fdp);
    CheckLanguage(fdp);
    return 0;
}
