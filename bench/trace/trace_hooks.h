// Forced ahead of every source of the timing build of the launcher (see
// bench/CMakeLists.txt), never of the product. It includes <windows.h> first,
// so later includes of it change nothing, and then renames a few system calls
// to the hooks of trace_hooks.cpp, which time them and the start-up stages.
#pragma once

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

DWORD WINAPI BenchGetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR fallback, LPSTR buffer,
                                           DWORD size, LPCSTR file);
HANDLE WINAPI BenchLoadImageA(HINSTANCE instance, LPCSTR name, UINT type, int cx, int cy, UINT flags);
HANDLE WINAPI BenchCopyImage(HANDLE image, UINT type, int cx, int cy, UINT flags);
HCURSOR WINAPI BenchLoadCursorA(HINSTANCE instance, LPCSTR name);
HANDLE WINAPI BenchCreateFileA(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                               DWORD disposition, DWORD flags, HANDLE pattern);
BOOL WINAPI BenchWriteFile(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED overlapped);
HBRUSH WINAPI BenchCreateSolidBrush(COLORREF colour);
LPSTR WINAPI BenchGetCommandLineA(void);
INT_PTR WINAPI BenchDialogBoxParamA(HINSTANCE instance, LPCSTR name, HWND owner, DLGPROC proc, LPARAM param);
BOOL WINAPI BenchShowWindow(HWND window, int command);
BOOL WINAPI BenchSetWindowPos(HWND window, HWND after, int x, int y, int cx, int cy, UINT flags);
LONG WINAPI BenchSetWindowLongA(HWND window, int index, LONG value);
BOOL WINAPI BenchSetDlgItemTextA(HWND dialog, int id, LPCSTR text);
BOOL WINAPI BenchSetWindowTextA(HWND window, LPCSTR text);
LRESULT WINAPI BenchSendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam);
#ifdef _WIN64
LONG_PTR WINAPI BenchSetWindowLongPtrA(HWND window, int index, LONG_PTR value);
#endif

#ifdef __cplusplus
}
#endif

#define GetPrivateProfileStringA BenchGetPrivateProfileStringA
#define LoadImageA BenchLoadImageA
#define CopyImage BenchCopyImage
#define LoadCursorA BenchLoadCursorA
#define CreateFileA BenchCreateFileA
#define WriteFile BenchWriteFile
#define CreateSolidBrush BenchCreateSolidBrush
#define GetCommandLineA BenchGetCommandLineA
#define DialogBoxParamA BenchDialogBoxParamA
#define ShowWindow BenchShowWindow
#define SetWindowPos BenchSetWindowPos
#define SetWindowLongA BenchSetWindowLongA
#define SetDlgItemTextA BenchSetDlgItemTextA
#define SetWindowTextA BenchSetWindowTextA
#define SendDlgItemMessageA BenchSendDlgItemMessageA
#ifdef _WIN64
#define SetWindowLongPtrA BenchSetWindowLongPtrA
#endif
