// Starting a button's installer.
#include "startup/setup_state.h"
#include "ui/menu_dialog.h"

namespace setupmenu {

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
    // The application name is the whole path: no search path, no default
    // extension, no arguments split off. CreateProcessA may write to the
    // command line, so it gets an empty one of its own.
    char commandLine[1] = {'\0'};
    if (!CreateProcessA(button.pszCommand, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        MessageBoxA(dialog, "Unable to execute installation command!", "Setup Error!", MB_ICONERROR);
        return -1;
    }
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return 0;
}

}  // namespace setupmenu
