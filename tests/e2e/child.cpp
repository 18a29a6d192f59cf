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

int main() {
    char path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    if (length == 0 || length >= sizeof path) return 3;
    char* dot = strrchr(path, '.');
    char* slash = strrchr(path, '\\');
    if (dot && (!slash || dot > slash)) *dot = '\0';
    bool linger = strstr(slash ? slash : path, "linger") != nullptr;

    char record[MAX_PATH + 16];
    snprintf(record, sizeof record, "%s.record", path);
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
        file = CreateFileA(record, FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) Sleep(20);
    }
    if (file == INVALID_HANDLE_VALUE) return 4;
    DWORD written = 0;
    WriteFile(file, line, static_cast<DWORD>(size), &written, nullptr);
    CloseHandle(file);
    if (linger) Sleep(5000);
    return 0;
}
