// The floor of the benchmarks: the least a program can do to put the
// launcher's two dialogs on the screen the way the launcher does. The
// backdrop is shown maximised and runs the menu dialog modally from its
// initialisation; the menu shows itself and ends on IDCANCEL, which also ends
// the backdrop. No configuration, no pictures, no layout, no cursors.
#include <windows.h>

#include "resources/resource_ids.h"

namespace {

HINSTANCE g_instance;

INT_PTR CALLBACK FloorMenuProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            ShowWindow(dialog, SW_SHOWNORMAL);
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDCANCEL) EndDialog(dialog, IDCANCEL);
            return TRUE;
        default:
            return FALSE;
    }
}

INT_PTR CALLBACK FloorBackdropProc(HWND window, UINT message, WPARAM, LPARAM) {
    if (message != WM_INITDIALOG) return FALSE;
    ShowWindow(window, SW_SHOWMAXIMIZED);
    DialogBoxParamA(g_instance, MAKEINTRESOURCEA(IDD_MENU), window, FloorMenuProc, 0);
    EndDialog(window, 0);
    return TRUE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    g_instance = instance;
    DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_BACKDROP), nullptr, FloorBackdropProc, 0);
    return 0;
}
