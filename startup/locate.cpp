// See locate.h.
#include "startup/locate.h"

#include <cstdlib>
#include <cstring>

#include "config/profile.h"
#include "startup/bounded_format.h"
#include "startup/program_paths.h"
#include "startup/setup_state.h"

namespace setupmenu {
namespace {

constexpr DWORD kModuleNameLimit = 512;

}  // namespace

void LocateProgram() {
    const DWORD length = GetModuleFileNameA(nullptr, g_state.szProgramDir, kModuleNameLimit);
    // A name that filled the whole request may have been cut; splitting it
    // could name another directory, so it counts as not obtained.
    if (length == 0 || length >= kModuleNameLimit) {
        g_state.szProgramDir[0] = '\0';
        return;
    }
    SplitModulePath(g_state.szProgramDir, g_state.szExeName, sizeof g_state.szExeName);
    SetCurrentDirectoryA(g_state.szProgramDir);
}

bool LocateConfigFile(const char* tail) {
    return BuildConfigPath(g_state.szIniPath, sizeof g_state.szIniPath, g_state.szProgramDir,
                           g_state.szExeName, tail);
}

bool HasVersionMark() { return g_state.szIniPath[0] != '\0' && ReadSetting("Version", "Release") != 0; }

void RefuseConfigFile(const char* tail) {
    char text[kValueChars];
    if (g_state.szIniPath[0] != '\0') {
        FormatBounded(text, sizeof text, "INVALID INI FILE: '%s' ", g_state.szIniPath);
    } else {
        // The path was too long to compose: name what was asked for (display only).
        FormatBounded(text, sizeof text, "INVALID INI FILE: '%s%s' ", g_state.szProgramDir, tail);
    }
    char caption[kPathChars + 32];
    FormatBounded(caption, sizeof caption, "%s SETUP ERROR!", g_state.szExeName);
    MessageBoxA(nullptr, text, caption, MB_OK);
    std::exit(1);
}

}  // namespace setupmenu
