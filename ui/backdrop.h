// The full-screen backdrop (dialog 105). It runs the menu dialog from its own
// initialisation and ends as soon as the menu ends.
#pragma once

#include <windows.h>

namespace setupmenu {

INT_PTR CALLBACK BackdropDlgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
int InitBackdrop(HWND window);

}  // namespace setupmenu
