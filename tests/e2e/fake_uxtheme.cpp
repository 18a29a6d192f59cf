// A stand-in for a planted uxtheme.dll: when a process loads it, it leaves
// <process file name>.loaded beside itself, holding the process id, and
// otherwise does nothing. It exports nothing, like a library written only
// to get its code run.
#include <windows.h>

#include <cstdio>
#include <cstring>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    char folder[MAX_PATH];
    DWORD length = GetModuleFileNameA(self, folder, sizeof folder);
    if (length == 0 || length >= sizeof folder) return TRUE;
    char* slash = strrchr(folder, '\\');
    if (!slash) return TRUE;
    slash[1] = '\0';
    char program[MAX_PATH];
    length = GetModuleFileNameA(nullptr, program, sizeof program);
    if (length == 0 || length >= sizeof program) return TRUE;
    const char* name = strrchr(program, '\\');
    name = name ? name + 1 : program;

    char marker[2 * MAX_PATH + 16];
    char text[32];
    const int markerLength = snprintf(marker, sizeof marker, "%s%s.loaded", folder, name);
    const int textLength = snprintf(text, sizeof text, "%lu", GetCurrentProcessId());
    if (markerLength <= 0 || markerLength >= static_cast<int>(sizeof marker) || textLength <= 0) return TRUE;
    HANDLE file = CreateFileA(marker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return TRUE;
    DWORD written = 0;
    WriteFile(file, text, static_cast<DWORD>(textLength), &written, nullptr);
    CloseHandle(file);
    return TRUE;
}
