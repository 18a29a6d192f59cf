// See system_library.h.
//
// Only rare paths need these libraries (the consent prompt, opening a
// document, a screen reader asking for the controls' names, a registry
// condition), and a static import would load them and everything they pull
// in on every run of a program that otherwise needs only KERNEL32, USER32,
// GDI32 and the C runtime.
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

FARPROC FindSystemFunction(const char* library, const char* function) {
    const HMODULE module = LoadSystemLibrary(library);
    return module ? GetProcAddress(module, function) : nullptr;
}

}  // namespace setupmenu
