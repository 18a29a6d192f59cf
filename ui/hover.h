// Hover tracking of the button controls: the selected picture and the hand
// cursor while the pointer is over a normal control, gone within 100 ms of
// it leaving.
#pragma once

#include <windows.h>

namespace setupmenu {

LRESULT CALLBACK HoverWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void CALLBACK VaskTrackMouseTimerProc(HWND window, UINT message, UINT_PTR timerId, DWORD time);

// The launcher's own leave tracking, which polls with a timer. It shares its
// names with the platform's function and record but nothing else: bit 0 of
// dwFlags (not the platform's TME_LEAVE) asks for leave tracking and doubles
// as the timer id.
namespace tracking {

struct TRACKMOUSEEVENT {
    DWORD cbSize;   // at least 12
    DWORD dwFlags;  // bit 0 must be set
    HWND hwndTrack;
};

constexpr DWORD kRequestSize = 12;
constexpr DWORD kTrackLeave = 1;
constexpr UINT kPollMilliseconds = 100;

UINT_PTR TrackMouseEvent(TRACKMOUSEEVENT* request);

}  // namespace tracking
}  // namespace setupmenu
