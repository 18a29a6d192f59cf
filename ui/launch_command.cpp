// Starting a button's installer, or opening its document or address.
#include <windows.h>
// Declarations only: SHELL32 and OLE32 are loaded at run time, never imported.
#include <objbase.h>
#include <shellapi.h>

#include <cstring>

#include "config/file_encoding.h"
#include "config/profile.h"
#include "config/text_rules.h"
#include "diag/debug_log.h"
#include "startup/bounded_format.h"
#include "startup/setup_state.h"
#include "startup/system_library.h"
#include "ui/launch_policy.h"
#include "ui/menu_dialog.h"
#include "ui/shown_text.h"

namespace setupmenu {
namespace {

using ShellExecuteExAProc = BOOL(WINAPI*)(SHELLEXECUTEINFOA*);
using CoInitializeExProc = HRESULT(WINAPI*)(void*, DWORD);

// Hands `file` to the shell: with the verb "runas", a program started again
// after the user's consent to administrator rights; with no verb, a document
// or address opened by its registered program. `directory` null means the
// launcher's current directory. True when the shell started something; false
// when it could not, or when the user declined the consent prompt.
//
// ShellExecuteExA lives in SHELL32, which the launcher does not import (see
// system_library.h). It is never unloaded: the shell may keep threads of its
// own alive after the call.
bool ShellStart(HWND dialog, const char* verb, const char* file, const char* parameters, const char* directory) {
    const auto execute = FindSystemFunction<ShellExecuteExAProc>("shell32.dll", "ShellExecuteExA");
    if (!execute) return false;
    // The shell may hand the request to extensions that need COM on this
    // thread; OLE32 is already loaded with SHELL32. A second call on the
    // same thread only counts up.
    if (const auto initialise = FindSystemFunction<CoInitializeExProc>("ole32.dll", "CoInitializeEx")) {
        initialise(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    }

    char current[MAX_PATH];
    if (!directory) {
        const DWORD length = GetCurrentDirectoryA(sizeof current, current);
        if (length > 0 && length < sizeof current) directory = current;
    }
    SHELLEXECUTEINFOA info = {};
    info.cbSize = sizeof info;
    // No SEE_MASK_NOCLOSEPROCESS: no process handle comes back, none is kept.
    // The shell shows no error box of its own; the launcher shows its own.
    // The call returns only once the start is decided, so the launcher may
    // end right after it.
    info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    info.hwnd = dialog;
    info.lpVerb = verb;
    info.lpFile = file;
    info.lpParameters = parameters;
    info.lpDirectory = directory;
    info.nShow = SW_SHOWNORMAL;
    return execute(&info) != FALSE;
}

// The long texts of one click: one click is handled at a time (a press while
// one is under way does nothing), and frames of this size would need stack
// probes.
struct ClickTexts {
    char target[kValueChars];                         // the Open value
    char arguments[kValueChars];
    char commandLine[kPathChars + kValueChars + 4];
};
ClickTexts g_click;

// One line in the debug log for what was started, cut visibly when it does
// not fit the scratch buffer.
void LogStart(const char* call, const char* file, const char* arguments, const char* directory) {
    char* line = g_state.szMessage;
    if (!FormatBounded(line, sizeof g_state.szMessage, "LaunchButtonCommand: %s: \"%s\"%s%s%s%s%s", call, file,
                       arguments[0] ? " " : "", arguments, directory ? " in \"" : "", directory ? directory : "",
                       directory ? "\"" : "")) {
        std::memcpy(line + sizeof g_state.szMessage - 4, "...", 4);
    }
    WriteDebugLine(line);
}

// Starts what button `section` names: the program `command` (the full path
// of its Command), or else the Open value `target`. Arguments and StartIn
// are read here, at the click. False when nothing was started.
bool StartButton(HWND dialog, const char* section, const char* command, const char* target) {
    char folder[kPathChars];
    const char* directory = nullptr;
    if (ReadSetting(section, "StartIn")) {
        // A folder beyond the path limit is refused, never cut into another.
        // The shell would start a document's program elsewhere when the
        // folder is missing, so it must exist before anything starts.
        if (!ComposeNativePath(folder, g_state.szProgramDir, g_state.szValue)) return false;
        const DWORD attributes = GetFileAttributesA(folder);
        if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
        directory = folder;
    }
    char* arguments = g_click.arguments;
    arguments[0] = '\0';
    if (int length = ReadSetting(section, "Arguments")) {
        std::memcpy(arguments, g_state.szValue, static_cast<size_t>(length) + 1);
        if (g_state.uTextCodePage != CP_ACP) {
            // The A calls pass them on in the system's code page (never longer than UTF-8).
            WideOf(arguments, g_state.wszValue, kValueChars);
            WideCharToMultiByte(CP_ACP, 0, g_state.wszValue, -1, arguments, kValueChars, nullptr, nullptr);
        }
    }
    const char* parameters = arguments[0] ? arguments : nullptr;

    if (!command) {
        // A file is relative to the program directory as a Command is; an
        // address is handed over as it stands, when its scheme is allowed.
        char file[kPathChars];
        const OpenTarget kind = ClassifyOpenTarget(target);
        if (kind == OpenTarget::Refused) return false;
        if (kind == OpenTarget::File) {
            if (!ComposeNativePath(file, g_state.szProgramDir, target)) return false;
            target = file;
        }
        if (!ShellStart(dialog, nullptr, target, parameters, directory)) return false;
        LogStart("ShellExecuteExA", target, arguments, directory);
        return true;
    }

    // A command is kept whole however long it is, but a path beyond the
    // launcher's path limit is never handed to the system: Wine's process
    // start faults on application names of about a thousand characters. It
    // fails like any other start that cannot be made.
    if (std::strlen(command) >= sizeof g_state.szProgramDir) return false;
    char native[kPathChars];
    if (!ComposeNativePath(native, g_state.szProgramDir, command + std::strlen(g_state.szProgramDir))) return false;
    command = native;
    // The application name is the whole path: no search path, no default
    // extension, no arguments split off. Programs expect their own name first
    // on their command line, so arguments follow the quoted path; without
    // arguments the line stays empty. CreateProcessA may write to the line,
    // so it is a buffer of its own, and one too small refuses the start.
    char* commandLine = g_click.commandLine;
    commandLine[0] = '\0';
    if (parameters && !FormatBounded(commandLine, sizeof g_click.commandLine, "\"%s\" %s", command, arguments)) {
        return false;
    }
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process = {};
    if (CreateProcessA(command, commandLine, nullptr, nullptr, FALSE, 0, nullptr, directory, &startup, &process)) {
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
        LogStart("CreateProcessA", command, arguments, directory);
        return true;
    }
    // An installer whose manifest asks for administrator rights cannot be
    // started by a launcher without them; it runs after the user's consent,
    // with the same arguments and folder. Every other failure, and a
    // declined consent, is reported as before.
    if (ClassifyStartFailure(GetLastError()) != StartFailure::RetryElevated ||
        !ShellStart(dialog, "runas", command, parameters, directory)) {
        return false;
    }
    LogStart("ShellExecuteExA runas", command, arguments, directory);
    return true;
}

}  // namespace

int LaunchButtonCommand(HWND dialog, int n) {
    const ButtonInfo& button = g_state.buttons[n - 1];
    char section[16];
    FormatBounded(section, sizeof section, "Button%1d", n);
    // Without a Command, an Open value takes its place. It is read at the
    // click, like Arguments and StartIn, so start-up reads nothing more.
    char* target = g_click.target;
    if (!button.pszCommand) {
        const int length = ReadSetting(section, "Open");
        if (!length) {
            ShowMessage(dialog, "NoCommand", "No installation command to execute!", "ErrorCaption", "Setup Error!",
                        MB_ICONERROR);
            return -3;
        }
        std::memcpy(target, g_state.szValue, static_cast<size_t>(length) + 1);
    }
    if (button.pszLabel &&
        ShowMessage(dialog, "Confirm", "Install Application?", nullptr, button.pszLabel,
                    MB_ICONQUESTION | MB_OKCANCEL) != IDOK) {
        return -2;
    }
    if (!StartButton(dialog, section, button.pszCommand, target)) {
        // What was tried and the system's error, taken before the box's own calls change it.
        char failure[32];
        FormatBounded(failure, sizeof failure, "failed with error %lu", GetLastError());
        LogStart(failure, button.pszCommand ? button.pszCommand : target, "", nullptr);
        ShowMessage(dialog, "StartFailed", "Unable to execute installation command!", "ErrorCaption", "Setup Error!",
                    MB_ICONERROR);
        return -1;
    }
    return 0;
}

}  // namespace setupmenu
