// See backdrop.h.
#include "ui/backdrop.h"

#include "resources/resource_ids.h"
#include "startup/setup_state.h"
#include "ui/layout_math.h"
#include "ui/menu_dialog.h"

namespace setupmenu {

int InitBackdrop(HWND window) {
    g_state.splash.hwndDlg = window;  // the menu hides the backdrop through this
    if (!g_state.splash.hbmImage) return 0;

    HWND image = GetDlgItem(window, IDC_SPLASH_IMAGE);
    SetWindowLongA(image, GWL_STYLE, static_cast<LONG>(StyleWithBitmapOr(static_cast<uint32_t>(GetWindowLongA(image, GWL_STYLE)))));
    // The record keeps owning the picture; only what the control held before is ours to delete.
    HGDIOBJ previous = reinterpret_cast<HGDIOBJ>(SendDlgItemMessageA(
        window, IDC_SPLASH_IMAGE, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(g_state.splash.hbmImage)));
    if (previous) DeleteObject(previous);
    ShowWindow(image, SW_SHOW);
    return 0;
}

INT_PTR CALLBACK BackdropDlgProc(HWND window, UINT message, WPARAM, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            InitBackdrop(window);
            ShowWindow(window, SW_SHOWMAXIMIZED);
            SetForegroundWindow(window);
            // The whole run happens inside this call; the menu's result does not matter here.
            // A Unicode window, so that its title in any script is kept and read whole.
            DialogBoxParamW(g_state.hInstance, MAKEINTRESOURCEW(IDD_MENU), window, MenuDlgProc, 0);
            EndDialog(window, 1);
            return TRUE;
        case WM_COMMAND:
            EndDialog(window, 1);
            return FALSE;
        case WM_CTLCOLORDLG:
            return reinterpret_cast<INT_PTR>(g_state.splash.hbrBackground ? g_state.splash.hbrBackground
                                                                          : g_state.main.hbrBackground);
        default:
            return FALSE;
    }
}

}  // namespace setupmenu
