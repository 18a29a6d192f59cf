// The conditions of a button's ShowIf key: how they are written, what they
// say on a given system, and the rule that a malformed condition shows the button.
#include "config/conditions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace setupmenu {
namespace {

std::string Describe(const Condition& c) {
    std::string s = c.negated ? "!" : "";
    switch (c.kind) {
        case ConditionKind::WindowsAtLeast:
        case ConditionKind::WindowsBelow:
            s += c.kind == ConditionKind::WindowsAtLeast ? "win>=" : "win<";
            return s + std::to_string(c.version.major) + "." + std::to_string(c.version.minor) + "." +
                   std::to_string(c.version.build);
        case ConditionKind::Arch:
            return s + "arch " + std::to_string(static_cast<int>(c.machine));  // the machine type number
        case ConditionKind::Exists:
            return s + "exists [" + c.path + "]";
        case ConditionKind::Registry:
            s += "reg " + std::to_string(static_cast<int>(c.root)) + " [" + c.path + "]";
            if (c.valueName) s += " @[" + std::string(c.valueName) + "]";
            if (c.comparesNumber) s += " >=" + std::to_string(c.atLeast);
            return s;
        default:
            return s + "?";
    }
}

struct ParseCase {
    const char* text;
    ConditionError error;
    const char* parsed;  // Describe() of the result when it parses
};

TEST(ParseCondition, AcceptsTheWrittenFormsAndNamesEachMistake) {
    const ParseCase cases[] = {
        {"windows>=10.0", ConditionError::None, "win>=10.0.0"},
        {"windows>=10.0.22000", ConditionError::None, "win>=10.0.22000"},
        {"Windows>=6.1", ConditionError::None, "win>=6.1.0"},
        {"windows >= 6.1", ConditionError::Unknown, ""},
        {"WINDOWS<6.2.9200", ConditionError::None, "win<6.2.9200"},
        {"!windows<10.0", ConditionError::None, "!win<10.0.0"},
        {"! windows>=4294967295.0", ConditionError::None, "!win>=4294967295.0.0"},
        {"windows>=10", ConditionError::BadVersion, ""},
        {"windows>=10.0.1.2", ConditionError::BadVersion, ""},
        {"windows>=-10.0", ConditionError::BadVersion, ""},
        {"windows>=4294967296.0", ConditionError::BadVersion, ""},
        {"windows>=", ConditionError::BadVersion, ""},
        {"windows=10.0", ConditionError::Unknown, ""},
        {"windowsxp>=5.1", ConditionError::Unknown, ""},
        {"arch=x86", ConditionError::None, "arch 332"},
        {"ARCH=X64", ConditionError::None, "arch 34404"},
        {"! arch=arm64", ConditionError::None, "!arch 43620"},
        {"arch=amd64", ConditionError::BadArch, ""},
        {"arch==x64", ConditionError::BadArch, ""},
        {"architecture=x64", ConditionError::Unknown, ""},
        {"exists:tools\\setup.exe", ConditionError::None, "exists [tools\\setup.exe]"},
        {"EXISTS:%ProgramFiles%\\A B\\b.exe", ConditionError::None, "exists [%ProgramFiles%\\A B\\b.exe]"},
        {"!exists:C:\\x y", ConditionError::None, "!exists [C:\\x y]"},
        {"exists:", ConditionError::EmptyPath, ""},
        {"reg:HKLM\\SOFTWARE\\Vendor", ConditionError::None, "reg 2 [SOFTWARE\\Vendor]"},
        {"reg:hkcu\\Software\\V@Name", ConditionError::None, "reg 1 [Software\\V] @[Name]"},
        {"reg:HKCR\\.ext@", ConditionError::None, "reg 0 [.ext] @[]"},
        {"reg:HKLM\\S\\R@Bld>=30704", ConditionError::None, "reg 2 [S\\R] @[Bld] >=30704"},
        {"reg:HKLM\\S\\R@Installed >= 1", ConditionError::BadNumber, ""},
        {"reg:HKLM\\S@V>=4294967295", ConditionError::None, "reg 2 [S] @[V] >=4294967295"},
        {"reg:HKLM\\S@V>=4294967296", ConditionError::BadNumber, ""},
        {"reg:HKLM\\S@V>=0x10", ConditionError::BadNumber, ""},
        {"reg:HKLM\\S@V>=", ConditionError::BadNumber, ""},
        {"reg:HKLM\\S>=1", ConditionError::BadNumber, ""},
        {"reg:HKLM\\S@V>1", ConditionError::BadNumber, ""},
        {"reg:HKLM\\S@V>=1x", ConditionError::BadNumber, ""},
        {"reg:HKEY_LOCAL_MACHINE\\S", ConditionError::BadRoot, ""},
        {"reg:SOFTWARE\\Vendor", ConditionError::BadRoot, ""},
        {"reg:HKLM", ConditionError::EmptyKey, ""},
        {"reg:HKLM\\@V", ConditionError::EmptyKey, ""},
        {"", ConditionError::Unknown, ""},
        {"!", ConditionError::Unknown, ""},
        {"!!arch=x64", ConditionError::Unknown, ""},
    };
    for (const ParseCase& c : cases) {
        std::string text = c.text;
        Condition parsed;
        const ConditionError error = ParseCondition(text.data(), &parsed);
        EXPECT_EQ(static_cast<int>(error), static_cast<int>(c.error)) << c.text;
        if (error == ConditionError::None && c.error == ConditionError::None) {
            EXPECT_EQ(Describe(parsed), c.parsed) << c.text;
        }
    }
}

// The test the launcher would make on a 64-bit Windows 10 where only the
// files and keys named "yes" exist; it records what it was asked.
std::vector<std::string> g_asked;
bool FakeSystem(const Condition& c) {
    g_asked.push_back(Describe(c));
    if (c.kind == ConditionKind::Exists) return std::string(c.path) == "yes";
    if (c.kind == ConditionKind::Registry) return std::string(c.path) == "yes" && (!c.comparesNumber || c.atLeast <= 5);
    return SystemConditionHolds(c, WindowsVersion{10, 0, 19045}, Machine::X64);
}

TEST(ConditionsHold, AllMustHoldAndAMalformedOneShowsTheButton) {
    const struct {
        const char* value;
        bool shown;
        size_t asked;  // conditions put to the system
    } cases[] = {
        {"", true, 0},
        {" ; ", true, 0},
        {"arch=x64", true, 1},
        {"arch=x86", false, 1},
        {"!arch=x86", true, 1},
        {"arch=arm64", false, 1},
        {"windows<10.0.19045", false, 1},
        {"windows<10.0.19046; windows>=6.1.7601; !windows>=10.1", true, 3},
        {"arch=x64; windows>=10.0; exists:yes; reg:HKLM\\yes@V>=5", true, 4},
        {"arch=x64; windows>=10.0.22000; exists:yes", false, 2},
        {"arch=x86; reg:HKLM\\yes", false, 1},  // stops at the first that fails
        {"!exists:yes", false, 1},
        {"!exists:no; arch=x64", true, 2},
        {"reg:HKLM\\yes@V>=6", false, 1},
        {"!reg:HKLM\\no", true, 1},
        // A typo anywhere shows the button, whatever the other conditions say;
        // nothing after a failed condition is asked.
        {"arch=x86; arhc=x64", true, 1},
        {"arhc=x64; arch=x86", true, 0},
        {"arch=x86; windows>=10", true, 1},
        {"exists:no; reg:HKLM", true, 1},
        {"arch=x86; exists:yes; arch=amd64", true, 1},
        {"arch=x86 windows>=10.0", true, 0},
    };
    for (const auto& c : cases) {
        g_asked.clear();
        std::string value = c.value;
        EXPECT_EQ(ConditionsHold(value.data(), FakeSystem), c.shown) << c.value;
        EXPECT_EQ(g_asked.size(), c.asked) << c.value;
    }
}

TEST(NameNativeFolders, OnlyTheTwoFolderReferencesChange) {
    const struct {
        const char* written;
        const char* native;
    } cases[] = {
        {"%ProgramFiles%\\Vendor\\app.exe", "%ProgramW6432%\\Vendor\\app.exe"},
        {"%PROGRAMFILES%\\a;%commonprogramfiles%", "%PROGRAMW6432%\\a;%commonprogramW6432%"},
        {"%ProgramFiles(x86)%\\a", "%ProgramFiles(x86)%\\a"},
        {"%ProgramFiles\\%ProgramFilesX%", "%ProgramFiles\\%ProgramFilesX%"},
        {"%%ProgramFiles%%", "%%ProgramW6432%%"},
        // The first reference's closing '%' opens nothing.
        {"%ProgramFiles%ProgramFiles%", "%ProgramW6432%ProgramFiles%"},
        {"C:\\Program Files\\a", "C:\\Program Files\\a"},
        {"", ""},
    };
    for (const auto& c : cases) {
        std::string path = c.written;
        NameNativeFolders(path.data());
        EXPECT_EQ(path, c.native) << c.written;
    }
}

}  // namespace
}  // namespace setupmenu
