// See system_library.h.
//
// The launcher imports only KERNEL32, USER32, GDI32 and the C runtime; the
// few calls it makes into other system libraries are rare and load them at
// run time. LoadLibraryA with a bare name searches the program's own folder
// first, and that folder is the install media: a library of the same name
// placed there would run inside the launcher. The full path in the system
// folder leaves the search no choice.
#include "ui/system_library.h"

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
