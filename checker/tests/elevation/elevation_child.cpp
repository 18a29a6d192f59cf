// Stands in for an installer: records how it was started in a file beside
// itself, <its own path>.started, holding its command line and its current
// directory on two lines, then ends.
#include <windows.h>

#include <cstdio>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char self[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, self, sizeof self);
    if (length == 0 || length >= sizeof self) return 1;
    char directory[MAX_PATH];
    if (!GetCurrentDirectoryA(sizeof directory, directory)) directory[0] = '\0';
    char path[MAX_PATH + 16];
    std::snprintf(path, sizeof path, "%s.started", self);
    // Written under another name and renamed, so a reader never sees half a record.
    char partial[MAX_PATH + 24];
    std::snprintf(partial, sizeof partial, "%s.partial", path);
    FILE* file = std::fopen(partial, "wb");
    if (!file) return 1;
    std::fprintf(file, "%s\n%s\n", GetCommandLineA(), directory);
    std::fclose(file);
    MoveFileExA(partial, path, MOVEFILE_REPLACE_EXISTING);
    return 0;
}
