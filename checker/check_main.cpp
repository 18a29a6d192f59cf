// The configuration checker: reads a media folder's configuration file with
// the launcher's own code and tells, line by line, what the launcher would
// make of it and what it would silently ignore; then the media folder's
// autorun.inf, when it has one.
//
//   SetupMenuCheck [--name NAME] [--disc] MEDIA_FOLDER [CONFIG]
//   SetupMenuCheck --watch [--language TAG] [--assume CONDITIONS] [--name NAME] MEDIA_FOLDER [CONFIG]
//
// Exit status: 0 clean, 1 warnings, 2 the launcher would refuse the file (or
// the one autorun.inf starts it with; with --disc also an autorun.inf that
// does not start the launcher), 3 the checker could not run (bad arguments,
// no such folder).
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <cwchar>

#include "checker/check_autorun.h"
#include "checker/check_config.h"
#include "checker/report.h"
#include "checker/watch.h"
#include "config/file_encoding.h"
#include "config/text_rules.h"
#include "startup/dll_search_lock.h"
#include "startup/locate.h"
#include "startup/setup_state.h"

namespace setupmenu {
namespace check {
namespace {

constexpr int kClean = 0;
constexpr int kWarnings = 1;
constexpr int kRefused = 2;
constexpr int kCannotRun = 3;

void PrintUsage() {
    std::printf(
        "usage: SetupMenuCheck [--name NAME] [--disc] MEDIA_FOLDER [CONFIG]\n"
        "       SetupMenuCheck --watch [--language TAG] [--assume CONDITIONS]\n"
        "                      [--name NAME] MEDIA_FOLDER [CONFIG]\n"
        "\n"
        "Checks the launcher's configuration file in MEDIA_FOLDER as the launcher\n"
        "placed there would read it, and the folder's autorun.inf when it has one.\n"
        "\n"
        "  MEDIA_FOLDER  the folder that holds the launcher, its configuration\n"
        "                file and the files that the configuration names\n"
        "  CONFIG        the configuration name the launcher is given on its\n"
        "                command line (one argument; as the launcher's command\n"
        "                tail: relative to MEDIA_FOLDER, .INI added when it has\n"
        "                no extension); without it, the launcher's base name\n"
        "                followed by .INI\n"
        "  --name NAME   the launcher's file name or base name (Setup.exe or\n"
        "                Setup); without it, the program in MEDIA_FOLDER that\n"
        "                has a configuration file of its own name\n"
        "  --disc        the media are bound for a disc: also warn about what\n"
        "                cannot work there (Debug=On in the file or in any of\n"
        "                its language files), and refuse an autorun.inf that\n"
        "                starts a missing file or another program\n"
        "  --watch       show the menu as the launcher would, in a window, and\n"
        "                build it again whenever a file it reads is saved;\n"
        "                a click starts nothing but says what would start\n"
        "  --language TAG\n"
        "                with --watch: the file a user of that language gets\n"
        "  --assume CONDITIONS\n"
        "                with --watch: every ShowIf as on a machine where these\n"
        "                hold (arch=x86;windows<6.2)\n"
        "\n"
        "exit status: 0 clean, 1 warnings, 2 the launcher would refuse the file\n"
        "(or the one autorun.inf starts it with), 3 the checker could not run\n");
}

bool FileExists(const char* path) {
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Says that an argument cannot be used through the ANSI calls the launcher
// makes; `text` is its ANSI form, '?' standing for what the code page lacks.
void ReportUnwritable(const char* what, const char* text, const char* consequence) {
    std::fprintf(stderr, "SetupMenuCheck: the %s %s holds characters that the ANSI code page %u cannot hold%s\n",
                 what, text, GetACP(), consequence);
}

// The media folder, full and with its trailing backslash, as the launcher's
// directory: in the ANSI form the launcher takes, its short form when the
// code page cannot hold its name.
bool SetMediaFolder(const wchar_t* folder) {
    wchar_t full[kPathChars];
    const DWORD length = GetFullPathNameW(folder, kPathChars - 1, full, nullptr);
    if (length == 0 || length >= kPathChars - 2) {
        std::fprintf(stderr, "SetupMenuCheck: cannot use the folder name %ls\n", folder);
        return false;
    }
    const DWORD attributes = GetFileAttributesW(full);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        std::fprintf(stderr, "SetupMenuCheck: %ls is not a folder\n", full);
        return false;
    }
    if (full[length - 1] != L'\\') {
        full[length] = L'\\';
        full[length + 1] = L'\0';
    }
    if (!AnsiPathOf(full, g_state.szProgramDir)) {
        ReportUnwritable("folder", g_state.szProgramDir, ", and it has no short name: the launcher cannot run there");
        return false;
    }
    return true;
}

// An argument in the ANSI code page, as the launcher would get it; nullptr,
// after saying so, when the code page cannot hold it.
const char* AnsiArgument(const char* what, const wchar_t* text, char* out) {
    if (AnsiTextOf(text, out)) return out;
    ReportUnwritable(what, out, ": the launcher would read them as '?'");
    return nullptr;
}

// A file name without its extension, cut at the last '.' as the launcher cuts its own.
void CopyBaseName(const char* file, char* out, size_t capacity) {
    std::snprintf(out, capacity, "%s", file);
    if (char* dot = std::strrchr(out, '.')) *dot = '\0';
}

struct FolderFiles {
    int count;                 // files that match the pattern
    int withConfig;            // of those, files with a configuration file of their base name
    char first[MAX_PATH];      // the first file found
    char firstWithConfig[MAX_PATH];
};

FolderFiles ListFiles(const char* pattern) {
    FolderFiles files = {};
    char path[kPathChars + 8];
    std::snprintf(path, sizeof path, "%s%s", g_state.szProgramDir, pattern);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE) return files;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        if (files.count++ == 0) std::snprintf(files.first, sizeof files.first, "%s", found.cFileName);
        char base[MAX_PATH];
        char config[kPathChars + MAX_PATH + 8];
        CopyBaseName(found.cFileName, base, sizeof base);
        std::snprintf(config, sizeof config, "%s%s.INI", g_state.szProgramDir, base);
        if (FileExists(config) && files.withConfig++ == 0) {
            std::snprintf(files.firstWithConfig, sizeof files.firstWithConfig, "%s", found.cFileName);
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return files;
}

// The launcher's base name: given; or the one program in the media folder
// that has a configuration file of its own name; or the one program; or the
// one configuration file. `source` tells where it came from.
bool FindLauncherName(const char* given, char* source, size_t capacity) {
    if (given) {
        char name[kPathChars];
        std::snprintf(name, sizeof name, "%s", given);
        const size_t length = std::strlen(name);
        if (length > 4 && EqualsNoCase(std::string_view(name + length - 4), ".exe")) name[length - 4] = '\0';
        std::memcpy(g_state.szExeName, name, std::strlen(name) + 1);
        std::snprintf(source, capacity, "given with --name");
        return true;
    }
    const FolderFiles programs = ListFiles("*.exe");
    const char* chosen = nullptr;
    const char* note = "";
    if (programs.withConfig == 1) {
        chosen = programs.firstWithConfig;
    } else if (programs.withConfig == 0 && programs.count == 1) {
        chosen = programs.first;
    } else if (programs.count == 0) {
        const FolderFiles configs = ListFiles("*.ini");
        if (configs.count == 1) {
            chosen = configs.first;
            note = "; no launcher program in the folder";
        }
    }
    if (!chosen) {
        std::fprintf(stderr,
                     "SetupMenuCheck: cannot tell which program in %s is the launcher; give its name with --name\n",
                     g_state.szProgramDir);
        return false;
    }
    CopyBaseName(chosen, g_state.szExeName, sizeof g_state.szExeName);
    std::snprintf(source, capacity, "from %s%s", chosen, note);
    return true;
}

const char* g_tail = "";
char g_source[MAX_PATH + 64];
bool g_forDisc;  // --disc

// The report on the file in szIniPath, which a watch gives again after every change.
int Report() {
    ResetWarnings();
    PrintLine("media folder: %s", g_state.szProgramDir);
    PrintLine("launcher: %s (%s)", g_state.szExeName, g_source);
    if (g_tail[0]) PrintLine("command tail: \"%s\"", g_tail);
    PrintLine("configuration file: %s", g_state.szIniPath[0] ? g_state.szIniPath : "(path too long)");
    // From here on, the texts are those of the file's encoding; the file stays
    // open for a watch's menu, and wmain closes it.
    const TextEncoding encoding = OpenConfigFile();
    if (g_state.szIniPath[0]) PrintEncoding(encoding);
    if (!CheckVersionMark()) {
        PrintLine("result: refused");
        std::fflush(stdout);
        return kRefused;
    }
    PrintLine("version mark: [Version] Release gives a value: the launcher accepts the file");
    CheckConfiguration();
    if (g_forDisc) CheckForDisc();
    const char* autorunRefused = CheckAutorun(g_forDisc);
    const int warnings = WarningCount();
    int status = warnings == 0 ? kClean : kWarnings;
    if (autorunRefused) {
        // Inserting the medium would not show the menu: as bad as refusing the file itself.
        PrintLine("result: refused: %s", autorunRefused);
        status = kRefused;
    } else if (warnings == 0) {
        PrintLine("result: clean");
    } else {
        PrintLine("result: %d warning%s", warnings, warnings == 1 ? "" : "s");
    }
    std::fflush(stdout);
    return status;
}

int Run(int argc, wchar_t** argv) {
    const wchar_t* name = nullptr;
    const wchar_t* language = nullptr;
    const wchar_t* assume = nullptr;
    bool watch = false;
    const wchar_t* positional[2] = {nullptr, nullptr};
    int positionals = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::wcscmp(argv[i], L"--help") == 0 || std::wcscmp(argv[i], L"-h") == 0 || std::wcscmp(argv[i], L"/?") == 0) {
            PrintUsage();
            return kClean;
        }
        if (std::wcscmp(argv[i], L"--name") == 0 && i + 1 < argc) {
            name = argv[++i];
        } else if (std::wcscmp(argv[i], L"--disc") == 0) {
            g_forDisc = true;
        } else if (std::wcscmp(argv[i], L"--watch") == 0) {
            watch = true;
        } else if (std::wcscmp(argv[i], L"--language") == 0 && i + 1 < argc) {
            language = argv[++i];
        } else if (std::wcscmp(argv[i], L"--assume") == 0 && i + 1 < argc) {
            assume = argv[++i];
        } else if (std::wcsncmp(argv[i], L"--", 2) == 0 || positionals == 2) {
            PrintUsage();
            return kCannotRun;
        } else {
            positional[positionals++] = argv[i];
        }
    }
    if (positionals == 0 || ((language || assume) && !watch)) {
        PrintUsage();
        return kCannotRun;
    }
    if (!SetMediaFolder(positional[0])) return kCannotRun;
    char nameText[kPathChars];
    char tailText[kPathChars];
    const char* given = name ? AnsiArgument("launcher name", name, nameText) : nullptr;
    const char* tail = positional[1] ? AnsiArgument("configuration name", positional[1], tailText) : "";
    if ((name && !given) || !tail) return kCannotRun;
    char languageText[kPathChars];
    char assumeText[kPathChars];
    const char* tag = language ? AnsiArgument("language", language, languageText) : nullptr;
    const char* conditions = assume ? AnsiArgument("assumed conditions", assume, assumeText) : nullptr;
    if ((language && !tag) || (assume && !conditions)) return kCannotRun;
    if (!FindLauncherName(given, g_source, sizeof g_source)) return kCannotRun;
    // As the launcher: its own folder is the current one for the whole run.
    SetCurrentDirectoryA(g_state.szProgramDir);
    g_tail = tail;
    if (watch) return RunWatch(WatchOptions{tail, tag, conditions, Report});
    LocateConfigFile(tail);
    return Report();
}

}  // namespace
}  // namespace check
}  // namespace setupmenu

// Wide: the arguments arrive whole whatever the code page (see SetMediaFolder).
int wmain(int argc, wchar_t** argv) {
    // First of all, as in the launcher: nothing may load a library before the search is locked.
    setupmenu::LockDllSearchToSystemFolder();
    const int status = setupmenu::check::Run(argc, argv);
    setupmenu::CloseConfigFile();
    std::fflush(stdout);
    return status;
}
