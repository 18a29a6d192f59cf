// See check_conditions.h. The conditions are parsed and evaluated by the
// launcher's own code (config/conditions.cpp, config/condition_checks.cpp).
#include "checker/check_conditions.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "checker/report.h"
#include "config/condition_checks.h"
#include "config/conditions.h"
#include "config/language_tags.h"
#include "config/profile.h"
#include "startup/language_file.h"
#include "startup/setup_state.h"

namespace setupmenu {
namespace check {
namespace {

const char* ErrorText(ConditionError error) {
    switch (error) {
        case ConditionError::BadVersion:
            return "the version must be MAJOR.MINOR or MAJOR.MINOR.BUILD in decimal, as in windows>=10.0.22000";
        case ConditionError::BadArch:
            return "arch= takes x86, x64 or arm64";
        case ConditionError::EmptyPath:
            return "exists: names no file or folder";
        case ConditionError::BadRoot:
            return "the registry root must be HKLM, HKCU or HKCR, followed by a backslash and the key";
        case ConditionError::EmptyKey:
            return "reg: names no key below its root";
        case ConditionError::BadNumber:
            return ">= needs a value name before it (KEY@VALUE>=N) and a decimal number up to 4294967295 after "
                   "it, without blanks";
        default:
            return "the launcher knows windows>=, windows<, arch=, exists: and reg:";
    }
}

const char* MachineName(Machine machine) {
    switch (machine) {
        case Machine::X86: return "x86";
        case Machine::X64: return "x64";
        case Machine::Arm64: return "arm64";
        default: return "another architecture";
    }
}

// Why a well-formed condition, read without its '!', is true or not here.
void DescribeTruth(const Condition& c, bool truth, char* out, size_t capacity) {
    const WindowsVersion v = RunningWindowsVersion();
    switch (c.kind) {
        case ConditionKind::WindowsAtLeast:
        case ConditionKind::WindowsBelow:
            std::snprintf(out, capacity, "this machine runs Windows %u.%u.%u", v.major, v.minor, v.build);
            return;
        case ConditionKind::Arch:
            std::snprintf(out, capacity, "this machine is %s", MachineName(NativeMachine()));
            return;
        case ConditionKind::Exists:
            std::snprintf(out, capacity, truth ? "it exists" : "no such file or folder");
            return;
        default:
            std::snprintf(out, capacity, truth ? "found in the registry's 64-bit view"
                          : c.comparesNumber ? "no such DWORD value at least %u in the registry's 64-bit view"
                                             : "not found in the registry's 64-bit view",
                          c.atLeast);
            return;
    }
}

bool ReadShowIf(const char* section, char* value, size_t capacity) {
    if (!ReadSetting(section, "ShowIf")) return false;
    std::snprintf(value, capacity, "%s", g_state.szValue);
    return true;
}

// Calls each(written, condition, error) for every condition of `value`, as
// the launcher cuts and parses them; `written` is the condition as it stands.
template <typename Each>
void ForEachCondition(const char* value, Each each) {
    char copy[kValueChars];
    std::snprintf(copy, sizeof copy, "%s", value);
    for (char* rest = copy; rest;) {
        char* text = CutCondition(&rest);
        if (!*text) continue;
        char written[kValueChars];
        std::snprintf(written, sizeof written, "%.200s", text);
        Condition condition;
        const ConditionError error = ParseCondition(text, &condition);
        each(written, condition, error);
    }
}

}  // namespace

void CheckShowIf(const char* section, const char* value) {
    ForEachCondition(value, [section](const char* written, const Condition&, ConditionError error) {
        if (error == ConditionError::None) return;
        Warn(section, "ShowIf", "\"%s\" is not a condition the launcher can read (%s): the launcher shows the "
             "button whatever the other conditions say", written, ErrorText(error));
    });
}

void PrintShowIf(const char* section) {
    char value[kValueChars];
    if (!ReadShowIf(section, value, sizeof value)) {
        PrintValue(section, "ShowIf", "none: always shown (default)");
        return;
    }
    bool malformed = false, failed = false;
    ForEachCondition(value, [&](const char* written, const Condition& condition, ConditionError error) {
        if (error != ConditionError::None) {
            PrintValue(section, "ShowIf", "\"%s\": cannot be read, so the button is shown", written);
            malformed = true;
            return;
        }
        const bool truth = ConditionIsTrue(condition);
        const bool holds = truth != condition.negated;
        char why[kPathChars];
        DescribeTruth(condition, truth, why, sizeof why);
        PrintValue(section, "ShowIf", "\"%s\": %s on this machine (%s)", written, holds ? "holds" : "does not hold",
                   why);
        failed = failed || !holds;
    });
    if (!malformed && failed) PrintValue(section, "ShowIf", "not every condition holds: not shown on this machine");
}

bool HiddenByShowIf(int button) {
    const ButtonInfo& info = g_state.buttons[button - 1];
    return !info.bVisible && (info.pszText || info.hbmImage);
}

void CheckLanguages(const char* value) {
    char list[kValueChars];
    std::snprintf(list, sizeof list, "%s", value);
    char* end = list + std::strlen(list);
    // Cut as the launcher cuts the list, with a user of no language at all.
    PickLanguage(list, "");
    for (char* tag = list; tag < end; tag += std::strlen(tag) + 1) {
        if (!*tag) continue;
        if (!IsLanguageTag(tag)) {
            Warn("Main", "Languages", "\"%.100s\" is not a language tag (letters, digits and '-', such as de or "
                 "pt-BR): no user's language ever matches it", tag);
            continue;
        }
        char path[kPathChars];
        if (!BuildLanguagePath(path, sizeof path, g_state.szIniPath, tag)) {
            Warn("Main", "Languages", "%s: the path of its file would exceed %d characters: its users get this file",
                 tag, kPathChars - 1);
            continue;
        }
        const DWORD attributes = GetFileAttributesA(path);
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            Warn("Main", "Languages", "%s: %s does not exist: users of that language get this file", tag, path);
            continue;
        }
        char mark[8];
        const DWORD length = GetPrivateProfileStringA("Version", "Release", "", mark, sizeof mark, path);
        if (length == 0 || (length == 5 && _stricmp(mark, "*NOT*") == 0)) {
            Warn("Main", "Languages", "%s: %s has no [Version] Release value: the launcher refuses it for users of "
                 "that language", tag, path);
        }
    }
}

void PrintLanguages() {
    if (!ReadSetting("Main", "Languages")) {
        PrintValue("Main", "Languages", "none: this file whatever the user's language (default)");
        return;
    }
    char list[kValueChars];
    std::snprintf(list, sizeof list, "%s", g_state.szValue);
    char user[88];
    ReadUserLanguage(user);
    // The launcher's own choice, which changes the path it reads.
    char checked[kPathChars];
    std::memcpy(checked, g_state.szIniPath, sizeof checked);
    const bool chosen = ChooseLanguageFile();
    PrintValue("Main", "Languages", "\"%s\": this machine's language is %s: the launcher reads %s", list,
               user[0] ? user : "unknown", chosen ? g_state.szIniPath : "this file");
    std::memcpy(g_state.szIniPath, checked, sizeof checked);
}

}  // namespace check
}  // namespace setupmenu
