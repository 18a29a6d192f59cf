// See system_library.h.
#include "startup/system_library.h"

#include "ui/launch_policy.h"

namespace setupmenu {

HMODULE LoadSystemLibrary(const char* file) {
    char systemDir[MAX_PATH];
    const UINT dirLength = GetSystemDirectoryA(systemDir, sizeof systemDir);
    if (dirLength == 0 || dirLength >= sizeof systemDir) return nullptr;
    char libraryPath[MAX_PATH + 16];
    if (!ComposeSystemLibraryPath(libraryPath, sizeof libraryPath, std::string_view(systemDir, dirLength), file)) {
        return nullptr;
    }
    return LoadLibraryA(libraryPath);
}

}  // namespace setupmenu
