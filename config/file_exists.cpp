// See file_exists.h. The launcher's other file calls already include
// CreateFileA, so this costs the program no import of its own.
#include "config/file_exists.h"

namespace setupmenu {

bool FileExists(const char* path, DWORD flags) {
    HANDLE file = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, flags, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

}  // namespace setupmenu
