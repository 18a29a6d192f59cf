// The menu dialog (dialog 101): initialisation, commands and colours.
#pragma once

#include <windows.h>

namespace setupmenu {

INT_PTR CALLBACK MenuDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Starts button n's command (n: 1 to 3). Returns 0 when started, -1 when the
// start failed, -2 when the user declined, -3 when there is no command.
int LaunchButtonCommand(HWND dialog, int n);

}  // namespace setupmenu
