// The conditions of a button's ShowIf key: what they say and how they are
// written. One disc serves many machines: a button may be meant only for a
// 64-bit system, a newer Windows, or a machine that lacks a runtime.
//
//   ShowIf=arch=x64; !reg:HKLM\SOFTWARE\Vendor\Runtime@Installed>=1
//
// Conditions are separated by ';', all must hold, '!' in front negates one,
// blanks around each are ignored. A condition the rules below do not accept
// is a mistake of the author, and a typo must never hide an installer: one
// such condition shows the button whatever the others say.
//
// Nothing here touches the platform, so the launcher and the checker share
// it and it is unit-tested and fuzzed natively; asking the system is
// condition_checks.cpp's part.
#pragma once

#include <cstdint>

namespace setupmenu {

enum class ConditionKind : uint8_t {
    WindowsAtLeast,  // windows>=MAJOR.MINOR[.BUILD]
    WindowsBelow,    // windows<MAJOR.MINOR[.BUILD]
    Arch,            // arch=x86 | x64 | arm64: the machine's own architecture
    Exists,          // exists:PATH, a file or folder
    Registry,        // reg:ROOT\KEY[@VALUE[>=N]]
    Unknown,         // anything else
};

// Architectures by the system's machine type numbers (IMAGE_FILE_MACHINE_*),
// as IsWow64Process2 reports them; any other number is another machine.
enum class Machine : uint16_t { Other = 0, X86 = 0x014C, X64 = 0x8664, Arm64 = 0xAA64 };

// In the order of the system's predefined keys, 0x80000000 onwards.
enum class RegistryRoot : uint8_t { ClassesRoot, CurrentUser, LocalMachine };

enum class ConditionError : uint8_t {
    None,
    Unknown,      // no such condition
    BadVersion,   // not MAJOR.MINOR or MAJOR.MINOR.BUILD in decimal
    BadArch,      // not x86, x64 or arm64
    EmptyPath,    // exists: names nothing
    BadRoot,      // not HKLM, HKCU or HKCR followed by a backslash
    EmptyKey,     // reg: names no key
    BadNumber,    // >= without a value name, or not a decimal DWORD
};

struct WindowsVersion {
    uint32_t major, minor, build;
};

// One condition as written. Its texts lie in the text that was parsed,
// which the parser cuts with terminators where a key or value name ends.
struct Condition {
    ConditionKind kind;
    bool negated;
    bool comparesNumber;         // reg: with >=N
    Machine machine;
    RegistryRoot root;
    WindowsVersion version;
    uint32_t atLeast;            // N of >=N
    const char* path;            // exists: the path; reg: the key below its root
    const char* valueName;       // reg: after '@' (empty: the key's default value), or null
};

// Parses one condition, a terminated text without blanks at its ends.
// The text is cut in place (see Condition).
ConditionError ParseCondition(char* text, Condition* out);

// Cuts the first condition off `*rest` (up to the next ';', which becomes a
// terminator) and gives it without its surrounding blanks; *rest then points
// at what follows, or is null after the last one. The condition may be empty.
char* CutCondition(char** rest);

// Whether a is the same version as b or a later one.
bool VersionAtLeast(const WindowsVersion& a, const WindowsVersion& b);

// Whether the condition, read without its '!', is true for a system of that
// version and machine (kinds WindowsAtLeast, WindowsBelow and Arch).
bool SystemConditionHolds(const Condition& condition, const WindowsVersion& running, Machine machine);

// True when `path` names a drive or starts at a root (C:\x, \\server\x, \x):
// exists: puts the launcher's folder in front of every other path.
bool IsRootedPath(const char* path);

// The names of the 64-bit system's own folders, for a 32-bit program under
// WoW64, whose %ProgramFiles% and %CommonProgramFiles% name the 32-bit ones:
// each of these two references in `path` (any letter case) becomes
// %ProgramW6432% or %CommonProgramW6432%, in place (the same length).
void NameNativeFolders(char* path);

// How the launcher decides a whole ShowIf value, which it cuts in place:
// shown unless every condition is well formed and one of them fails. `test`
// tells whether a condition, read without its '!', is true; once one has
// failed no other is put to the system, so a registry condition after a
// failed one costs nothing. A value with no condition holds.
using ConditionTest = bool (*)(const Condition&);
bool ConditionsHold(char* value, ConditionTest test);

}  // namespace setupmenu
