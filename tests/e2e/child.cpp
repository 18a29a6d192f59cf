// child: a stand-in for an installer that a launcher button starts. It
// appends one line about how it was started to <its own path without
// extension>.record and exits 0:
//
//   pid=<id>|cwd=<current directory>|cmdline=<command line>|show=<flags>,<show state>
//
// A program started with an empty command line cannot be told where to
// write, so it writes beside itself. When its file name contains "linger"
// it stays alive for a few seconds after writing, so that a test can see it
// running.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <cwchar>

int main() {
    // Its own path wide: started from a folder that the ANSI code page cannot
    // hold, the ANSI name would hold '?' and name no file.
    wchar_t path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return 3;
    wchar_t* dot = wcsrchr(path, L'.');
    wchar_t* slash = wcsrchr(path, L'\\');
    if (dot && (!slash || dot > slash)) *dot = L'\0';
    bool linger = wcsstr(slash ? slash : path, L"linger") != nullptr;

    wchar_t record[MAX_PATH + 16];
    _snwprintf(record, MAX_PATH + 16, L"%ls.record", path);
    record[MAX_PATH + 15] = L'\0';
    char cwd[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof cwd, cwd);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    char line[4096];
    int size = snprintf(line, sizeof line, "pid=%lu|cwd=%s|cmdline=%s|show=%lu,%u\r\n", GetCurrentProcessId(), cwd,
                        GetCommandLineA(), startup.dwFlags, startup.wShowWindow);
    if (size < 0) return 3;
    if (size >= static_cast<int>(sizeof line)) size = static_cast<int>(sizeof line) - 1;

    // Two instances may start close together: wait for the other's append.
    HANDLE file = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
        file = CreateFileW(record, FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) Sleep(20);
    }
    if (file == INVALID_HANDLE_VALUE) return 4;
    DWORD written = 0;
    WriteFile(file, line, static_cast<DWORD>(size), &written, nullptr);
    CloseHandle(file);
    if (linger) Sleep(5000);
    return 0;
}
