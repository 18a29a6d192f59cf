// See condition_checks.h.
#include "config/condition_checks.h"

#include <windows.h>

#include "config/file_encoding.h"
#include "config/file_exists.h"
#include "config/text_rules.h"
#include "startup/setup_state.h"
#include "startup/system_library.h"

namespace setupmenu {
namespace {

using RtlGetVersionProc = LONG(WINAPI*)(OSVERSIONINFOW*);
using IsWow64Process2Proc = BOOL(WINAPI*)(HANDLE, USHORT*, USHORT*);
using GetNativeSystemInfoProc = void(WINAPI*)(SYSTEM_INFO*);
using RegOpenKeyExAProc = LONG(WINAPI*)(HKEY, const char*, DWORD, REGSAM, HKEY*);
using RegQueryValueExAProc = LONG(WINAPI*)(HKEY, const char*, DWORD*, DWORD*, BYTE*, DWORD*);
using RegCloseKeyProc = LONG(WINAPI*)(HKEY);
using IsWow64ProcessProc = BOOL(WINAPI*)(HANDLE, BOOL*);
using Wow64DisableRedirectionProc = BOOL(WINAPI*)(void**);
using Wow64RevertRedirectionProc = BOOL(WINAPI*)(void*);

// Processor architectures of GetNativeSystemInfo (PROCESSOR_ARCHITECTURE_*).
constexpr WORD kProcessorAmd64 = 9;
constexpr WORD kProcessorArm64 = 12;

// The 64-bit view of the registry, where installers register
// (KEY_WOW64_64KEY). Systems older than the flag refuse it, so it is passed
// only under WoW64, which they never have.
constexpr REGSAM kView64 = 0x0100;

// True for the 32-bit launcher on 64-bit Windows: there the conditions look
// at the system as a 64-bit program sees it, since that is where 64-bit
// products install. IsWow64Process is looked up: systems without it have no
// WoW64.
bool UnderWow64() {
    if (sizeof(void*) == 8) return false;
    BOOL wow64 = FALSE;
    const auto isWow64 = FindEntry<IsWow64ProcessProc>(GetModuleHandleA("kernel32"), "IsWow64Process");
    return isWow64 && isWow64(reinterpret_cast<HANDLE>(-1), &wow64) && wow64;
}

// A relative path is taken from the launcher's folder, after %VARIABLE%
// references are expanded. Under WoW64, %ProgramFiles% and
// %CommonProgramFiles% name the 64-bit folders (their W6432 twins exist from
// Windows 7 on) and System32 is not redirected to SysWOW64.
bool PathExists(char* written) {
    char expanded[kPathChars], path[kPathChars];
    const bool wow64 = UnderWow64();
    if (wow64 && GetEnvironmentVariableA("ProgramW6432", nullptr, 0)) NameNativeFolders(written);
    const DWORD length = ExpandEnvironmentStringsA(written, expanded, sizeof expanded);
    if (length == 0 || length > sizeof expanded) return false;
    if (!ComposeNativePath(path, IsRootedPath(expanded) ? "" : g_state.szProgramDir, expanded)) return false;
    // Redirection is off for this one open only: with it off, a library
    // loaded by the thread would come from the wrong folder.
    const HMODULE kernel = GetModuleHandleA("kernel32");
    const auto disable = FindEntry<Wow64DisableRedirectionProc>(kernel, "Wow64DisableWow64FsRedirection");
    const auto revert = FindEntry<Wow64RevertRedirectionProc>(kernel, "Wow64RevertWow64FsRedirection");
    void* saved = nullptr;
    const bool off = wow64 && disable && revert && disable(&saved);
    const bool found = FileExists(path, kFileOrFolder);
    if (off) revert(saved);
    return found;
}

bool RegistryHolds(const Condition& c) {
    const HMODULE advapi = LoadSystemLibrary("advapi32");  // .dll is added
    const auto open = FindEntry<RegOpenKeyExAProc>(advapi, "RegOpenKeyExA");
    const auto query = FindEntry<RegQueryValueExAProc>(advapi, "RegQueryValueExA");
    const auto close = FindEntry<RegCloseKeyProc>(advapi, "RegCloseKey");
    if (!open || !query || !close) return false;
    // HKEY_CLASSES_ROOT, HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE are
    // 0x80000000, ...01 and ...02, sign-extended in a 64-bit program.
    const LONG rootValue = static_cast<LONG>(0x80000000u + static_cast<unsigned>(c.root));
    const HKEY root = reinterpret_cast<HKEY>(static_cast<LONG_PTR>(rootValue));
    HKEY key;
    if (open(root, c.path, 0, KEY_QUERY_VALUE | (UnderWow64() ? kView64 : 0), &key) != ERROR_SUCCESS) return false;
    DWORD type = 0, number = 0, size = sizeof number;
    // A value larger than a DWORD exists as well: it only does not fit.
    const LONG result = c.valueName ? query(key, c.valueName, nullptr, &type, reinterpret_cast<BYTE*>(&number), &size)
                                    : ERROR_SUCCESS;
    close(key);
    if (c.comparesNumber) return result == ERROR_SUCCESS && type == REG_DWORD && number >= c.atLeast;
    return result == ERROR_SUCCESS || result == ERROR_MORE_DATA;
}

}  // namespace

WindowsVersion RunningWindowsVersion() {
    OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof info;
    const auto getVersion = FindEntry<RtlGetVersionProc>(GetModuleHandleA("ntdll"), "RtlGetVersion");
    if (getVersion) getVersion(&info);
    return WindowsVersion{info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber};
}

Machine NativeMachine() {
    // Only IsWow64Process2 tells an x86 or x64 program on ARM where it is;
    // systems before it run on the machines GetNativeSystemInfo names.
    const HMODULE kernel = GetModuleHandleA("kernel32");
    const auto machines = FindEntry<IsWow64Process2Proc>(kernel, "IsWow64Process2");
    USHORT process, native;
    // The handle -1 is the process itself.
    if (machines && machines(reinterpret_cast<HANDLE>(-1), &process, &native)) return static_cast<Machine>(native);
    // GetNativeSystemInfo came with Windows XP and is looked up so that the
    // launcher still starts on Windows 2000, where no program runs under
    // WOW64 and GetSystemInfo names the machine itself.
    SYSTEM_INFO info;
    const auto nativeInfo = FindEntry<GetNativeSystemInfoProc>(kernel, "GetNativeSystemInfo");
    (nativeInfo ? nativeInfo : GetSystemInfo)(&info);
    if (info.wProcessorArchitecture == kProcessorAmd64) return Machine::X64;
    if (info.wProcessorArchitecture == kProcessorArm64) return Machine::Arm64;
    return info.wProcessorArchitecture == 0 ? Machine::X86 : Machine::Other;
}

bool ConditionIsTrue(const Condition& condition) {
    // The path lies in the value being decided, the launcher's own copy,
    // which the parser has already cut in place.
    if (condition.kind == ConditionKind::Exists) return PathExists(const_cast<char*>(condition.path));
    if (condition.kind == ConditionKind::Registry) return RegistryHolds(condition);
    return SystemConditionHolds(condition, RunningWindowsVersion(), NativeMachine());
}

}  // namespace setupmenu
