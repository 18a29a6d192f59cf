// probe: looks at and drives the windows of other programs in the same Wine
// prefix, for the end-to-end tests. A console program; every command prints
// its answer on standard output (JSON where there is structure) and exits 0
// on success, 1 when what it waited for did not come, 2 on bad usage.
//
//   probe run [--pidfile F] [--cwd DIR] [--utf8] EXE CMDLINE_HEX
//       starts EXE with exactly the given command line (hex-encoded bytes,
//       so that quotes and blanks arrive untouched), writes the new
//       process's id to F, waits for it and exits with its exit code. With
//       --utf8, EXE is hex-encoded too, both are UTF-8 and the start is wide,
//       for names that the ANSI code page cannot hold.
//   probe dump [FILTER]
//       the top-level windows that match and all their descendants.
//   probe wait [FILTER] [--visible] [--timeout MS]
//       waits until a matching top-level window exists (and is visible),
//       then prints all top-level windows of its process, as dump does.
//   probe gone [FILTER] [--timeout MS]
//       waits until no matching top-level window is visible any more.
//   probe msgbox [FILTER] [--caption C] [--timeout MS] [--press ok|cancel|close]
//       waits for a visible message box, prints it, optionally answers it
//       and then waits until the box has gone.
//   probe command [FILTER] ID        posts WM_COMMAND (BN_CLICKED, ID)
//   probe syscommand [FILTER] close  posts WM_SYSCOMMAND SC_CLOSE
//   probe hittest --hwnd HEX X Y     sends WM_NCHITTEST for a screen point
//   probe metrics                    dialog base units of 8 point MS Sans
//                                    Serif, dialog frame, caption, screen
//   probe procs [--exe NAME] [--pid N]   lists matching processes (id, parent,
//                                        file name, 32 or 64 bits)
//   probe kill [--exe NAME] [--pid N]    terminates matching processes
//   probe usage --pid N              what the process holds: GDI objects (from
//                                    its GDI handle table, by kind), windows
//                                    (top-level, child, message-only), private
//                                    bytes and working set
//   probe manifest EXE               the program file's manifest as the
//                                    system reads it: run level, UI access,
//                                    supported systems
//   probe acc --hwnd HEX [--press default] [window]  the control's accessible
//                                    object as a screen reader reads it from
//                                    outside: name, role, state, default
//                                    action; --press default runs its default
//                                    action; window: the window's own object
//                                    instead of its client object
//   probe focus-events               (serve mode) the EVENT_OBJECT_FOCUS events
//                                    since the previous call, which starts
//                                    listening the first time
//   probe keyboard-cues [0|1]        whether the user's setting shows keyboard
//                                    cues at all times; sets it when given
//   probe serve DIR                  answers commands passed through files
//                                    in DIR (see Serve below)
//   probe keep                       holds a hidden top-level window titled
//                                    SetupMenuTestKeeper until it is closed,
//                                    which keeps Wine's desktop process up
//
// FILTER: --pid N, --exe NAME (file name of the process, any case),
// --title TEXT (exact caption), --class NAME, --hwnd HEX, --child ID (has a
// child control with that id); all must match. Commands that act on one
// window take the first visible match in z-order.
#include <windows.h>
#include <oleacc.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "gdi_table.h"

namespace {

// What a command answers; printed, or written to the response file in serve mode.
std::string g_out;

struct Filter {
    DWORD pid = 0;
    std::string exe;
    std::string title;
    std::string windowClass;
    HWND hwnd = nullptr;
    int childId = 0;
    bool hasTitle = false;
    bool hasChild = false;
};

struct Options {
    Filter filter;
    bool visible = false;
    DWORD timeoutMs = 10000;
    std::string caption;
    bool hasCaption = false;
    std::string press;
    std::string pidFile;
    std::string cwd;
    bool utf8 = false;
    std::vector<std::string> positional;
};

std::string Lower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

std::string BaseName(const std::string& path) {
    size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 2; i < argc; ++i) {
        std::string arg = argv[i];
        bool hasValue = i + 1 < argc;
        if (arg.rfind("--", 0) == 0 && arg != "--visible" && arg != "--utf8" && !hasValue) return false;
        if (arg == "--pid") {
            options.filter.pid = strtoul(argv[++i], nullptr, 0);
        } else if (arg == "--exe") {
            options.filter.exe = Lower(argv[++i]);
        } else if (arg == "--title") {
            options.filter.title = argv[++i];
            options.filter.hasTitle = true;
        } else if (arg == "--class") {
            options.filter.windowClass = argv[++i];
        } else if (arg == "--hwnd") {
            options.filter.hwnd = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(strtoull(argv[++i], nullptr, 16)));
        } else if (arg == "--child") {
            options.filter.childId = static_cast<int>(strtol(argv[++i], nullptr, 0));
            options.filter.hasChild = true;
        } else if (arg == "--visible") {
            options.visible = true;
        } else if (arg == "--utf8") {
            options.utf8 = true;
        } else if (arg == "--timeout") {
            options.timeoutMs = strtoul(argv[++i], nullptr, 0);
        } else if (arg == "--caption") {
            options.caption = argv[++i];
            options.hasCaption = true;
        } else if (arg == "--press") {
            options.press = argv[++i];
        } else if (arg == "--pidfile") {
            options.pidFile = argv[++i];
        } else if (arg == "--cwd") {
            options.cwd = argv[++i];
        } else {
            options.positional.push_back(arg);
        }
    }
    return true;
}

// --- processes ---------------------------------------------------------------

struct Process {
    DWORD pid;
    DWORD parent;
    std::string exe;
};

std::vector<Process> ListProcesses() {
    std::vector<Process> list;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return list;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        list.push_back({entry.th32ProcessID, entry.th32ParentProcessID, BaseName(entry.szExeFile)});
    }
    CloseHandle(snapshot);
    return list;
}

bool ProcessMatches(const Process& process, const Filter& filter) {
    if (filter.pid && process.pid != filter.pid) return false;
    if (!filter.exe.empty() && Lower(process.exe) != filter.exe) return false;
    return true;
}

std::string ExeOfPid(DWORD pid) {
    for (const Process& process : ListProcesses()) {
        if (process.pid == pid) return process.exe;
    }
    return std::string();
}

// --- windows -----------------------------------------------------------------

std::string WindowText(HWND hwnd) {
    char buffer[4096] = {};
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG,
                             2000, &copied)) {
        return std::string();
    }
    return std::string(buffer, strnlen(buffer, sizeof buffer));
}

// The text as the W calls give it: every script, whatever the code page.
std::wstring WideWindowText(HWND hwnd) {
    wchar_t buffer[4096] = {};
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 2000,
                             &copied)) {
        return std::wstring();
    }
    return std::wstring(buffer, wcsnlen(buffer, 4096));
}

std::string ClassOf(HWND hwnd) {
    char buffer[256] = {};
    GetClassNameA(hwnd, buffer, sizeof buffer);
    return buffer;
}

bool WindowMatches(HWND hwnd, const Filter& filter, const std::string& exeOfPid) {
    if (filter.hwnd && hwnd != filter.hwnd) return false;
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (filter.pid && pid != filter.pid) return false;
    if (!filter.exe.empty() && Lower(exeOfPid) != filter.exe) return false;
    if (!filter.windowClass.empty() && ClassOf(hwnd) != filter.windowClass) return false;
    if (filter.hasTitle && WindowText(hwnd) != filter.title) return false;
    if (filter.hasChild && !GetDlgItem(hwnd, filter.childId)) return false;
    return true;
}

// Top-level windows in z-order (topmost first), as EnumWindows gives them.
std::vector<HWND> TopLevelWindows(const Filter& filter) {
    std::vector<HWND> all;
    EnumWindows([](HWND hwnd, LPARAM param) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
        return TRUE;
    }, reinterpret_cast<LPARAM>(&all));
    std::vector<Process> processes = ListProcesses();
    std::vector<HWND> matching;
    for (HWND hwnd : all) {
        DWORD pid = 0;
        GetWindowThreadProcessId(hwnd, &pid);
        std::string exe;
        for (const Process& process : processes) {
            if (process.pid == pid) exe = process.exe;
        }
        if (WindowMatches(hwnd, filter, exe)) matching.push_back(hwnd);
    }
    return matching;
}

// --- JSON output -------------------------------------------------------------

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        char escaped[8];
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c >= 0x7F) {
            snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::string JsonString(const std::wstring& text) {
    std::string out = "\"";
    for (wchar_t c : text) {
        char escaped[8];
        if (c == L'"' || c == L'\\' || c < 0x20 || c >= 0x7F) {
            snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
            out += escaped;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::string JsonRect(const RECT& rect) {
    char buffer[96];
    snprintf(buffer, sizeof buffer, "[%ld, %ld, %ld, %ld]", rect.left, rect.top, rect.right, rect.bottom);
    return buffer;
}

std::string Hex(ULONG_PTR value) {
    char buffer[32];
    snprintf(buffer, sizeof buffer, "\"0x%llx\"", static_cast<unsigned long long>(value));
    return buffer;
}

// Window rectangle and client rectangle of a window, both also in the
// coordinates of its parent's client area (screen coordinates for a
// top-level window).
std::string DescribeWindow(HWND hwnd, int zIndex, int depth) {
    RECT window = {}, client = {}, inParent = {}, clientInParent = {};
    GetWindowRect(hwnd, &window);
    GetClientRect(hwnd, &client);
    HWND parent = (GetWindowLongPtrA(hwnd, GWL_STYLE) & WS_CHILD) ? GetParent(hwnd) : nullptr;
    inParent = window;
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&inParent), 2);
    clientInParent = client;
    MapWindowPoints(hwnd, parent, reinterpret_cast<POINT*>(&clientInParent), 2);
    RECT clientScreen = client;
    MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&clientScreen), 2);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    LRESULT image = SendMessageA(hwnd, STM_GETIMAGE, IMAGE_BITMAP, 0);
    std::string className = ClassOf(hwnd);
    bool isStatic = Lower(className) == "static";

    std::string indent(static_cast<size_t>(depth) * 2, ' ');
    char buffer[512];
    std::string out = indent + "{";
    snprintf(buffer, sizeof buffer,
             "\"hwnd\": %s, \"pid\": %lu, \"id\": %ld, \"z\": %d, \"style\": %lu, \"exstyle\": %lu, "
             "\"visible\": %s, \"style_visible\": %s, \"enabled\": %s, \"zoomed\": %s, ",
             Hex(reinterpret_cast<ULONG_PTR>(hwnd)).c_str(), pid,
             parent ? static_cast<long>(GetWindowLongPtrA(hwnd, GWLP_ID)) : 0L, zIndex,
             static_cast<unsigned long>(GetWindowLongPtrA(hwnd, GWL_STYLE)),
             static_cast<unsigned long>(GetWindowLongPtrA(hwnd, GWL_EXSTYLE)), IsWindowVisible(hwnd) ? "true" : "false",
             (GetWindowLongPtrA(hwnd, GWL_STYLE) & WS_VISIBLE) ? "true" : "false",
             IsWindowEnabled(hwnd) ? "true" : "false", IsZoomed(hwnd) ? "true" : "false");
    out += buffer;
    snprintf(buffer, sizeof buffer, "\"userdata\": %s, \"owner\": %s, \"parent\": %s, \"image\": %s, ",
             Hex(static_cast<ULONG_PTR>(GetWindowLongPtrA(hwnd, GWLP_USERDATA))).c_str(),
             Hex(reinterpret_cast<ULONG_PTR>(GetWindow(hwnd, GW_OWNER))).c_str(),
             Hex(reinterpret_cast<ULONG_PTR>(parent)).c_str(),
             Hex(isStatic ? static_cast<ULONG_PTR>(image) : 0).c_str());
    out += buffer;
    out += "\"class\": " + JsonString(className) + ", \"text\": " + JsonString(WindowText(hwnd)) +
           ", \"wide_text\": " + JsonString(WideWindowText(hwnd));
    if (!parent) {
        out += ", \"exe\": " + JsonString(ExeOfPid(pid));
        out += std::string(", \"foreground\": ") + (GetForegroundWindow() == hwnd ? "true" : "false");
    }
    out += ", \"rect\": " + JsonRect(window) + ", \"rect_in_parent\": " + JsonRect(inParent) +
           ", \"client\": " + JsonRect(client) + ", \"client_in_parent\": " + JsonRect(clientInParent) +
           ", \"client_screen\": " + JsonRect(clientScreen);
    out += ", \"children\": [";
    int index = 0;
    for (HWND child = GetWindow(hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT), ++index) {
        out += index ? ",\n" : "\n";
        out += DescribeWindow(child, index, depth + 1);
    }
    out += index ? "\n" + indent + "]}" : "]}";
    return out;
}

std::string DescribeWindows(const std::vector<HWND>& windows) {
    std::string out = "{\"windows\": [";
    for (size_t i = 0; i < windows.size(); ++i) {
        out += i ? ",\n" : "\n";
        out += DescribeWindow(windows[i], static_cast<int>(i), 1);
    }
    return out + "\n]}\n";
}

// --- commands ----------------------------------------------------------------

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Hex-encoded bytes; false when the text is not hex.
bool DecodeHex(const std::string& hex, std::string* bytes) {
    for (size_t i = 0; i + 1 < hex.size(); i += 2) {
        int high = HexValue(hex[i]), low = HexValue(hex[i + 1]);
        if (high < 0 || low < 0) return false;
        bytes->push_back(static_cast<char>(high * 16 + low));
    }
    return true;
}

std::wstring WideFromUtf8(const std::string& text) {
    std::wstring wide(text.size() + 1, L'\0');
    wide.resize(MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, &wide[0], static_cast<int>(wide.size())));
    return wide;  // with its terminator
}

BOOL StartProgram(const Options& options, std::string exe, std::string commandLine, PROCESS_INFORMATION* process) {
    const char* cwd = options.cwd.empty() ? nullptr : options.cwd.c_str();
    if (!options.utf8) {
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        return CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, cwd, &startup,
                              process);
    }
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    std::wstring wideCommandLine = WideFromUtf8(commandLine);
    const std::wstring wideCwd = WideFromUtf8(options.cwd);
    return CreateProcessW(WideFromUtf8(exe).c_str(), &wideCommandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                          cwd ? wideCwd.c_str() : nullptr, &startup, process);
}

int Run(const Options& options) {
    if (options.positional.size() != 2) return 2;
    std::string exe = options.positional[0];
    std::string commandLine;
    if (!DecodeHex(options.positional[1], &commandLine)) return 2;
    if (options.utf8) {
        exe.clear();
        if (!DecodeHex(options.positional[0], &exe)) return 2;
    }
    PROCESS_INFORMATION process = {};
    // Wine itself now and then fails a start with ERROR_INTERNAL_ERROR while
    // other processes come and go; that is retried. Every other error is the
    // program's own (no such file, not a program ...) and is reported.
    for (int attempt = 1;; ++attempt) {
        if (StartProgram(options, exe, commandLine, &process)) break;
        const DWORD error = GetLastError();
        if (error != ERROR_INTERNAL_ERROR || attempt == 5) {
            fprintf(stderr, "probe: CreateProcess failed: %lu\n", error);
            return 125;
        }
        fprintf(stderr, "probe: CreateProcess failed with %lu (attempt %d), again\n", error, attempt);
        Sleep(200 * attempt);
    }
    if (!options.pidFile.empty()) {
        FILE* file = fopen(options.pidFile.c_str(), "w");
        if (file) {
            fprintf(file, "%lu\n", process.dwProcessId);
            fclose(file);
        }
    }
    printf("%lu\n", process.dwProcessId);
    fflush(stdout);
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

std::vector<HWND> VisibleOnly(const std::vector<HWND>& windows) {
    std::vector<HWND> visible;
    for (HWND hwnd : windows) {
        if (IsWindowVisible(hwnd)) visible.push_back(hwnd);
    }
    return visible;
}

int Wait(const Options& options) {
    DWORD start = GetTickCount();
    for (;;) {
        std::vector<HWND> windows = TopLevelWindows(options.filter);
        if (options.visible) windows = VisibleOnly(windows);
        if (!windows.empty()) {
            // The whole state of the process that has the window, in one go.
            Filter sameProcess;
            GetWindowThreadProcessId(windows.front(), &sameProcess.pid);
            g_out += DescribeWindows(TopLevelWindows(sameProcess));
            return 0;
        }
        if (GetTickCount() - start >= options.timeoutMs) return 1;
        Sleep(50);
    }
}

int Gone(const Options& options) {
    DWORD start = GetTickCount();
    for (;;) {
        if (VisibleOnly(TopLevelWindows(options.filter)).empty()) return 0;
        if (GetTickCount() - start >= options.timeoutMs) return 1;
        Sleep(50);
    }
}

// A message box: a dialog whose text is the static control with id 0xFFFF.
bool IsMessageBox(HWND hwnd) {
    if (ClassOf(hwnd) != "#32770") return false;
    HWND text = GetDlgItem(hwnd, 0xFFFF);
    return text && Lower(ClassOf(text)) == "static";
}

int MsgBox(const Options& options) {
    Filter filter = options.filter;
    filter.windowClass = "#32770";
    DWORD start = GetTickCount();
    HWND box = nullptr;
    while (!box) {
        for (HWND hwnd : VisibleOnly(TopLevelWindows(filter))) {
            if (IsMessageBox(hwnd) && (!options.hasCaption || WindowText(hwnd) == options.caption)) {
                box = hwnd;
                break;
            }
        }
        if (box) break;
        if (GetTickCount() - start >= options.timeoutMs) return 1;
        Sleep(50);
    }
    DWORD pid = 0;
    GetWindowThreadProcessId(box, &pid);
    std::string out = "{\"hwnd\": " + Hex(reinterpret_cast<ULONG_PTR>(box)) +
                      ", \"pid\": " + std::to_string(pid) +
                      ", \"owner\": " + Hex(reinterpret_cast<ULONG_PTR>(GetWindow(box, GW_OWNER))) +
                      ", \"caption\": " + JsonString(WindowText(box)) +
                      ", \"text\": " + JsonString(WindowText(GetDlgItem(box, 0xFFFF))) +
                      ", \"wide_caption\": " + JsonString(WideWindowText(box)) +
                      ", \"wide_text\": " + JsonString(WideWindowText(GetDlgItem(box, 0xFFFF))) + ", \"buttons\": [";
    bool first = true;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (Lower(ClassOf(child)) != "button" || !IsWindowVisible(child)) continue;
        out += first ? "" : ", ";
        out += "{\"id\": " + std::to_string(GetDlgCtrlID(child)) + ", \"text\": " + JsonString(WindowText(child)) + "}";
        first = false;
    }
    // The icon control is there in every box; it holds an icon only when asked for one.
    out += "], \"icon\": ";
    HWND icon = GetDlgItem(box, 0x440);
    out += (icon && SendMessageA(icon, STM_GETICON, 0, 0)) ? "true" : "false";
    out += "}\n";
    g_out += out;

    if (options.press == "ok" || options.press == "cancel") {
        int id = options.press == "ok" ? IDOK : IDCANCEL;
        HWND button = GetDlgItem(box, id);
        if (!button) return 1;
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    } else if (options.press == "close") {
        PostMessageA(box, WM_SYSCOMMAND, SC_CLOSE, 0);
    } else if (!options.press.empty()) {
        return 2;
    }
    // An answered box is gone before the answer returns.
    for (DWORD waited = 0; !options.press.empty() && IsWindow(box) && IsWindowVisible(box); waited += 20) {
        if (waited >= 5000) return 1;
        Sleep(20);
    }
    return 0;
}

HWND FirstVisible(const Filter& filter) {
    std::vector<HWND> windows = VisibleOnly(TopLevelWindows(filter));
    return windows.empty() ? nullptr : windows.front();
}

int Command(const Options& options) {
    if (options.positional.size() != 1) return 2;
    HWND target = FirstVisible(options.filter);
    if (!target) return 1;
    WORD id = static_cast<WORD>(strtoul(options.positional[0].c_str(), nullptr, 0));
    return PostMessageA(target, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0) ? 0 : 1;
}

int SysCommand(const Options& options) {
    if (options.positional.size() != 1 || options.positional[0] != "close") return 2;
    HWND target = FirstVisible(options.filter);
    if (!target) return 1;
    return PostMessageA(target, WM_SYSCOMMAND, SC_CLOSE, 0) ? 0 : 1;
}

// What the dialog manager lays out with: the base units of 8 point MS Sans
// Serif (computed as the dialog manager does: the average width of the 52
// letters, rounded, and the font's height), the dialog frame and the caption.
int Metrics() {
    HDC dc = GetDC(nullptr);
    LOGFONTA font = {};
    font.lfHeight = -MulDiv(8, GetDeviceCaps(dc, LOGPIXELSY), 72);
    font.lfCharSet = DEFAULT_CHARSET;
    strcpy(font.lfFaceName, "MS Sans Serif");
    HFONT handle = CreateFontIndirectA(&font);
    HGDIOBJ previous = SelectObject(dc, handle);
    TEXTMETRICA metrics = {};
    GetTextMetricsA(dc, &metrics);
    static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    SIZE extent = {};
    GetTextExtentPoint32A(dc, letters, 52, &extent);
    SelectObject(dc, previous);
    DeleteObject(handle);
    ReleaseDC(nullptr, dc);
    char text[256];
    snprintf(text, sizeof text,
             "{\"base_units\": [%ld, %ld], \"dlgframe\": [%d, %d], \"caption\": %d, \"screen\": [%d, %d]}\n",
             (extent.cx / 26 + 1) / 2, metrics.tmHeight, GetSystemMetrics(SM_CXDLGFRAME),
             GetSystemMetrics(SM_CYDLGFRAME), GetSystemMetrics(SM_CYCAPTION), GetSystemMetrics(SM_CXSCREEN),
             GetSystemMetrics(SM_CYSCREEN));
    g_out += text;
    return 0;
}

// What the window says is at a screen point (HT* code), as the system asks it.
int HitTest(const Options& options) {
    if (options.positional.size() != 2 || !options.filter.hwnd) return 2;
    LPARAM point = MAKELPARAM(atoi(options.positional[0].c_str()), atoi(options.positional[1].c_str()));
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(options.filter.hwnd, WM_NCHITTEST, 0, point, SMTO_ABORTIFHUNG, 2000, &result)) return 1;
    g_out += std::to_string(static_cast<long long>(static_cast<LRESULT>(result))) + "\n";
    return 0;
}

// 32 for a 32-bit process (under WoW64), 64 for a 64-bit one, 0 if unknown.
int ProcessBits(DWORD pid) {
    HANDLE handle = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!handle) return 0;
    BOOL wow64 = FALSE;
    const BOOL known = IsWow64Process(handle, &wow64);
    CloseHandle(handle);
    if (!known) return 0;
    return wow64 ? 32 : 64;
}

int Procs(const Options& options, bool kill) {
    std::string out = "{\"processes\": [";
    bool first = true;
    for (const Process& process : ListProcesses()) {
        if (!ProcessMatches(process, options.filter)) continue;
        out += first ? "" : ", ";
        out += "{\"pid\": " + std::to_string(process.pid) + ", \"parent\": " + std::to_string(process.parent) +
               ", \"exe\": " + JsonString(process.exe) + ", \"bits\": " + std::to_string(ProcessBits(process.pid)) +
               "}";
        first = false;
        if (kill) {
            HANDLE handle = OpenProcess(PROCESS_TERMINATE, FALSE, process.pid);
            if (handle) {
                TerminateProcess(handle, 99);
                CloseHandle(handle);
            }
        }
    }
    g_out += out + "]}\n";
    return 0;
}

// --- what a process holds ----------------------------------------------------

// {"total": N, "stock": N, "dc": N, ..., "other": N}, or null when the table
// cannot be read (see gdi_table.h).
std::string DescribeGdiObjects(HANDLE process) {
    const GdiCount count = CountGdiObjects(process);
    if (!count.known) return "null";
    const std::pair<const char*, int> fields[] = {
        {"total", count.total}, {"stock", count.stock}, {"dc", count.dc}, {"region", count.region},
        {"bitmap", count.bitmap}, {"font", count.font}, {"brush", count.brush}, {"pen", count.pen},
        {"palette", count.palette}, {"other", count.other}};
    std::string out;
    for (const auto& [name, value] : fields) out += (out.empty() ? "{\"" : ", \"") + std::string(name) + "\": " + std::to_string(value);
    return out + "}";
}

struct WindowCount {
    DWORD pid;
    int top = 0, child = 0, message = 0;
};

BOOL CALLBACK CountChildWindow(HWND, LPARAM param) {
    ++reinterpret_cast<WindowCount*>(param)->child;  // every descendant, not just direct children
    return TRUE;
}

BOOL CALLBACK CountTopWindow(HWND hwnd, LPARAM param) {
    auto* count = reinterpret_cast<WindowCount*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == count->pid) {
        ++count->top;
        EnumChildWindows(hwnd, CountChildWindow, param);
    }
    return TRUE;
}

// Message-only windows, counted on a thread of their own: Wine keeps the
// parent of message-only windows per thread, from the thread's first look at
// the desktop, and a thread that looked while the desktop process was still
// starting has none, so that HWND_MESSAGE then lists the top-level windows.
// A fresh thread asks anew; windows whose parent is the desktop are skipped
// all the same.
DWORD WINAPI CountMessageWindows(void* param) {
    auto* count = static_cast<WindowCount*>(param);
    HWND desktop = GetDesktopWindow();
    for (HWND hwnd = FindWindowExA(HWND_MESSAGE, nullptr, nullptr, nullptr); hwnd;
         hwnd = FindWindowExA(HWND_MESSAGE, hwnd, nullptr, nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(hwnd, &owner);
        if (owner != count->pid || GetAncestor(hwnd, GA_PARENT) == desktop) continue;
        ++count->message;
        EnumChildWindows(hwnd, CountChildWindow, reinterpret_cast<LPARAM>(count));
    }
    return 0;
}

// Windows are the USER objects another process can see; menus, cursors,
// hooks and the like cannot be counted from outside.
bool CountWindows(DWORD pid, WindowCount* count) {
    count->pid = pid;
    EnumWindows(CountTopWindow, reinterpret_cast<LPARAM>(count));
    HANDLE thread = CreateThread(nullptr, 0, CountMessageWindows, count, 0, nullptr);
    if (!thread) return false;
    // No timeout: the thread writes to *count until it ends.
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    return true;
}

int ResourceUsage(const Options& options) {
    if (!options.filter.pid) return 2;
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, options.filter.pid);
    if (!process) return 1;
    // The GDI handle table is read first: reading it touches all its pages in
    // the process, and a kernel that gives a read of untouched anonymous
    // memory a page of its own (rather than the shared zero page) counts them
    // as the process's anonymous memory from then on, 1.5 MiB the first time.
    // Read after the table, every reading includes them, so two readings
    // differ only by what the process itself did in between.
    const std::string gdi = DescribeGdiObjects(process);
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof memory;
    const bool memoryKnown = GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                                                  sizeof memory) != FALSE;
    // Windows gives the private bytes (the commit charge) in both fields;
    // Wine 8 leaves PrivateUsage 0 and gives them in PagefileUsage only, as
    // the process's anonymous memory in use. (GetProcessHandleCount is no help
    // either: Wine 8 answers 0.)
    const SIZE_T privateBytes = memory.PrivateUsage ? memory.PrivateUsage : memory.PagefileUsage;
    CloseHandle(process);
    if (!memoryKnown) return 1;
    WindowCount windows;
    if (!CountWindows(options.filter.pid, &windows)) return 1;
    g_out += "{\"pid\": " + std::to_string(options.filter.pid) + ", \"gdi\": " + gdi +
             ", \"windows\": {\"top\": " + std::to_string(windows.top) +
             ", \"child\": " + std::to_string(windows.child) + ", \"message\": " + std::to_string(windows.message) +
             "}, \"private\": " + std::to_string(static_cast<unsigned long long>(privateBytes)) +
             ", \"working_set\": " + std::to_string(static_cast<unsigned long long>(memory.WorkingSetSize)) + "}\n";
    return 0;
}

// The system's own reading of a program file's manifest (resource 1), through
// an activation context made from it: {"run_level": N, "ui_access": N,
// "os": ["{guid}", ...]}, run levels numbered as ACTCTX_REQUESTED_RUN_LEVEL.
std::string GuidText(const GUID& id) {
    char buffer[48];
    snprintf(buffer, sizeof buffer, "{%08lx-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x}",
             static_cast<unsigned long>(id.Data1), id.Data2, id.Data3, id.Data4[0], id.Data4[1], id.Data4[2],
             id.Data4[3], id.Data4[4], id.Data4[5], id.Data4[6], id.Data4[7]);
    return buffer;
}

int Manifest(const Options& options) {
    if (options.positional.size() != 1) return 2;
    ACTCTXA request = {};
    request.cbSize = sizeof request;
    request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    request.lpSource = options.positional[0].c_str();
    request.lpResourceName = MAKEINTRESOURCEA(1);
    HANDLE context = CreateActCtxA(&request);
    if (context == INVALID_HANDLE_VALUE) {
        g_out += "{\"error\": " + std::to_string(GetLastError()) + "}\n";
        return 1;
    }
    ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION level = {};
    SIZE_T written = 0;
    bool ok = QueryActCtxW(0, context, nullptr, RunlevelInformationInActivationContext, &level, sizeof level,
                           &written) != FALSE;
    // Elements are a GUID and a type, and in newer headers also a ULONGLONG
    // (MaxVersionTested), which moves them to 8-byte alignment: tell the
    // layouts apart by the size written.
    alignas(8) unsigned char compatibility[4096];
    ok = ok && QueryActCtxW(0, context, nullptr, CompatibilityInformationInActivationContext, compatibility,
                            sizeof compatibility, &written) != FALSE;
    ReleaseActCtx(context);
    if (!ok) {
        g_out += "{\"error\": " + std::to_string(GetLastError()) + "}\n";
        return 1;
    }
    DWORD count = 0;
    memcpy(&count, compatibility, sizeof count);
    size_t first = 0, stride = 0;
    if (written == 4 + 20 * static_cast<SIZE_T>(count)) {
        first = 4, stride = 20;
    } else if (written == 8 + 32 * static_cast<SIZE_T>(count)) {
        first = 8, stride = 32;
    } else {
        g_out += "{\"error\": \"compatibility information of " + std::to_string(written) + " bytes for " +
                 std::to_string(count) + " elements\"}\n";
        return 1;
    }
    std::string out = "{\"run_level\": " + std::to_string(level.RunLevel) +
                      ", \"ui_access\": " + std::to_string(level.UiAccess) + ", \"os\": [";
    for (DWORD i = 0; i < count; ++i) {
        GUID id;
        DWORD type = 0;
        memcpy(&id, compatibility + first + i * stride, sizeof id);
        memcpy(&type, compatibility + first + i * stride + sizeof id, sizeof type);
        if (type != ACTCTX_COMPATIBILITY_ELEMENT_TYPE_OS) continue;
        out += (out.back() == '[' ? "" : ", ") + JsonString(GuidText(id));
    }
    g_out += out + "]}\n";
    return 0;
}

// --- accessibility --------------------------------------------------------------

std::string Narrow(BSTR text) {
    std::string out;
    for (UINT i = 0; text && i < SysStringLen(text); ++i) out += text[i] < 0x100 ? static_cast<char>(text[i]) : '?';
    SysFreeString(text);
    return out;
}

// A window's client object (or its window object) read across processes, as a
// screen reader reads it (__uuidof: MinGW's import library turns
// IID_IAccessible into a thunk).
int Accessible(const Options& options) {
    IAccessible* object = nullptr;
    CoInitialize(nullptr);
    const bool window = !options.positional.empty() && options.positional[0] == "window";
    if (FAILED(AccessibleObjectFromWindow(options.filter.hwnd, static_cast<DWORD>(window ? OBJID_WINDOW : OBJID_CLIENT),
                                          __uuidof(IAccessible), reinterpret_cast<void**>(&object)))) {
        return 1;
    }
    VARIANT self = {}, role = {}, state = {};
    self.vt = VT_I4;  // CHILDID_SELF
    BSTR name = nullptr, action = nullptr;
    object->get_accName(self, &name);
    object->get_accRole(self, &role);
    object->get_accState(self, &state);
    object->get_accDefaultAction(self, &action);
    const std::wstring wideName = name ? std::wstring(name, SysStringLen(name)) : std::wstring();
    g_out += "{\"name\": " + JsonString(Narrow(name)) + ", \"wide_name\": " + JsonString(wideName) + ", \"role\": " + std::to_string(role.lVal) +
             ", \"state\": " + std::to_string(state.lVal) + ", \"action\": " + JsonString(Narrow(action)) + "}\n";
    const HRESULT pressed = options.press == "default" ? object->accDoDefaultAction(self) : S_OK;
    object->Release();
    return SUCCEEDED(pressed) ? 0 : 1;
}

// Focus events reach the hook while serve mode waits for requests.
std::vector<HWND> g_focusEvents;

void CALLBACK RecordFocus(HWINEVENTHOOK, DWORD, HWND hwnd, LONG object, LONG child, DWORD, DWORD) {
    if (object == OBJID_CLIENT && child == CHILDID_SELF) g_focusEvents.push_back(hwnd);
}

int FocusEvents() {
    static HWINEVENTHOOK hook =
        SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_FOCUS, nullptr, RecordFocus, 0, 0, WINEVENT_OUTOFCONTEXT);
    std::string out;
    for (HWND hwnd : g_focusEvents) out += (out.empty() ? "" : ", ") + Hex(reinterpret_cast<ULONG_PTR>(hwnd));
    g_focusEvents.clear();
    g_out += "{\"events\": [" + out + "]}\n";
    return hook ? 0 : 1;
}

int KeyboardCues(const Options& options) {
    BOOL shown = FALSE;
    SystemParametersInfoA(SPI_GETKEYBOARDCUES, 0, &shown, 0);
    g_out += shown ? "1\n" : "0\n";
    if (options.positional.empty()) return 0;
    const BOOL wanted = options.positional[0] == "1";
    return SystemParametersInfoA(SPI_SETKEYBOARDCUES, 0, reinterpret_cast<void*>(static_cast<INT_PTR>(wanted)),
                                 SPIF_UPDATEINIFILE | SPIF_SENDCHANGE) ? 0 : 1;
}

int Execute(int argc, char** argv) {
    Options options;
    if (argc < 2 || !ParseOptions(argc, argv, options)) return 2;
    std::string command = argv[1];
    if (command == "run") return Run(options);
    if (command == "dump") {
        g_out += DescribeWindows(TopLevelWindows(options.filter));
        return 0;
    }
    if (command == "wait") return Wait(options);
    if (command == "gone") return Gone(options);
    if (command == "msgbox") return MsgBox(options);
    if (command == "command") return Command(options);
    if (command == "syscommand") return SysCommand(options);
    if (command == "hittest") return HitTest(options);
    if (command == "metrics") return Metrics();
    if (command == "procs") return Procs(options, false);
    if (command == "manifest") return Manifest(options);
    if (command == "usage") return ResourceUsage(options);
    if (command == "acc") return Accessible(options);
    if (command == "focus-events") return FocusEvents();
    if (command == "keyboard-cues") return KeyboardCues(options);
    if (command == "kill") {
        if (!options.filter.pid && options.filter.exe.empty()) return 2;  // never everything
        return Procs(options, true);
    }
    return 2;
}

// Serve mode saves a Wine start per command: requests come as a file
// DIR\request (first line a sequence number, then one argument per line),
// answers go to DIR\response-<sequence> (first line the exit code, then
// the output), each written under another name and renamed into place.
// The server ends on the command "quit" or after a minute without requests.
std::vector<std::string> ReadLines(const std::string& path) {
    std::vector<std::string> lines;
    FILE* file = fopen(path.c_str(), "rb");
    if (!file) return lines;
    std::string line;
    for (int c = fgetc(file); c != EOF; c = fgetc(file)) {
        if (c == '\n') {
            lines.push_back(line);
            line.clear();
        } else if (c != '\r') {
            line += static_cast<char>(c);
        }
    }
    if (!line.empty()) lines.push_back(line);
    fclose(file);
    return lines;
}

int Serve(const std::string& dir) {
    const std::string request = dir + "\\request";
    DWORD idleSince = GetTickCount();
    for (;;) {
        if (GetFileAttributesA(request.c_str()) == INVALID_FILE_ATTRIBUTES) {
            if (GetTickCount() - idleSince > 60000) return 0;
            // Waiting, the thread delivers what its hooks receive.
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
            for (MSG message; PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE);) DispatchMessageA(&message);
            continue;
        }
        std::vector<std::string> lines = ReadLines(request);
        DeleteFileA(request.c_str());
        if (lines.empty()) continue;
        if (lines.size() > 1 && lines[1] == "quit") return 0;
        std::vector<char*> argv;
        static char program[] = "probe";
        argv.push_back(program);
        for (size_t i = 1; i < lines.size(); ++i) argv.push_back(&lines[i][0]);
        g_out.clear();
        int code = Execute(static_cast<int>(argv.size()), argv.data());
        std::string answer = std::to_string(code) + "\n" + g_out;
        std::string partial = dir + "\\response.tmp", done = dir + "\\response-" + lines[0];
        FILE* file = fopen(partial.c_str(), "wb");
        if (file) {
            fwrite(answer.data(), 1, answer.size(), file);
            fclose(file);
            MoveFileExA(partial.c_str(), done.c_str(), MOVEFILE_REPLACE_EXISTING);
        }
        idleSince = GetTickCount();
    }
}

// The keeper: a hidden window that lives as long as the test run, so that
// Wine's desktop process does not end and start again between programs.
LRESULT CALLBACK KeeperProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

int Keep() {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = KeeperProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "SetupMenuTestKeeper";
    if (!RegisterClassA(&windowClass)) return 1;
    if (!CreateWindowExA(0, windowClass.lpszClassName, "SetupMenuTestKeeper", WS_POPUP, 0, 0, 1, 1, nullptr,
                         nullptr, windowClass.hInstance, nullptr)) {
        return 1;
    }
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "serve") return Serve(argv[2]);
    if (argc == 2 && std::string(argv[1]) == "keep") return Keep();
    int result = Execute(argc, argv);
    if (result == 2 && g_out.empty()) {
        fprintf(stderr, "usage: probe serve DIR | run|dump|wait|gone|msgbox|command|syscommand|hittest|procs|kill|manifest|usage|acc|focus-events [options]\n");
    }
    fwrite(g_out.data(), 1, g_out.size(), stdout);
    fflush(stdout);
    return result;
}
