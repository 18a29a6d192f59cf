// Stand-in installer of the example media: says which one it is, where it was
// started from and in which directory, and ends. Built once per button with
// EXAMPLE_NUMBER set to 1, 2 or 3.
#include <windows.h>

#include <cstdio>

#ifndef EXAMPLE_NUMBER
#error "EXAMPLE_NUMBER must be defined"
#endif

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char program[MAX_PATH] = "";
    char directory[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, program, sizeof program);
    GetCurrentDirectoryA(sizeof directory, directory);

    char text[3 * MAX_PATH + 256];
    std::snprintf(text, sizeof text,
                  "Example installer %d would install here.\n\n"
                  "Program: %s\nCurrent directory: %s\nCommand line: %s",
                  EXAMPLE_NUMBER, program, directory, GetCommandLineA());
    char caption[64];
    std::snprintf(caption, sizeof caption, "Example installer %d", EXAMPLE_NUMBER);
    MessageBoxA(nullptr, text, caption, MB_OK | MB_ICONINFORMATION);
    return 0;
}
