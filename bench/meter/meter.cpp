// bench_meter: the measuring helper of the benchmarks. A console program that
// runs in the same Wine prefix as the programs it measures, starts them with
// CreateProcess and watches their windows. Every time is read from
// QueryPerformanceCounter, which under Wine is the system's monotonic clock
// (CLOCK_MONOTONIC_RAW) in every process, and is printed in nanoseconds.
//
//   bench_meter startup [--rounds N] [--warmup N] [--settle MS] [--poll-us US]
//                       --case NAME|EXE|CAPTION|TRACEFILE ...
//       Runs every case once per round, in an order that turns by one case
//       each round. A run starts EXE (in its own folder), measures from just
//       before CreateProcess until a visible top-level "#32770" window of the
//       new process with the caption CAPTION exists, waits SETTLE ms, takes
//       the process's figures (memory, GDI objects, windows), posts IDCANCEL
//       to that window and waits for the process to end. TRACEFILE, when not
//       empty, is put into SETUPMENU_BENCH_TRACE for the timing build (a
//       "%d" in it becomes the round). One JSON object per run on stdout;
//       its "bits" says whether the process ran as a 32-bit (WoW64) or a
//       64-bit program.
//
//   bench_meter hover [--poll-us US] EXE CAPTION NORMAL_ID SELECTED_ID
//       Starts EXE, waits for its menu, prints "READY" with the screen
//       rectangles of the dialog and of both controls, then answers commands
//       read one a line from stdin:
//         PING       -> "PONG <now>"
//         WAITSHOW   -> "SHOWN <time>" once the selected control is visible
//         WAITHIDE   -> "POLLING" at once, then "HIDDEN <time>" once it is not
//         QUIT       -> ends the program, "BYE <exit code>"
//       A wait gives "TIMEOUT" after 5 s.
//
//   bench_meter keep
//       Holds a hidden top-level window titled SetupMenuTestKeeper until it
//       is closed, which keeps Wine's desktop process up between programs
//       (tests/wine/wine-env.sh --keeper).
//   bench_meter wait --title TEXT [--timeout MS]
//       Exits 0 once a top-level window with that caption exists, else 1.
#include <windows.h>
#include <psapi.h>
#include <winternl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "../../tests/e2e/gdi_table.h"

namespace {

LONGLONG g_frequency;

long long NowNs() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<long long>(t.QuadPart / g_frequency * 1000000000LL +
                                  t.QuadPart % g_frequency * 1000000000LL / g_frequency);
}

using NtDelayExecutionProc = LONG(NTAPI*)(BOOLEAN, const LARGE_INTEGER*);
NtDelayExecutionProc g_delay;

void SleepMicroseconds(int us) {
    if (g_delay) {
        LARGE_INTEGER interval;
        interval.QuadPart = -10LL * us;
        g_delay(FALSE, &interval);
    } else {
        Sleep(us >= 1000 ? us / 1000 : 1);
    }
}

struct Case {
    std::string name, exe, caption, trace;
};

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t at = text.find(separator, start);
        parts.push_back(text.substr(start, at == std::string::npos ? std::string::npos : at - start));
        if (at == std::string::npos) return parts;
        start = at + 1;
    }
}

std::string FolderOf(const std::string& path) {
    const size_t at = path.find_last_of("\\/");
    return at == std::string::npos ? std::string(".") : path.substr(0, at);
}

std::string JsonText(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        if (static_cast<unsigned char>(c) < 0x20) continue;
        out += c;
    }
    return out + "\"";
}

struct Child {
    PROCESS_INFORMATION process{};
    long long startNs = 0;
};

bool StartChild(const std::string& exe, Child* child) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    std::string commandLine = "\"" + exe + "\"";
    std::vector<char> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back('\0');
    const std::string folder = FolderOf(exe);
    child->startNs = NowNs();
    return CreateProcessA(exe.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                          &child->process) != FALSE;
}

// A visible top-level dialog of the process with that caption, or null.
HWND FindVisibleDialog(DWORD pid, const std::string& caption) {
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, "#32770", caption.c_str())) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == pid && IsWindowVisible(window)) return window;
    }
    return nullptr;
}

// Waits for the dialog; returns it and the time it was first seen visible.
HWND WaitForDialog(const Child& child, const std::string& caption, int pollUs, long long* seenNs) {
    const long long deadline = NowNs() + 20000000000LL;
    for (;;) {
        if (HWND window = FindVisibleDialog(child.process.dwProcessId, caption)) {
            *seenNs = NowNs();
            return window;
        }
        if (WaitForSingleObject(child.process.hProcess, 0) == WAIT_OBJECT_0 || NowNs() > deadline) return nullptr;
        SleepMicroseconds(pollUs);
    }
}

DWORD EndChild(const Child& child, HWND dialog) {
    if (dialog) PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
    if (WaitForSingleObject(child.process.hProcess, 10000) != WAIT_OBJECT_0) {
        TerminateProcess(child.process.hProcess, 99);
        WaitForSingleObject(child.process.hProcess, 5000);
    }
    DWORD code = 0;
    GetExitCodeProcess(child.process.hProcess, &code);
    return code;
}

struct WindowCount {
    DWORD pid;
    int top;
    int all;
};

BOOL CALLBACK CountChild(HWND, LPARAM param) {
    ++reinterpret_cast<WindowCount*>(param)->all;
    return TRUE;
}

BOOL CALLBACK CountTop(HWND window, LPARAM param) {
    auto* count = reinterpret_cast<WindowCount*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == count->pid) {
        ++count->top;
        ++count->all;
        EnumChildWindows(window, CountChild, param);
    }
    return TRUE;
}

// 32 when the process runs 32-bit code under WoW64: a run of the wrong kind
// of program must not pass for the one meant.
int ProcessBits(HANDLE process) {
    BOOL wow64 = FALSE;
    return IsWow64Process(process, &wow64) && wow64 ? 32 : 64;
}

std::string ReplaceRound(const std::string& pattern, int round) {
    const size_t at = pattern.find("%d");
    if (at == std::string::npos) return pattern;
    return pattern.substr(0, at) + std::to_string(round) + pattern.substr(at + 2);
}

int RunStartup(const std::vector<Case>& cases, int rounds, int warmup, int settleMs, int pollUs) {
    for (int round = -warmup; round < rounds; ++round) {
        const size_t n = cases.size();
        for (size_t k = 0; k < n; ++k) {
            const Case& c = cases[(static_cast<size_t>(round + warmup) + k) % n];
            const std::string trace = c.trace.empty() ? std::string() : ReplaceRound(c.trace, round + warmup);
            if (!trace.empty()) DeleteFileA(trace.c_str());
            SetEnvironmentVariableA("SETUPMENU_BENCH_TRACE", trace.empty() ? nullptr : trace.c_str());
            Child child;
            if (!StartChild(c.exe, &child)) {
                std::printf("{\"case\":%s,\"round\":%d,\"error\":\"CreateProcess %lu\"}\n", JsonText(c.name).c_str(),
                            round, GetLastError());
                std::fflush(stdout);
                continue;
            }
            long long seenNs = 0;
            HWND dialog = WaitForDialog(child, c.caption, pollUs, &seenNs);
            std::string figures;
            if (dialog && settleMs > 0) {
                Sleep(static_cast<DWORD>(settleMs));
                PROCESS_MEMORY_COUNTERS_EX memory{};
                memory.cb = sizeof memory;
                if (GetProcessMemoryInfo(child.process.hProcess, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                                         sizeof memory)) {
                    char text[256];
                    std::snprintf(text, sizeof text, ",\"peak_ws\":%llu,\"ws\":%llu,\"private\":%llu",
                                  static_cast<unsigned long long>(memory.PeakWorkingSetSize),
                                  static_cast<unsigned long long>(memory.WorkingSetSize),
                                  static_cast<unsigned long long>(memory.PrivateUsage));
                    figures += text;
                }
                WindowCount windows{child.process.dwProcessId, 0, 0};
                EnumWindows(CountTop, reinterpret_cast<LPARAM>(&windows));
                char text[512];
                std::snprintf(text, sizeof text, ",\"windows_top\":%d,\"windows\":%d,\"gui_user\":%lu,\"gui_gdi\":%lu",
                              windows.top, windows.all, GetGuiResources(child.process.hProcess, GR_USEROBJECTS),
                              GetGuiResources(child.process.hProcess, GR_GDIOBJECTS));
                figures += text;
                const GdiCount gdi = CountGdiObjects(child.process.hProcess);
                if (gdi.known) {
                    std::snprintf(text, sizeof text,
                                  ",\"gdi\":{\"total\":%d,\"stock\":%d,\"dc\":%d,\"region\":%d,\"bitmap\":%d,"
                                  "\"font\":%d,\"brush\":%d,\"pen\":%d,\"palette\":%d,\"other\":%d}",
                                  gdi.total, gdi.stock, gdi.dc, gdi.region, gdi.bitmap, gdi.font, gdi.brush, gdi.pen,
                                  gdi.palette, gdi.other);
                    figures += text;
                }
            }
            const int bits = ProcessBits(child.process.hProcess);
            const DWORD code = EndChild(child, dialog);
            CloseHandle(child.process.hThread);
            CloseHandle(child.process.hProcess);
            std::printf("{\"case\":%s,\"round\":%d,\"warmup\":%s,\"start_ns\":%lld,\"visible_ns\":%lld,"
                        "\"ms\":%.3f,\"exit\":%lu,\"bits\":%d,\"trace\":%s%s}\n",
                        JsonText(c.name).c_str(), round, round < 0 ? "true" : "false", child.startNs,
                        dialog ? seenNs : 0LL, dialog ? (seenNs - child.startNs) / 1e6 : -1.0, code, bits,
                        JsonText(trace).c_str(), figures.c_str());
            std::fflush(stdout);
            // Let the ended process's Wine side settle before the next start.
            Sleep(150);
        }
    }
    return 0;
}

bool ReadCommand(char* line, size_t size) {
    if (!std::fgets(line, static_cast<int>(size), stdin)) return false;
    line[std::strcspn(line, "\r\n")] = '\0';
    return true;
}

void PrintRect(const char* name, HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    std::printf(" %s=%ld,%ld,%ld,%ld", name, r.left, r.top, r.right, r.bottom);
}

int RunHover(const std::string& exe, const std::string& caption, int normalId, int selectedId, int pollUs) {
    Child child;
    if (!StartChild(exe, &child)) {
        std::printf("ERROR CreateProcess %lu\n", GetLastError());
        return 1;
    }
    long long seenNs = 0;
    HWND dialog = WaitForDialog(child, caption, 1000, &seenNs);
    if (!dialog) {
        std::printf("ERROR no menu dialog\n");
        EndChild(child, nullptr);
        return 1;
    }
    HWND normal = GetDlgItem(dialog, normalId);
    HWND selected = GetDlgItem(dialog, selectedId);
    std::printf("READY");
    PrintRect("dialog", dialog);
    PrintRect("normal", normal);
    PrintRect("selected", selected);
    std::printf("\n");
    std::fflush(stdout);

    char line[256];
    while (ReadCommand(line, sizeof line)) {
        if (std::strcmp(line, "PING") == 0) {
            std::printf("PONG %lld\n", NowNs());
        } else if (std::strcmp(line, "WAITSHOW") == 0 || std::strcmp(line, "WAITHIDE") == 0) {
            const bool wantVisible = line[4] == 'S';
            if (!wantVisible) {
                std::printf("POLLING\n");
                std::fflush(stdout);
            }
            const long long deadline = NowNs() + 5000000000LL;
            bool done = false;
            while (NowNs() < deadline) {
                if ((IsWindowVisible(selected) != FALSE) == wantVisible) {
                    std::printf("%s %lld\n", wantVisible ? "SHOWN" : "HIDDEN", NowNs());
                    done = true;
                    break;
                }
                SleepMicroseconds(pollUs);
            }
            if (!done) std::printf("TIMEOUT\n");
        } else if (std::strcmp(line, "QUIT") == 0) {
            break;
        } else {
            std::printf("ERROR unknown command\n");
        }
        std::fflush(stdout);
    }
    const DWORD code = EndChild(child, dialog);
    std::printf("BYE %lu\n", code);
    std::fflush(stdout);
    CloseHandle(child.process.hThread);
    CloseHandle(child.process.hProcess);
    return 0;
}

LRESULT CALLBACK KeeperProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcA(window, message, wParam, lParam);
}

int Keep() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = KeeperProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "SetupMenuTestKeeper";
    if (!RegisterClassA(&windowClass) ||
        !CreateWindowExA(0, windowClass.lpszClassName, windowClass.lpszClassName, WS_POPUP, 0, 0, 1, 1, nullptr,
                         nullptr, windowClass.hInstance, nullptr)) {
        return 1;
    }
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
    return 0;
}

int WaitForWindow(const std::string& title, int timeoutMs) {
    const long long deadline = NowNs() + timeoutMs * 1000000LL;
    while (!FindWindowA(nullptr, title.c_str())) {
        if (NowNs() > deadline) return 1;
        Sleep(50);
    }
    return 0;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: bench_meter startup [--rounds N] [--warmup N] [--settle MS] [--poll-us US] "
                 "--case NAME|EXE|CAPTION|TRACE ...\n"
                 "       bench_meter hover [--poll-us US] EXE CAPTION NORMAL_ID SELECTED_ID\n"
                 "       bench_meter keep | wait --title TEXT [--timeout MS]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    g_frequency = frequency.QuadPart;
    g_delay = reinterpret_cast<NtDelayExecutionProc>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtDelayExecution")));
    if (argc < 2) return Usage();
    // A program that crashes must not start Wine's debugger and wait on it:
    // the error mode is inherited by the programs started from here.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);

    const std::string mode = argv[1];
    int rounds = 20, warmup = 1, settleMs = 0, pollUs = 500, timeoutMs = 60000;
    std::string title;
    std::vector<Case> cases;
    std::vector<std::string> positional;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--rounds" && hasValue) {
            rounds = std::atoi(argv[++i]);
        } else if (arg == "--warmup" && hasValue) {
            warmup = std::atoi(argv[++i]);
        } else if (arg == "--settle" && hasValue) {
            settleMs = std::atoi(argv[++i]);
        } else if (arg == "--poll-us" && hasValue) {
            pollUs = std::atoi(argv[++i]);
        } else if (arg == "--title" && hasValue) {
            title = argv[++i];
        } else if (arg == "--timeout" && hasValue) {
            timeoutMs = std::atoi(argv[++i]);
        } else if (arg == "--case" && hasValue) {
            const std::vector<std::string> parts = Split(argv[++i], '|');
            if (parts.size() != 4) return Usage();
            cases.push_back(Case{parts[0], parts[1], parts[2], parts[3]});
        } else {
            positional.push_back(arg);
        }
    }
    if (mode == "keep" && argc == 2) return Keep();
    if (mode == "wait" && !title.empty() && positional.empty()) return WaitForWindow(title, timeoutMs);
    if (mode == "startup" && !cases.empty() && positional.empty()) return RunStartup(cases, rounds, warmup, settleMs, pollUs);
    if (mode == "hover" && positional.size() == 4) {
        return RunHover(positional[0], positional[1], std::atoi(positional[2].c_str()), std::atoi(positional[3].c_str()),
                        pollUs);
    }
    return Usage();
}
