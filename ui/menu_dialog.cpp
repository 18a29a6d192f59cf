// See menu_dialog.h.
#include "ui/menu_dialog.h"

#include "resources/resource_ids.h"
#include "startup/one_menu.h"
#include "startup/setup_state.h"
#include "ui/layout.h"
#include "ui/selection.h"

namespace setupmenu {
namespace {

// Both windows disappear at once; the backdrop then ends by itself. From
// here on the controls' accessible objects answer nothing (accessible.h).
void EndMenu(HWND dialog, INT_PTR result) {
    g_state.hwndMenu = nullptr;
    ShowWindow(dialog, SW_HIDE);
    ShowWindow(g_state.splash.hwndDlg, SW_HIDE);
    EndDialog(dialog, result);
}

void OnCommand(HWND dialog, WORD id) {
    // A press that arrives while a confirmation box is open or a start is
    // under way (their message loops deliver it here) does nothing.
    if (g_state.bLaunching) return;
    int button = 0;
    switch (id) {
        case IDCANCEL:
        case IDC_CANCEL_TEXT:
            EndMenu(dialog, IDCANCEL);
            return;
        case IDC_BUTTON1_TEXT: button = 1; break;
        case IDC_BUTTON2_TEXT: button = 2; break;
        case IDC_BUTTON3_TEXT: button = 3; break;
        default: return;
    }
    g_state.bLaunching = TRUE;
    const int result = LaunchButtonCommand(dialog, button);
    g_state.bLaunching = FALSE;
    if (result == 0 && g_state.bExitOnLaunch) EndMenu(dialog, IDOK);
}

// A normal control and its selected control share their record's colours.
INT_PTR OnStaticColour(HDC dc, HWND control) {
    COLORREF background = g_state.main.crBackground;
    COLORREF text = g_state.main.crText;
    HBRUSH brush = g_state.main.hbrBackground;
    bool matched = false;
    for (const ButtonInfo& button : g_state.buttons) {
        if (control == button.hwndNormal || control == button.hwndSelected) {
            background = button.crBackground;
            text = button.crText;
            brush = button.hbrBackground;
            matched = true;
            break;
        }
    }
    if (!matched && (control == g_state.cancel.hwndNormal || control == g_state.cancel.hwndSelected)) {
        background = g_state.cancel.crBackground;
        text = g_state.cancel.crText;
        brush = g_state.cancel.hbrBackground;
    }
    SetBkColor(dc, background);
    SetTextColor(dc, text);
    SetBkMode(dc, OPAQUE);
    return reinterpret_cast<INT_PTR>(brush);
}

}  // namespace

INT_PTR CALLBACK MenuDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            MarkMenu(dialog);
            InitMainControls(dialog);
            InitButtons(dialog);
            SubclassControls(dialog);
            // Last: the layout placed the selected controls from where the dialog was created.
            CenterDialog(dialog);
            ShowWindow(dialog, SW_SHOWNORMAL);
            SetForegroundWindow(dialog);
            InitKeyboardAccess(dialog);
            // FALSE: the dialog manager would hand the keyboard to the first control.
            return FALSE;
        case WM_SETFOCUS:
            // The dialog keeps the keyboard itself until a control is selected.
            if (g_state.hwndSelection) SetFocus(g_state.hwndSelection);
            return TRUE;
        case WM_GETDLGCODE:
            SetWindowLongPtrA(dialog, DWLP_MSGRESULT, DialogCodeOfMenuKeys(lParam));
            return TRUE;
        case WM_KEYDOWN:
            return HandleMenuKey(wParam, lParam);
        case WM_COMMAND:
            // Only the id counts: a double-click notification launches as a click does.
            OnCommand(dialog, LOWORD(wParam));
            return FALSE;
        case WM_CTLCOLORDLG:
            return reinterpret_cast<INT_PTR>(g_state.main.hbrBackground);
        case WM_CTLCOLORSTATIC:
            return OnStaticColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        default:
            return FALSE;
    }
}

}  // namespace setupmenu
