// See system_library.h.
//
// Only rare paths need these libraries (the consent prompt, a screen reader
// asking for the controls' names), and a static import would load them and
// everything they pull in on every run of a program that otherwise needs only
// KERNEL32, USER32, GDI32 and the C runtime. A bare name would be looked for
// along the search path, which starts at the launcher's folder on the media:
// a DLL of that name placed there must never be loaded in its place.
#include "startup/system_library.h"

#include "ui/launch_policy.h"

namespace setupmenu {

FARPROC FindSystemFunction(const char* library, const char* function) {
    char systemDir[MAX_PATH];
    const UINT dirLength = GetSystemDirectoryA(systemDir, sizeof systemDir);
    if (dirLength == 0 || dirLength >= sizeof systemDir) return nullptr;
    char libraryPath[MAX_PATH + 16];
    if (!ComposeSystemLibraryPath(libraryPath, sizeof libraryPath, std::string_view(systemDir, dirLength), library)) {
        return nullptr;
    }
    HMODULE module = LoadLibraryA(libraryPath);
    return module ? GetProcAddress(module, function) : nullptr;
}

}  // namespace setupmenu
