// See check_autorun.h.
//
// The system reads autorun.inf with the profile calls, so the checker does
// too; what the launcher then makes of its command tail comes from the
// launcher's own code (CutCommandTail, BuildConfigPath, ReadSetting).
#include "checker/check_autorun.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "checker/autorun_rules.h"
#include "checker/report.h"
#include "checker/value_checks.h"
#include "config/file_encoding.h"
#include "config/profile.h"
#include "config/text_rules.h"
#include "startup/program_paths.h"
#include "startup/setup_state.h"

namespace setupmenu {
namespace check {
namespace {

constexpr size_t kEntryChars = 1024;
constexpr size_t kQuoted = 1024;

bool IsAnsiLeadByte(unsigned char byte) { return IsDBCSLeadByte(byte) != FALSE; }

bool IsFile(const char* path) {
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void Quote(std::string_view text, char* out, size_t capacity) { QuoteForDisplay(text, 200, out, capacity); }

// Reads one key of [autorun]; false when it has no value.
bool ReadEntry(const char* file, const char* key, char* out, size_t capacity) {
    return GetPrivateProfileStringA("autorun", key, "", out, static_cast<DWORD>(capacity), file) > 0;
}

// Whether the launcher accepts the configuration at `path`, read as it reads its own.
bool AcceptsConfiguration(const char* path) {
    char kept[kPathChars];
    std::memcpy(kept, g_state.szIniPath, sizeof kept);
    std::snprintf(g_state.szIniPath, sizeof g_state.szIniPath, "%s", path);
    OpenConfigFile();
    const bool accepted = ReadSetting("Version", "Release") != 0;
    std::memcpy(g_state.szIniPath, kept, sizeof kept);
    OpenConfigFile();  // the checked file again
    return accepted;
}

// Why the entry would not show the launcher's menu, or null (see CheckAutorun).
const char* CheckOpen(const char* file, bool forDisc) {
    char value[kEntryChars];
    if (!ReadEntry(file, "open", value, sizeof value)) {
        PrintLine("autorun: no open entry: inserting the medium starts no program");
        return nullptr;
    }
    const OpenCommand command = SplitOpenCommand(value, IsAnsiLeadByte);
    char program[kPathChars + kEntryChars + 8];  // never cut: a cut name could be another file
    std::snprintf(program, sizeof program, "%s%.*s%s", g_state.szProgramDir, static_cast<int>(command.program.size()),
                  command.program.data(), HasExtension(command.program) ? "" : ".exe");
    char quoted[kQuoted];
    Quote(program, quoted, sizeof quoted);
    if (!IsFile(program)) {
        Warn("autorun", "open", "names %s, which is not a file in the media folder: inserting the medium starts "
             "nothing", quoted);
        return forDisc ? "the autorun.inf starts a file that is not in the folder" : nullptr;
    }
    if (!IsLauncherName(command.program, g_state.szExeName)) {
        Warn("autorun", "open", "starts %s, not the launcher %s.exe checked here", quoted, g_state.szExeName);
        return forDisc ? "the autorun.inf starts another program than the launcher" : nullptr;
    }
    char config[kPathChars];
    char tail[kQuoted];
    Quote(command.tail, tail, sizeof tail);
    if (!BuildConfigPath(config, sizeof config, g_state.szProgramDir, g_state.szExeName, command.tail)) {
        Warn("autorun", "open", "gives the launcher the command tail %s, which makes a configuration path longer "
             "than %d characters: the launcher refuses it", tail, kPathChars - 1);
        return "the autorun.inf starts the launcher with a configuration it refuses";
    }
    if (!AcceptsConfiguration(config)) {
        Quote(config, quoted, sizeof quoted);
        Warn("autorun", "open", "starts the launcher %s%s, so it reads %s, which %s: the launcher refuses it "
             "(\"INVALID INI FILE\")",
             command.tail.empty() ? "without a command tail" : "with ", command.tail.empty() ? "" : tail, quoted,
             IsFile(config) ? "has no [Version] Release value" : "does not exist");
        return "the autorun.inf starts the launcher with a configuration it refuses";
    }
    if (EqualsNoCase(config, g_state.szIniPath)) {
        PrintLine("autorun: open starts the launcher with the configuration checked here");
    } else {
        Quote(config, quoted, sizeof quoted);
        PrintLine("autorun: open starts the launcher with %s, which it accepts; check it by giving SetupMenuCheck "
                  "the configuration name %s", quoted, tail);
    }
    return nullptr;
}

void CheckIcon(const char* file) {
    char value[kEntryChars];
    if (!ReadEntry(file, "icon", value, sizeof value)) return;
    const std::string_view name = IconFileOf(value);
    char path[kPathChars + kEntryChars];
    std::snprintf(path, sizeof path, "%s%.*s", g_state.szProgramDir, static_cast<int>(name.size()), name.data());
    if (IsFile(path)) return;
    char quoted[kQuoted];
    Quote(path, quoted, sizeof quoted);
    Warn("autorun", "icon", "names %s, which is not a file in the media folder: the drive shows its standard icon",
         quoted);
}

void CheckLabel(const char* file) {
    char value[kEntryChars];
    if (!ReadEntry(file, "label", value, sizeof value)) return;
    const size_t length = std::strlen(value);
    if (length <= kAutorunLabelLimit) return;
    char shown[kQuoted];
    Quote(std::string_view(value, kAutorunLabelLimit), shown, sizeof shown);
    Warn("autorun", "label", "is %lu characters long: Windows shows only the first %lu, %s",
         static_cast<unsigned long>(length), static_cast<unsigned long>(kAutorunLabelLimit), shown);
}

}  // namespace

const char* CheckAutorun(bool forDisc) {
    char file[kPathChars + 16];
    std::snprintf(file, sizeof file, "%sautorun.inf", g_state.szProgramDir);
    if (!IsFile(file)) {
        PrintLine("autorun: no autorun.inf");
        return nullptr;
    }
    PrintLine("autorun: %s", file);
    const char* refused = CheckOpen(file, forDisc);
    CheckIcon(file);
    CheckLabel(file);
    return refused;
}

}  // namespace check
}  // namespace setupmenu
