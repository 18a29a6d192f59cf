// The configuration checker: reads a media folder's configuration file with
// the launcher's own code and tells, line by line, what the launcher would
// make of it and what it would silently ignore; then the media folder's
// autorun.inf, when it has one.
//
//   SetupMenuCheck [--name NAME] MEDIA_FOLDER [CONFIG]
//
// Exit status: 0 clean, 1 warnings, 2 the launcher would refuse the file,
// 3 the checker could not run (bad arguments, no such folder).
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "checker/check_autorun.h"
#include "checker/check_config.h"
#include "checker/report.h"
#include "config/text_rules.h"
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
        "usage: SetupMenuCheck [--name NAME] MEDIA_FOLDER [CONFIG]\n"
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
        "\n"
        "exit status: 0 clean, 1 warnings, 2 the launcher would refuse the file,\n"
        "3 the checker could not run\n");
}

bool FileExists(const char* path) {
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The media folder, full and with its trailing backslash, as the launcher's directory.
bool SetMediaFolder(const char* folder) {
    char full[kPathChars];
    const DWORD length = GetFullPathNameA(folder, sizeof full, full, nullptr);
    if (length == 0 || length >= sizeof full - 1) {
        std::fprintf(stderr, "SetupMenuCheck: cannot use the folder name %s\n", folder);
        return false;
    }
    const DWORD attributes = GetFileAttributesA(full);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        std::fprintf(stderr, "SetupMenuCheck: %s is not a folder\n", full);
        return false;
    }
    if (full[length - 1] != '\\') {
        full[length] = '\\';
        full[length + 1] = '\0';
    }
    std::memcpy(g_state.szProgramDir, full, std::strlen(full) + 1);
    return true;
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

int Run(int argc, char** argv) {
    const char* name = nullptr;
    const char* positional[2] = {nullptr, nullptr};
    int positionals = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0 || std::strcmp(argv[i], "/?") == 0) {
            PrintUsage();
            return kClean;
        }
        if (std::strcmp(argv[i], "--name") == 0 && i + 1 < argc) {
            name = argv[++i];
        } else if (std::strncmp(argv[i], "--", 2) == 0 || positionals == 2) {
            PrintUsage();
            return kCannotRun;
        } else {
            positional[positionals++] = argv[i];
        }
    }
    if (positionals == 0) {
        PrintUsage();
        return kCannotRun;
    }
    if (!SetMediaFolder(positional[0])) return kCannotRun;
    char source[MAX_PATH + 64];
    if (!FindLauncherName(name, source, sizeof source)) return kCannotRun;
    // As the launcher: its own folder is the current one for the whole run.
    SetCurrentDirectoryA(g_state.szProgramDir);
    const char* tail = positional[1] ? positional[1] : "";
    LocateConfigFile(tail);

    PrintLine("media folder: %s", g_state.szProgramDir);
    PrintLine("launcher: %s (%s)", g_state.szExeName, source);
    if (tail[0]) PrintLine("command tail: \"%s\"", tail);
    PrintLine("configuration file: %s", g_state.szIniPath[0] ? g_state.szIniPath : "(path too long)");
    if (!CheckVersionMark()) {
        PrintLine("result: refused");
        return kRefused;
    }
    PrintLine("version mark: [Version] Release gives a value: the launcher accepts the file");
    CheckConfiguration();
    CheckAutorun();
    const int warnings = WarningCount();
    if (warnings == 0) {
        PrintLine("result: clean");
        return kClean;
    }
    PrintLine("result: %d warning%s", warnings, warnings == 1 ? "" : "s");
    return kWarnings;
}

}  // namespace
}  // namespace check
}  // namespace setupmenu

int main(int argc, char** argv) {
    const int status = setupmenu::check::Run(argc, argv);
    std::fflush(stdout);
    return status;
}
