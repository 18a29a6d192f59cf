// See hover.h.
#include "ui/hover.h"

#include "diag/debug_log.h"
#include "diag/log_line.h"
#include "startup/setup_state.h"
#include "ui/accessible.h"
#include "ui/selection.h"

namespace setupmenu {
namespace {

// The leave handling. The selection leaves with the pointer, unless the
// keyboard has moved it elsewhere meanwhile.
void EndHover(HWND control) {
    SetCursor(g_state.hcurNormal);
    g_state.bHovering = FALSE;
    if (g_state.hwndSelection == control) MoveSelection(nullptr, false);
}

// The selection shows the control's selected picture, if it has one.
void StartHover(HWND control) {
    SetCursor(g_state.hcurHover);
    MoveSelection(control, false);
    g_state.bHovering = TRUE;
    tracking::TRACKMOUSEEVENT request = {tracking::kRequestSize, tracking::kTrackLeave, control};
    // Without a timer nothing would ever end this hover, so end it now.
    if (!tracking::TrackMouseEvent(&request)) EndHover(control);
}

}  // namespace

LRESULT CALLBACK HoverWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // Cancel's selected control is here only for its painting (selection.h).
    switch (window == g_state.cancel.hwndSelected && message != WM_PAINT ? WM_NULL : message) {
        case WM_SETCURSOR:
            // Kept from the static procedure, which would put the class cursor back.
            return 0;
        case WM_MOUSEMOVE:
            if (!g_state.bHovering) StartHover(window);
            return 0;
        // Keyboard and screen-reader access (selection.h, accessible.h).
        case WM_PAINT:
            if (FocusCueShows()) return PaintWithFocusCue(window);
            break;
        case WM_GETDLGCODE:
            return DLGC_STATIC | DialogCodeOfMenuKeys(lParam);  // DLGC_STATIC: the static's own answer
        case WM_KEYDOWN:
            if (HandleMenuKey(wParam, lParam)) return 0;
            break;
        case WM_GETOBJECT:
            if (LRESULT object = AnswerAccessibleObject(window, wParam, lParam)) return object;
            break;
    }
    return CallWindowProcW(g_state.pfnStaticProc, window, message, wParam, lParam);
}

void CALLBACK VaskTrackMouseTimerProc(HWND window, UINT, UINT_PTR timerId, DWORD) {
    RECT area;
    GetClientRect(window, &area);
    MapWindowPoints(window, HWND_DESKTOP, reinterpret_cast<POINT*>(&area), 2);
    POINT pointer;
    GetCursorPos(&pointer);
    // Only the normal control's own area counts, as the hit test sees it.
    if (PtInRect(&area, pointer) && WindowFromPoint(pointer) == window) return;

    KillTimer(window, timerId);
    FormatLeaveLine(g_state.szMessage, sizeof g_state.szMessage, reinterpret_cast<uintptr_t>(window));
    WriteDebugLine(g_state.szMessage);
    EndHover(window);
}

namespace tracking {

UINT_PTR TrackMouseEvent(TRACKMOUSEEVENT* request) {
    OutputDebugStringA("TrackMouseEvent\n");
    if (!request || request->cbSize < kRequestSize) {
        OutputDebugStringA("TrackMouseEvent: invalid TRACKMOUSEEVENT structure\n");
        return 0;
    }
    if (!IsWindow(request->hwndTrack)) {
        OutputDebugStringA("TrackMouseEvent: invalid hwndTrack\n");
        return 0;
    }
    if (!(request->dwFlags & kTrackLeave)) {
        OutputDebugStringA("TrackMouseEvent: invalid dwFlags\n");
        return 0;
    }
    return SetTimer(request->hwndTrack, request->dwFlags, kPollMilliseconds, VaskTrackMouseTimerProc);
}

}  // namespace tracking
}  // namespace setupmenu
