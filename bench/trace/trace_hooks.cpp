// The hooks of the timing builds (of the launcher and of the floor). Each
// hook calls the system function it stands for and adds the time spent in it
// to its sum; the dialog hooks put wrappers around the two dialog procedures
// to mark when each dialog starts and ends its initialisation. Once the menu
// has initialised itself, the figures go to the file named by the environment
// variable SETUPMENU_BENCH_TRACE, one "name value" a line, times as raw
// performance-counter values (the same clock in every process of the Wine
// prefix, so the measuring helper can set them against its own).
#include <windows.h>

#include <cstdio>

#include "resources/resource_ids.h"

namespace {

// The layout sums count only the calls made while the menu lays itself out
// (from its WM_INITDIALOG to its ShowWindow); kIgnored takes the others.
enum Sum {
    kProfile, kProfileFirst, kBitmapLoad, kStretch, kCursors, kLogFile, kBrushes,
    kLayoutMove, kLayoutStyle, kLayoutLong, kLayoutText, kLayoutPicture,
    kIgnored, kSumCount
};
const char* const kSumNames[kSumCount] = {
    "profile", "profile_first", "bitmap_load", "stretch", "cursors", "log_file", "brushes",
    "layout_move", "layout_style", "layout_long", "layout_text", "layout_picture", "ignored"};

enum Mark {
    kCrtInit,          // the program's first code: static constructors, or the first hook
    kDisplayReady,     // the display driver has been started (see StartStamp)
    kWinMain,          // the entry asks for its command line (the floor: asks for its first dialog)
    kBackdropCall,     // loading is over: the backdrop dialog is asked for
    kBackdropInit,     // the backdrop's WM_INITDIALOG begins
    kBackdropShow,     // the backdrop shows itself maximised
    kBackdropShown,    // that ShowWindow has returned
    kMenuCall,         // the menu dialog is asked for
    kMenuInit,         // the menu's WM_INITDIALOG begins
    kMenuShow,         // the menu shows itself: the end of its layout
    kMenuShown,        // ShowWindow has returned
    kMenuInitEnd,      // the menu's WM_INITDIALOG has returned
    kMarkCount
};
const char* const kMarkNames[kMarkCount] = {
    "crt_init",  "display_ready", "winmain",   "backdrop_call", "backdrop_init", "backdrop_show",
    "backdrop_shown", "menu_call", "menu_init", "menu_show",     "menu_shown",    "menu_init_end"};

LONGLONG g_sum[kSumCount];
unsigned g_count[kSumCount];
LONGLONG g_mark[kMarkCount];
DLGPROC g_backdropProc;
DLGPROC g_menuProc;
HWND g_backdrop;
HWND g_menu;
bool g_inLayout;

// Each SetWindowPos of the layout, for a closer look.
struct Move {
    LONGLONG ticks;
    int id;  // control id, 0 for the dialog
    UINT flags;
};
constexpr int kMoveDetails = 16;
Move g_moves[kMoveDetails];
int g_moveCount;

Sum InLayout(Sum s) { return g_inLayout ? s : kIgnored; }

LONGLONG Now() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t.QuadPart;
}

void SetMark(Mark m) {
    if (!g_mark[m]) g_mark[m] = Now();
}

void Start();

// Times one call: constructed before it, destroyed after it.
class Span {
public:
    explicit Span(Sum s) : sum_(s), start_((Start(), Now())) {}
    ~Span() {
        g_sum[sum_] += Now() - start_;
        ++g_count[sum_];
    }
    Span(const Span&) = delete;
    Span& operator=(const Span&) = delete;

private:
    Sum sum_;
    LONGLONG start_;
};

void WriteTrace() {
    char path[1024];
    const DWORD length = GetEnvironmentVariableA("SETUPMENU_BENCH_TRACE", path, sizeof path);
    if (length == 0 || length >= sizeof path) return;
    FILE* out = std::fopen(path, "w");
    if (!out) return;
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    std::fprintf(out, "frequency %lld\n", static_cast<long long>(frequency.QuadPart));
    for (int m = 0; m < kMarkCount; ++m) std::fprintf(out, "mark.%s %lld\n", kMarkNames[m], static_cast<long long>(g_mark[m]));
    for (int s = 0; s < kSumCount; ++s) {
        std::fprintf(out, "sum.%s %lld\ncount.%s %u\n", kSumNames[s], static_cast<long long>(g_sum[s]), kSumNames[s],
                     g_count[s]);
    }
    for (int i = 0; i < g_moveCount; ++i) {
        std::fprintf(out, "move.%d %lld %d 0x%x\n", i, static_cast<long long>(g_moves[i].ticks), g_moves[i].id,
                     g_moves[i].flags);
    }
    std::fclose(out);
}

// Started before WinMain by the C runtime's constructors, or by the first
// hook when the program is linked without them. The first call that needs
// the display driver loads it and connects to the display, which takes far
// longer than anything the launcher does; whichever call comes first would
// seem to cost that much (in the launcher LoadCursorA, in the floor its first
// dialog). Both timing builds therefore start the driver here, ahead of their
// own work, and the time it takes is a stage of its own.
void Start() {
    static bool started;
    if (started) return;
    started = true;
    SetMark(kCrtInit);
    ReleaseDC(nullptr, GetDC(nullptr));
    SetMark(kDisplayReady);
}

struct StartStamp {
    StartStamp() { Start(); }
} g_startStamp;

INT_PTR CALLBACK TimedBackdropProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        g_backdrop = window;
        SetMark(kBackdropInit);
    }
    return g_backdropProc(window, message, wParam, lParam);
}

INT_PTR CALLBACK TimedMenuProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_INITDIALOG) return g_menuProc(dialog, message, wParam, lParam);
    g_menu = dialog;
    SetMark(kMenuInit);
    g_inLayout = true;
    const INT_PTR result = g_menuProc(dialog, message, wParam, lParam);
    SetMark(kMenuInitEnd);
    // Every figure is in by now. Written here rather than at exit, which a
    // program linked without the C runtime's start-up may reach without
    // running exit handlers; the menu is already visible, so the writing
    // does not count in any stage.
    WriteTrace();
    return result;
}

}  // namespace

extern "C" {

DWORD WINAPI BenchGetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR fallback, LPSTR buffer,
                                           DWORD size, LPCSTR file) {
    Span span(g_count[kProfileFirst] ? kProfile : kProfileFirst);
    return GetPrivateProfileStringA(section, key, fallback, buffer, size, file);
}

HANDLE WINAPI BenchLoadImageA(HINSTANCE instance, LPCSTR name, UINT type, int cx, int cy, UINT flags) {
    Span span(kBitmapLoad);
    return LoadImageA(instance, name, type, cx, cy, flags);
}

HANDLE WINAPI BenchCopyImage(HANDLE image, UINT type, int cx, int cy, UINT flags) {
    Span span(kStretch);
    return CopyImage(image, type, cx, cy, flags);
}

HCURSOR WINAPI BenchLoadCursorA(HINSTANCE instance, LPCSTR name) {
    Span span(kCursors);
    return LoadCursorA(instance, name);
}

HANDLE WINAPI BenchCreateFileA(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                               DWORD disposition, DWORD flags, HANDLE pattern) {
    Span span(kLogFile);
    return CreateFileA(name, access, share, security, disposition, flags, pattern);
}

BOOL WINAPI BenchWriteFile(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED overlapped) {
    Span span(kLogFile);
    return WriteFile(file, data, size, written, overlapped);
}

HBRUSH WINAPI BenchCreateSolidBrush(COLORREF colour) {
    Span span(kBrushes);
    return CreateSolidBrush(colour);
}

LPSTR WINAPI BenchGetCommandLineA(void) {
    Start();
    SetMark(kWinMain);
    return GetCommandLineA();
}

INT_PTR WINAPI BenchDialogBoxParamA(HINSTANCE instance, LPCSTR name, HWND owner, DLGPROC proc, LPARAM param) {
    Start();
    SetMark(kWinMain);
    if (name == MAKEINTRESOURCEA(IDD_BACKDROP)) {
        SetMark(kBackdropCall);
        g_backdropProc = proc;
        return DialogBoxParamA(instance, name, owner, TimedBackdropProc, param);
    }
    if (name == MAKEINTRESOURCEA(IDD_MENU)) {
        SetMark(kMenuCall);
        g_menuProc = proc;
        return DialogBoxParamA(instance, name, owner, TimedMenuProc, param);
    }
    return DialogBoxParamA(instance, name, owner, proc, param);
}

BOOL WINAPI BenchShowWindow(HWND window, int command) {
    Start();
    const bool backdrop = window && window == g_backdrop && command == SW_SHOWMAXIMIZED && !g_mark[kBackdropShow];
    const bool menu = window && window == g_menu && command == SW_SHOWNORMAL && !g_mark[kMenuShow];
    if (backdrop) SetMark(kBackdropShow);
    if (menu) {
        SetMark(kMenuShow);
        g_inLayout = false;
    }
    const BOOL result = ShowWindow(window, command);
    if (backdrop) SetMark(kBackdropShown);
    if (menu) SetMark(kMenuShown);
    return result;
}

BOOL WINAPI BenchSetWindowPos(HWND window, HWND after, int x, int y, int cx, int cy, UINT flags) {
    const LONGLONG start = Now();
    BOOL result;
    {
        Span span(InLayout(kLayoutMove));
        result = SetWindowPos(window, after, x, y, cx, cy, flags);
    }
    if (g_inLayout && g_moveCount < kMoveDetails) {
        g_moves[g_moveCount++] = Move{Now() - start, GetDlgCtrlID(window), flags};
    }
    return result;
}

LONG WINAPI BenchSetWindowLongA(HWND window, int index, LONG value) {
    Span span(InLayout(kLayoutStyle));
    return SetWindowLongA(window, index, value);
}

#ifdef _WIN64
LONG_PTR WINAPI BenchSetWindowLongPtrA(HWND window, int index, LONG_PTR value) {
    Span span(InLayout(kLayoutLong));
    return SetWindowLongPtrA(window, index, value);
}
#endif

BOOL WINAPI BenchSetDlgItemTextA(HWND dialog, int id, LPCSTR text) {
    Span span(InLayout(kLayoutText));
    return SetDlgItemTextA(dialog, id, text);
}

BOOL WINAPI BenchSetWindowTextA(HWND window, LPCSTR text) {
    Span span(InLayout(kLayoutText));
    return SetWindowTextA(window, text);
}

LRESULT WINAPI BenchSendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam) {
    Span span(InLayout(kLayoutPicture));
    return SendDlgItemMessageA(dialog, id, message, wParam, lParam);
}

}  // extern "C"
