// See layout.h. Every move passes HWND_BOTTOM, so each moved control drops to
// the bottom of the z-order in turn and every selected control ends up below
// its normal control, out of the way of the hover hit test.
#include "ui/layout.h"

#include "resources/resource_ids.h"
#include "startup/setup_state.h"
#include "ui/hover.h"
#include "ui/layout_math.h"
#include "ui/shown_text.h"

namespace setupmenu {
namespace {

uint32_t StyleOf(HWND control) { return static_cast<uint32_t>(GetWindowLongA(control, GWL_STYLE)); }

void SetStyle(HWND control, uint32_t style) { SetWindowLongA(control, GWL_STYLE, static_cast<LONG>(style)); }

// The record keeps owning the bitmap; a picture the control held before is deleted.
void SetPicture(HWND dialog, int id, HBITMAP bitmap) {
    HGDIOBJ previous = reinterpret_cast<HGDIOBJ>(
        SendDlgItemMessageA(dialog, id, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap)));
    if (previous) DeleteObject(previous);
}

void PutPicture(HWND dialog, int id, HBITMAP bitmap) {
    HWND control = GetDlgItem(dialog, id);
    SetStyle(control, StyleForPicture(StyleOf(control)));
    SetPicture(dialog, id, bitmap);
}

// The background picture's control has a sunken edge inside the window that
// the static control sizes to the picture, and the picture would be squeezed
// into what is left: two lines fewer each way, which Wine merges into colours
// the picture does not hold. The window grows by its edge instead, so that
// the client area shows the picture at its own size.
void FitClientToPicture(HWND control, HBITMAP picture) {
    BITMAP size;
    RECT window;
    RECT client;
    if (!GetObjectA(picture, sizeof size, &size) || !GetWindowRect(control, &window) ||
        !GetClientRect(control, &client)) {
        return;
    }
    SetWindowPos(control, nullptr, 0, 0, size.bmWidth + (window.right - window.left - client.right),
                 size.bmHeight + (window.bottom - window.top - client.bottom),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

IntRect ToIntRect(const RECT& r) { return IntRect{r.left, r.top, r.right, r.bottom}; }

// Positions and pictures common to a button pair and the Cancel pair: steps
// before the text (positions) and after it (pictures, link).
void PlacePair(HWND dialog, ControlPair& r, int normalId, int selectedId) {
    r.hwndNormal = GetDlgItem(dialog, normalId);
    r.hwndSelected = GetDlgItem(dialog, selectedId);
    if (HasPosition(r.xPos, r.yPos)) {
        SetWindowPos(r.hwndNormal, HWND_BOTTOM, r.xPos, r.yPos, 0, 0, SWP_NOSIZE);
    }
    // Read after the move and before any picture resizes the control.
    RECT window, client;
    GetWindowRect(r.hwndNormal, &window);
    GetClientRect(r.hwndNormal, &client);
    if (HasPosition(r.xPosSel, r.yPosSel)) {
        SetWindowPos(r.hwndSelected, HWND_BOTTOM, r.xPosSel, r.yPosSel, 0, 0, SWP_NOSIZE);
    } else {
        const int cyFrame = GetSystemMetrics(SM_CYDLGFRAME);
        const int cyCaption = GetSystemMetrics(SM_CYCAPTION);
        const int cxFrame = GetSystemMetrics(SM_CXDLGFRAME);
        const Placement p = DefaultSelectedPlacement(ToIntRect(window), ToIntRect(client), cxFrame, cyFrame, cyCaption);
        SetWindowPos(r.hwndSelected, HWND_BOTTOM, p.x, p.y, p.width, p.height, SWP_HIDEWINDOW);
    }
}

void PutPicturesAndLink(HWND dialog, ControlPair& r, int normalId, int selectedId) {
    if (r.hbmImage) PutPicture(dialog, normalId, r.hbmImage);
    LONG_PTR link = 0;
    if (r.hbmImageSel) {
        PutPicture(dialog, selectedId, r.hbmImageSel);
        link = reinterpret_cast<LONG_PTR>(r.hwndSelected);
    }
    SetWindowLongPtrA(r.hwndNormal, GWLP_USERDATA, link);
}

}  // namespace

int InitMainControls(HWND dialog) {
    if (g_state.main.hbmImage) {
        HWND image = GetDlgItem(dialog, IDC_MAIN_IMAGE);
        SetStyle(image, StyleWithBitmapOr(StyleOf(image)));
        SetPicture(dialog, IDC_MAIN_IMAGE, g_state.main.hbmImage);
        FitClientToPicture(image, g_state.main.hbmImage);
    }
    if (g_state.main.pszTitle) ShowText(dialog, g_state.main.pszTitle);
    return 0;
}

int InitButtons(HWND dialog) {
    InitButtonControls(dialog, 1, IDC_BUTTON1_TEXT, IDC_BUTTON1_TEXT_SEL);
    InitButtonControls(dialog, 2, IDC_BUTTON2_TEXT, IDC_BUTTON2_TEXT_SEL);
    InitButtonControls(dialog, 3, IDC_BUTTON3_TEXT, IDC_BUTTON3_TEXT_SEL);
    InitCancelControl(dialog, IDC_CANCEL_TEXT, IDC_CANCEL_TEXT_SEL);
    return 0;
}

int InitButtonControls(HWND dialog, int n, int normalId, int selectedId) {
    ButtonInfo& r = g_state.buttons[n - 1];
    PlacePair(dialog, r, normalId, selectedId);
    if (r.pszText) {
        if (r.nAlign != 0) SetStyle(r.hwndNormal, StyleForAlignment(StyleOf(r.hwndNormal), r.nAlign));
        ShowText(r.hwndNormal, r.pszText);
    }
    PutPicturesAndLink(dialog, r, normalId, selectedId);
    if (r.bVisible) ShowWindow(r.hwndNormal, SW_SHOW);
    return 0;
}

int InitCancelControl(HWND dialog, int normalId, int selectedId) {
    CancelInfo& r = g_state.cancel;
    PlacePair(dialog, r, normalId, selectedId);
    if (r.pszLabel) {
        SetStyle(r.hwndNormal, StyleForCancelText(StyleOf(r.hwndNormal)));
        ShowText(r.hwndNormal, r.pszLabel);
    }
    PutPicturesAndLink(dialog, r, normalId, selectedId);
    ShowWindow(r.hwndNormal, SW_SHOW);  // Cancel is always offered
    return 0;
}

int SubclassControls(HWND) {
    // Hidden buttons are subclassed too. Every control replaced here is a
    // plain static, so the first procedure returned serves all seven.
    const HWND controls[] = {
        g_state.buttons[0].hwndNormal, g_state.buttons[0].hwndSelected,
        g_state.buttons[1].hwndNormal, g_state.buttons[1].hwndSelected,
        g_state.buttons[2].hwndNormal, g_state.buttons[2].hwndSelected,
        g_state.cancel.hwndNormal,
    };
    // The W form, so that a text in any script reaches the static procedure
    // and a screen reader's WM_GETTEXT whole, not through the code page.
    const LONG_PTR hover = reinterpret_cast<LONG_PTR>(HoverWndProc);
    for (size_t i = 0; i < sizeof controls / sizeof controls[0]; ++i) {
        const LONG_PTR replaced = SetWindowLongPtrW(controls[i], GWLP_WNDPROC, hover);
        if (i == 0) g_state.pfnStaticProc = reinterpret_cast<WNDPROC>(replaced);
    }
    return 0;
}

void CenterDialog(HWND dialog) {
    RECT desktop, own;
    GetWindowRect(GetDesktopWindow(), &desktop);
    GetWindowRect(dialog, &own);
    const IntPoint corner = CenterOnDesktop(ToIntRect(desktop), ToIntRect(own));
    SetWindowPos(dialog, HWND_TOP, corner.x, corner.y, 0, 0, SWP_NOSIZE);
}

}  // namespace setupmenu
