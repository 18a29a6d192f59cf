// The process entry. The launcher links without the C runtime's start-up
// code (which is over a third of the program's size and does nothing the
// launcher needs: no static constructors, no thread-local data, no argv),
// so the entry is its own. msvcrt initialises itself when it is loaded, so
// its heap, formatting and exit work as usual; WinMain's result goes to the
// standard exit, as the runtime's start-up would have done.
#include <windows.h>

#include <cstdlib>

namespace {

// LOAD_LIBRARY_SEARCH_SYSTEM32, spelled out for headers that predate it.
constexpr DWORD kSearchSystemFolder = 0x00000800;

using SetDefaultDllDirectoriesProc = BOOL(WINAPI*)(DWORD);

// Libraries that the system loads for the launcher by a bare name (SHELL32's
// own imports, the theme library, input methods, ...) are otherwise looked for
// in the launcher's folder first: on downloaded media that is a folder where
// anyone can leave a DLL of a well-known name. From here on they come from the
// system folder only. The function is looked up, not imported: systems before
// Windows 8 without its update lack it, and the launcher must still start there.
void LockDllSearchToSystemFolder() {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (!kernel) return;
    // The detour through void* keeps the compiler from warning about casting
    // one function type to another.
    const auto lock = reinterpret_cast<SetDefaultDllDirectoriesProc>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
    if (lock) lock(kSearchSystemFolder);
}

}  // namespace

extern "C" void SetupMenuEntry() {
    // First of all: nothing may load a library before the search is locked.
    LockDllSearchToSystemFolder();
    std::exit(WinMain(GetModuleHandleA(nullptr), nullptr, GetCommandLineA(), SW_SHOWDEFAULT));
}
