// See watch.h. The menu is the launcher's own: its loaders fill the record
// and its dialog procedure lays the dialog out and runs hover and keyboard;
// this file only stands between that procedure and the commands, so that a
// click says what it would start instead of starting it.
#include "checker/watch.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "checker/check_config.h"
#include "checker/known_keys.h"
#include "checker/report.h"
#include "checker/watch_rules.h"
#include "config/condition_checks.h"
#include "config/file_encoding.h"
#include "config/file_exists.h"
#include "config/language_tags.h"
#include "config/loaders.h"
#include "config/profile.h"
#include "config/text_rules.h"
#include "resources/resource_ids.h"
#include "startup/language_file.h"
#include "startup/locate.h"
#include "startup/setup_state.h"
#include "startup/teardown.h"
#include "ui/shown_text.h"
#include "ui/launch_policy.h"
#include "ui/menu_dialog.h"

namespace setupmenu {
namespace check {
namespace {

constexpr UINT_PTR kPollTimer = 0x5057;  // the dialog's own; hover timers belong to the controls
constexpr UINT kPollMilliseconds = 250;  // a save shows within two polls
constexpr INT_PTR kRebuild = 0x5742;
constexpr int kCannotRun = 3;

const WatchOptions* g_options;
char g_assumeText[kValueChars];
Assumptions g_assumed;
WatchList g_watch;
char g_title[kValueChars];    // the caption as the launcher sets it
char g_caption[kValueChars];  // the caption shown now
POINT g_corner;               // where the author left the window
bool g_placed;

void Flush() { std::fflush(stdout); }

FileStamp StampOf(const char* path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path, GetFileExInfoStandard, &data)) return FileStamp{};
    return FileStamp{true, (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow,
                     (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                         data.ftLastWriteTime.dwLowDateTime};
}

void Watch(const char* path) { AddWatchedFile(&g_watch, path, StampOf(path)); }

// The file of the language given with --language, as the launcher would
// choose it for a user of that language.
bool ChooseLanguageFor(const char* tag) {
    if (!ReadSetting("Main", "Languages")) return false;
    char path[kPathChars];
    const char* picked = PickLanguage(g_state.szValue, tag);
    if (!picked || !BuildLanguagePath(path, sizeof path, g_state.szIniPath, picked) || !FileExists(path)) return false;
    std::memcpy(g_state.szIniPath, path, sizeof path);
    return true;
}

// The files the launcher would read, in szIniPath, and the watch list for
// them: the configuration file, the language file and every picture named.
// True when the launcher accepts them.
bool ChooseFiles() {
    g_watch = WatchList{};
    if (!LocateConfigFile(g_options->tail)) return false;
    Watch(g_state.szIniPath);
    OpenConfigFile();
    if (!HasVersionMark()) return false;
    if (g_options->language ? ChooseLanguageFor(g_options->language) : ChooseLanguageFile()) {
        Watch(g_state.szIniPath);
        OpenConfigFile();
        if (!HasVersionMark()) return false;
    }
    for (const SectionInfo& section : kSections) {
        for (const KeyInfo& key : kKeys) {
            if (key.family != section.family || key.kind != ValueKind::Bitmap) continue;
            char path[kPathChars];
            if (ReadSetting(section.name.data(), key.key.data()) &&
                ComposePath(path, sizeof path, g_state.szProgramDir, g_state.szValue)) {
                Watch(path);
            }
        }
    }
    return true;
}

// A watched file that another program holds open for writing, or null.
const char* FileBeingWritten() {
    for (size_t i = 0; i < g_watch.count; ++i) {
        HANDLE file = CreateFileA(g_watch.paths[i], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
        else if (GetLastError() == ERROR_SHARING_VIOLATION) return g_watch.paths[i];
    }
    return nullptr;
}

bool AssumedTest(const Condition& condition) {
    const Truth truth = AssumedTruth(g_assumed, condition);
    return truth == Truth::Unknown ? ConditionIsTrue(condition) : truth == Truth::True;
}

// A button's ShowIf decided again, as the loader decides it, for the machine of --assume.
void ApplyAssumptions() {
    for (int n = 1; n <= kButtonCount; ++n) {
        char section[16];
        std::snprintf(section, sizeof section, "Button%d", n);
        if (!ReadSetting(section, "ShowIf")) continue;
        ButtonInfo& button = g_state.buttons[n - 1];
        button.bVisible = ConditionsHold(g_state.szValue, AssumedTest) && (button.pszText || button.hbmImage);
        PrintLine("preview: [%s] on the machine assumed: %s", section, button.bVisible ? "shown" : "not shown");
    }
}

// Prints the report and, when the launcher accepts the files, loads the menu.
bool Build() {
    const bool accepted = ChooseFiles();
    if (g_options->language) PrintLine("preview: language %s: %s", g_options->language, g_state.szIniPath);
    g_options->report();
    if (!accepted) {
        PrintLine("preview: no menu until the file is saved with its version mark");
        Flush();
        return false;
    }
    LoadSplashSettings();
    LoadMainSettings();
    LoadAllButtonSettings();
    if (g_options->assume) ApplyAssumptions();
    PrintLine("preview: menu built; watching %u file%s", static_cast<unsigned>(g_watch.count),
              g_watch.count == 1 ? "" : "s");
    Flush();
    return true;
}

void Unload() {
    DeleteLoadedBrushes();
    FreeAllResources();
    g_state.bHovering = FALSE;
    g_state.hwndShownSel = nullptr;
    g_state.hwndSelection = nullptr;
    g_state.bFocusCues = FALSE;
}

// One poll: true once a complete change has been seen.
bool ChangeComplete() {
    FileStamp now[kMaxWatchedFiles];
    for (size_t i = 0; i < g_watch.count; ++i) now[i] = StampOf(g_watch.paths[i]);
    if (NextWatchAction(&g_watch, now) != WatchAction::Rebuild) return false;
    static bool s_told;  // once per wait, not four times a second
    if (const char* busy = FileBeingWritten()) {
        if (!s_told) PrintLine("preview: %s is still being written: waiting", busy);
        Flush();
        s_told = true;
        g_watch.changing = true;
        return false;
    }
    s_told = false;
    return true;
}

// The pointer's place in the client area, the unit of Position, in the caption.
void ShowPointer(HWND dialog) {
    POINT at;
    RECT client;
    char caption[sizeof g_caption];
    std::memcpy(caption, g_title, sizeof caption);
    if (GetCursorPos(&at) && GetClientRect(dialog, &client)) {
        const HWND under = WindowFromPoint(at);
        ScreenToClient(dialog, &at);
        if (PtInRect(&client, at) && (under == dialog || GetParent(under) == dialog)) {
            char place[40];
            std::snprintf(place, sizeof place, " - pointer at %ld,%ld", static_cast<long>(at.x),
                          static_cast<long>(at.y));
            // The title gives way to the position, which is what the author reads.
            const size_t room = sizeof caption - std::strlen(place) - 1;
            std::snprintf(caption, sizeof caption, "%.*s%s", static_cast<int>(room), g_title, place);
        }
    }
    if (std::strcmp(caption, g_caption) == 0) return;
    std::memcpy(g_caption, caption, sizeof caption);
    ShowText(dialog, caption);  // in the file's encoding, as the launcher shows its title
}

void OnPoll(HWND dialog) {
    ShowPointer(dialog);
    if (!ChangeComplete()) return;
    char shown[kPathChars];
    std::memcpy(shown, g_state.szIniPath, sizeof shown);
    if (!ChooseFiles()) {
        // The menu on screen stays; its clicks go on reading the file it came from.
        g_options->report();
        PrintLine("preview: the menu on screen stays as it was last built");
        Flush();
        std::memcpy(g_state.szIniPath, shown, sizeof shown);
        OpenConfigFile();
        return;
    }
    RECT window;
    g_placed = GetWindowRect(dialog, &window) != FALSE;
    g_corner = POINT{window.left, window.top};
    EndDialog(dialog, kRebuild);
}

// What a click on button n would do, as LaunchButtonCommand decides it.
void DescribeClick(int n) {
    const ButtonInfo& button = g_state.buttons[n - 1];
    char section[16];
    std::snprintf(section, sizeof section, "Button%d", n);
    char target[kValueChars] = "";
    if (!button.pszCommand) {
        if (!ReadSetting(section, "Open")) {
            PrintLine("click: [%s]: the launcher shows \"No installation command to execute!\" (Setup Error!)", section);
            return;
        }
        std::memcpy(target, g_state.szValue, sizeof target);
    }
    if (button.pszLabel) {
        PrintLine("click: [%s]: the launcher asks \"Install Application?\" under the caption \"%s\"; after OK:", section,
                  button.pszLabel);
    }
    const char* failure = nullptr;
    char folder[kPathChars];
    std::memcpy(folder, g_state.szProgramDir, sizeof folder);
    if (ReadSetting(section, "StartIn")) {
        if (!ComposePath(folder, sizeof folder, g_state.szProgramDir, g_state.szValue)) failure = "StartIn is too long";
        else if (const DWORD a = GetFileAttributesA(folder); a == INVALID_FILE_ATTRIBUTES || !(a & FILE_ATTRIBUTE_DIRECTORY)) {
            failure = "no StartIn folder";
        }
    }
    char arguments[kValueChars] = "";
    if (ReadSetting(section, "Arguments")) std::memcpy(arguments, g_state.szValue, sizeof arguments);
    char file[kPathChars];
    if (button.pszCommand) {
        if (!FileExists(button.pszCommand)) failure = failure ? failure : "no such program";
        PrintLine("click: [%s]: the launcher starts %s with the command line \"%s%s%s%s\" in %s", section,
                  button.pszCommand, arguments[0] ? "\"" : "", arguments[0] ? button.pszCommand : "",
                  arguments[0] ? "\" " : "", arguments, folder);
    } else {
        const OpenTarget kind = ClassifyOpenTarget(target);
        const char* opened = target;  // an address as it stands
        if (kind == OpenTarget::Refused) failure = failure ? failure : "an address of a scheme it does not open";
        if (kind == OpenTarget::File) {
            opened = file;
            if (!ComposePath(file, sizeof file, g_state.szProgramDir, target)) opened = target;
            if (opened == target || !FileExists(file)) failure = failure ? failure : "no such document";
        }
        PrintLine("click: [%s]: the launcher opens %s%s%s in %s", section, opened, arguments[0] ? " with " : "",
                  arguments, folder);
    }
    if (failure) {
        PrintLine("click: [%s]: %s: the launcher shows \"Unable to execute installation command!\" (Setup Error!)",
                  section, failure);
    } else if (g_state.bExitOnLaunch) {
        PrintLine("click: [%s]: then the menu ends (Main Exit=ON)", section);
    }
}

bool OnCommand(WORD id) {
    switch (id) {
        case IDC_BUTTON1_TEXT: DescribeClick(1); break;
        case IDC_BUTTON2_TEXT: DescribeClick(2); break;
        case IDC_BUTTON3_TEXT: DescribeClick(3); break;
        case IDCANCEL:
        case IDC_CANCEL_TEXT: PrintLine("click: [Cancel]: the launcher ends (exit code 0)"); break;
        default: return false;
    }
    PrintLine("preview: nothing started");
    Flush();
    return true;
}

INT_PTR CALLBACK PreviewDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: {
            const INT_PTR result = MenuDlgProc(dialog, message, wParam, lParam);
            // A rebuild keeps the window where the author put it.
            if (g_placed) SetWindowPos(dialog, nullptr, g_corner.x, g_corner.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
            // The title in the file's encoding, as ShowText takes it: the
            // template's own caption when the file gives none.
            if (g_state.main.pszTitle) {
                std::snprintf(g_title, sizeof g_title, "%s", g_state.main.pszTitle);
            } else {
                GetWindowTextA(dialog, g_title, sizeof g_title);
            }
            std::memcpy(g_caption, g_title, sizeof g_caption);
            SetTimer(dialog, kPollTimer, kPollMilliseconds, nullptr);
            return result;
        }
        case WM_TIMER:
            if (wParam != kPollTimer) break;
            OnPoll(dialog);
            return TRUE;
        case WM_CLOSE:
            EndDialog(dialog, IDCLOSE);
            return TRUE;
        case WM_COMMAND:
            if (OnCommand(LOWORD(wParam))) return TRUE;
            break;
        default:
            break;
    }
    return MenuDlgProc(dialog, message, wParam, lParam);
}

}  // namespace

int RunWatch(const WatchOptions& options) {
    g_options = &options;
    const char* usage =
        "usage: SetupMenuCheck --watch [--language TAG] [--assume CONDITIONS] [--name NAME] MEDIA_FOLDER [CONFIG]\n";
    if (options.language && !IsLanguageTag(options.language)) {
        std::fprintf(stderr, "SetupMenuCheck: --language %s: not a language tag (de, pt-BR)\n%s", options.language,
                     usage);
        return kCannotRun;
    }
    if (options.assume) {
        std::snprintf(g_assumeText, sizeof g_assumeText, "%s", options.assume);
        const char* bad = "";
        if (ParseAssumptions(g_assumeText, &g_assumed, &bad) != AssumeError::None) {
            std::fprintf(stderr,
                         "SetupMenuCheck: --assume: \"%s\" does not describe a machine (conditions as in ShowIf: "
                         "arch=x86;windows<6.2;exists:PATH;reg:KEY; no !arch, at most %u exists: and reg:)\n%s",
                         bad, static_cast<unsigned>(kMaxAssumed), usage);
            return kCannotRun;
        }
    }
    g_state.hInstance = GetModuleHandleA(nullptr);
    g_state.hcurNormal = LoadCursorA(g_state.hInstance, MAKEINTRESOURCEA(IDC_CURSOR_NORMAL));
    g_state.hcurHover = LoadCursorA(g_state.hInstance, MAKEINTRESOURCEA(IDC_CURSOR_HOVER));
    PrintLine("preview: close the window or press Ctrl+C to end; a click starts nothing");
    for (;;) {
        if (!Build()) {
            while (!ChangeComplete()) Sleep(kPollMilliseconds);
            continue;
        }
        const INT_PTR result =
            DialogBoxParamW(g_state.hInstance, MAKEINTRESOURCEW(IDD_MENU), nullptr, PreviewDlgProc, 0);
        Unload();
        if (result == kRebuild) continue;
        if (result == -1) {
            std::fprintf(stderr, "SetupMenuCheck: cannot show the menu dialog (error %lu)\n", GetLastError());
            return kCannotRun;
        }
        PrintLine("preview: ended");
        Flush();
        return 0;
    }
}

}  // namespace check
}  // namespace setupmenu
