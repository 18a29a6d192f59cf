// See locate.h.
#include "startup/locate.h"

#include <cstdlib>
#include <cstring>

#include "config/file_encoding.h"
#include "config/profile.h"
#include "startup/bounded_format.h"
#include "startup/program_paths.h"
#include "startup/setup_state.h"

namespace setupmenu {
namespace {

constexpr DWORD kModuleNameLimit = 512;

// The text after the last backslash, or the whole text.
const wchar_t* FileNameOf(const wchar_t* path) {
    const wchar_t* name = path;
    for (; *path; ++path) {
        if (*path == L'\\') name = path + 1;
    }
    return name;
}

}  // namespace

bool AnsiTextOf(const wchar_t* text, char* out) {
    // A UTF-8 code page holds every character and takes neither the flag nor the question.
    BOOL lossy = FALSE;
    BOOL* ask = GetACP() == CP_UTF8 ? nullptr : &lossy;
    const int written =
        WideCharToMultiByte(CP_ACP, ask ? WC_NO_BEST_FIT_CHARS : 0, text, -1, out, kModuleNameLimit, nullptr, ask);
    if (written <= 0) out[0] = '\0';
    return written > 0 && !lossy;
}

bool AnsiPathOf(const wchar_t* path, char* out) {
    if (AnsiTextOf(path, out)) return true;
    wchar_t shortPath[kModuleNameLimit];
    const DWORD shortLength = GetShortPathNameW(path, shortPath, kModuleNameLimit);
    if (shortLength > 0 && shortLength < kModuleNameLimit) {
        // The short folder keeps the long file name when the code page holds
        // it: the configuration file is named after it.
        wchar_t joined[kModuleNameLimit];
        const size_t folder = static_cast<size_t>(FileNameOf(shortPath) - shortPath);
        const wchar_t* name = FileNameOf(path);
        size_t nameLength = 0;
        while (name[nameLength]) ++nameLength;
        if (folder + nameLength < kModuleNameLimit) {
            std::memcpy(joined, shortPath, folder * sizeof(wchar_t));
            std::memcpy(joined + folder, name, (nameLength + 1) * sizeof(wchar_t));
            if (AnsiTextOf(joined, out)) return true;
        }
        if (AnsiTextOf(shortPath, out)) return true;
    }
    AnsiTextOf(path, out);
    return false;
}

void LocateProgram() {
    wchar_t path[kModuleNameLimit];
    const DWORD length = GetModuleFileNameW(nullptr, path, kModuleNameLimit);
    // A name that filled the whole request may have been cut; splitting it
    // could name another directory, so it counts as not obtained. A name the
    // code page cannot hold goes on as the ANSI calls would give it.
    if (length == 0 || length >= kModuleNameLimit) path[0] = L'\0';
    AnsiPathOf(path, g_state.szProgramDir);
    if (!g_state.szProgramDir[0]) return;
    SplitModulePath(g_state.szProgramDir, g_state.szExeName, sizeof g_state.szExeName);
    SetCurrentDirectoryA(g_state.szProgramDir);
}

bool LocateConfigFile(const char* tail) {
    return BuildConfigPath(g_state.szIniPath, sizeof g_state.szIniPath, g_state.szProgramDir,
                           g_state.szExeName, tail);
}

bool HasVersionMark() { return g_state.szIniPath[0] != '\0' && ReadSetting("Version", "Release") != 0; }

void RefuseConfigFile(const char* tail) {
    // The scratch line: nothing else uses it this early, and a buffer of this
    // size on the stack would need stack probes.
    char* text = g_state.szMessage;
    constexpr size_t kTextChars = sizeof g_state.szMessage;
    if (g_state.szIniPath[0] != '\0') {
        FormatBounded(text, kTextChars, "INVALID INI FILE: '%s' ", g_state.szIniPath);
    } else {
        // The path was too long to compose: name what was asked for (display only).
        FormatBounded(text, kTextChars, "INVALID INI FILE: '%s%s' ", g_state.szProgramDir, tail);
    }
    char caption[kPathChars + 32];
    FormatBounded(caption, sizeof caption, "%s SETUP ERROR!", g_state.szExeName);
    CloseConfigFile();
    MessageBoxA(nullptr, text, caption, MB_OK);
    std::exit(1);
}

}  // namespace setupmenu
