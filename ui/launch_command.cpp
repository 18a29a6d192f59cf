// Starting a button's installer.
#include <windows.h>
// Declarations only: SHELL32 is loaded at run time, never imported.
#include <shellapi.h>

#include <cstring>

#include "startup/setup_state.h"
#include "startup/system_library.h"
#include "ui/launch_policy.h"
#include "ui/menu_dialog.h"

namespace setupmenu {
namespace {

using ShellExecuteExAProc = BOOL(WINAPI*)(SHELLEXECUTEINFOA*);

// Starts `path` again through the shell with the "runas" verb, which asks the
// user's consent for administrator rights: no arguments, the launcher's
// current directory (where CreateProcessA would have started it) and a
// normal window. True when the program was started; false when it could not
// be, or when the user declined the prompt.
//
// ShellExecuteExA lives in SHELL32, which the launcher does not import: only
// this rare path needs it, and a static import would load SHELL32 and all it
// pulls in on every run of a program that otherwise needs only KERNEL32,
// USER32, GDI32 and the C runtime. It is loaded by its full path in the
// system folder, never by a bare name, so that a shell32.dll placed beside
// the launcher on the media can never be loaded in its place. It is never
// unloaded: the shell may keep threads of its own alive after the call.
bool StartElevated(HWND dialog, const char* path) {
    const auto execute = FindEntry<ShellExecuteExAProc>(LoadSystemLibrary("shell32.dll"), "ShellExecuteExA");
    if (!execute) return false;

    char directory[MAX_PATH];
    const DWORD directoryLength = GetCurrentDirectoryA(sizeof directory, directory);
    SHELLEXECUTEINFOA info = {};
    info.cbSize = sizeof info;
    // No SEE_MASK_NOCLOSEPROCESS: no process handle comes back, none is kept.
    // The shell shows no error box of its own; the launcher shows its own.
    // The call returns only once the start is decided.
    info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    info.hwnd = dialog;
    info.lpVerb = "runas";
    info.lpFile = path;
    info.lpParameters = nullptr;
    info.lpDirectory = (directoryLength > 0 && directoryLength < sizeof directory) ? directory : nullptr;
    info.nShow = SW_SHOWNORMAL;
    return execute(&info) != FALSE;
}

}  // namespace

int LaunchButtonCommand(HWND dialog, int n) {
    const ButtonInfo& button = g_state.buttons[n - 1];
    if (!button.pszCommand) {
        MessageBoxA(dialog, "No installation command to execute!", "Setup Error!", MB_ICONERROR);
        return -3;
    }
    if (button.pszLabel &&
        MessageBoxA(dialog, "Install Application?", button.pszLabel, MB_ICONQUESTION | MB_OKCANCEL) != IDOK) {
        return -2;
    }

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process = {};
    // A command is kept whole however long it is, but a path beyond the
    // launcher's path limit is never handed to the system: Wine's process
    // start faults on application names of about a thousand characters. It
    // fails like any other start that cannot be made.
    if (std::strlen(button.pszCommand) >= sizeof g_state.szProgramDir) {
        MessageBoxA(dialog, "Unable to execute installation command!", "Setup Error!", MB_ICONERROR);
        return -1;
    }
    // The application name is the whole path: no search path, no default
    // extension, no arguments split off. CreateProcessA may write to the
    // command line, so it gets an empty one of its own.
    char commandLine[1] = {'\0'};
    if (!CreateProcessA(button.pszCommand, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        // An installer whose manifest asks for administrator rights cannot be
        // started by a launcher without them; it runs after the user's consent.
        // Every other failure, and a declined consent, is reported as before.
        const bool started = ClassifyStartFailure(GetLastError()) == StartFailure::RetryElevated &&
                             StartElevated(dialog, button.pszCommand);
        if (!started) {
            MessageBoxA(dialog, "Unable to execute installation command!", "Setup Error!", MB_ICONERROR);
            return -1;
        }
        return 0;
    }
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return 0;
}

}  // namespace setupmenu
