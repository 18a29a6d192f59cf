// See selection.h.
#include "ui/selection.h"

#include "startup/setup_state.h"
#include "ui/access_rules.h"
#include "ui/hover.h"

namespace setupmenu {
namespace {

// Bit 30 of a key message: the key was already down, this is a repeat.
constexpr LPARAM kKeyRepeat = 0x40000000;

// The selected picture may cover its normal control, and it is painted after
// it: both draw the rectangle, each in its own area.
void RedrawFocusCue() {
    if (!g_state.bFocusCues || !g_state.hwndSelection) return;
    InvalidateRect(g_state.hwndSelection, nullptr, FALSE);
    if (g_state.hwndShownSel) InvalidateRect(g_state.hwndShownSel, nullptr, FALSE);
}

}  // namespace

HWND SelectableControl(int n) {
    HWND control = n == kCancelSelection            ? g_state.cancel.hwndNormal
                   : (n >= 1 && n <= kButtonCount) ? g_state.buttons[n - 1].hwndNormal
                                                   : nullptr;
    return control && (GetWindowLongA(control, GWL_STYLE) & WS_VISIBLE) ? control : nullptr;
}

int SelectableNumber(HWND control) {
    for (int n = 1; n <= kSelectableCount; ++n) {
        if (control && SelectableControl(n) == control) return n;
    }
    return 0;
}

void MoveSelection(HWND control, bool byKeyboard) {
    // The rectangle shows once the keyboard has moved the selection. The
    // pointer moving it hides the rectangle again, unless the user has asked
    // the system to show keyboard cues at all times.
    BOOL cues = byKeyboard;
    if (!byKeyboard && g_state.bFocusCues) SystemParametersInfoA(SPI_GETKEYBOARDCUES, 0, &cues, 0);
    const bool moved = control != g_state.hwndSelection;
    RedrawFocusCue();
    if (moved && g_state.hwndShownSel) {
        ShowWindow(g_state.hwndShownSel, SW_HIDE);
        g_state.hwndShownSel = nullptr;
    }
    g_state.hwndSelection = control;
    g_state.bFocusCues = cues;
    if (moved && control) {
        if (HWND picture = reinterpret_cast<HWND>(GetWindowLongPtrA(control, GWLP_USERDATA))) {
            g_state.hwndShownSel = picture;
            ShowWindow(picture, SW_SHOW);
        }
        // The system raises EVENT_OBJECT_FOCUS when the focus moves, and a
        // screen reader reads the control out. A control that kept the focus
        // while nothing was selected (after the pointer left it) would get no
        // event from SetFocus (which then does nothing): the launcher raises
        // it itself.
        if (GetFocus() == control) NotifyWinEvent(EVENT_OBJECT_FOCUS, control, OBJID_CLIENT, CHILDID_SELF);
        SetFocus(control);
    }
    RedrawFocusCue();
}

LRESULT DialogCodeOfMenuKeys(LPARAM message) {
    const MSG* key = reinterpret_cast<const MSG*>(message);
    return key && key->message == WM_KEYDOWN && ActionOfKey(static_cast<uint32_t>(key->wParam), false) != KeyAction::None
               ? DLGC_WANTMESSAGE
               : 0;
}

bool HandleMenuKey(WPARAM key, LPARAM flags) {
    const KeyAction action = ActionOfKey(static_cast<uint32_t>(key), GetKeyState(VK_SHIFT) < 0);
    if (action == KeyAction::None) return false;
    if (action == KeyAction::Press) {
        // A key held down repeats; one press starts one installer.
        if (!(flags & kKeyRepeat)) PressSelectable(g_state.hwndSelection);
        return true;
    }
    // On round, passing over the controls that are not shown; from no
    // selection, forward starts at the first control and backward at the last.
    const int step = action == KeyAction::Forward ? 1 : kSelectableCount - 1;
    int n = SelectableNumber(g_state.hwndSelection);
    if (n == 0 && action == KeyAction::Backward) n = 1;
    HWND next = nullptr;
    for (int tries = 0; !next && tries < kSelectableCount; ++tries) {
        n = (n - 1 + step) % kSelectableCount + 1;
        next = SelectableControl(n);
    }
    MoveSelection(next, true);
    return true;
}

void PressSelectable(HWND control) {
    if (!control || (GetWindowLongA(g_state.hwndMenu, GWL_STYLE) & WS_DISABLED)) return;
    PostMessageA(g_state.hwndMenu, WM_COMMAND, MAKEWPARAM(GetWindowLongA(control, GWL_ID), STN_CLICKED),
                 reinterpret_cast<LPARAM>(control));
}

bool FocusCueShows() { return g_state.bFocusCues && g_state.hwndSelection; }

LRESULT PaintWithFocusCue(HWND control) {
    HWND selected = g_state.hwndSelection;
    // The static control paints into the context given (as every standard
    // control does for WM_PRINTCLIENT), which is clipped to what needs
    // painting; the rectangle is then drawn once over it, or falls outside a
    // control that the selected one does not overlap.
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(control, &paint);
    CallWindowProcW(g_state.pfnStaticProc, control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    RECT cue;
    GetClientRect(selected, &cue);
    MapWindowPoints(selected, control, reinterpret_cast<POINT*>(&cue), 2);
    DrawFocusRect(dc, &cue);
    EndPaint(control, &paint);
    return 0;
}

void InitKeyboardAccess(HWND dialog) {
    g_state.hwndMenu = dialog;
    // Cancel's selected control may lie over Cancel: it paints the focus
    // rectangle too, and leaves everything else to the static procedure.
    SetWindowLongPtrW(g_state.cancel.hwndSelected, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(HoverWndProc));
    // Not a control: a key press, not the dialog's appearance, makes the first selection.
    SetFocus(dialog);
}

}  // namespace setupmenu
