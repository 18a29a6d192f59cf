// The first call of both programs shipped on the media, the launcher and the
// configuration checker: the DLL search locked to the system folder.
#pragma once

#include <windows.h>

// The function is looked up by this name, not imported: systems before
// Windows 8 without its update lack it, and the programs must still start
// there. A test build names a function no system has, to run as on those.
#ifndef SETUPMENU_DLL_LOCK_FUNCTION
#define SETUPMENU_DLL_LOCK_FUNCTION "SetDefaultDllDirectories"
#endif

namespace setupmenu {

// Libraries that the system loads for a program by a bare name (SHELL32's own
// imports, the theme library, input methods, ...) are otherwise looked for in
// the program's folder first: on downloaded media that is a folder where
// anyone can leave a DLL of a well-known name. From here on they come from
// the system folder only.
inline void LockDllSearchToSystemFolder() {
    // LOAD_LIBRARY_SEARCH_SYSTEM32, spelled out for headers that predate it.
    constexpr DWORD kSearchSystemFolder = 0x00000800;
    using SetDefaultDllDirectoriesProc = BOOL(WINAPI*)(DWORD);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (!kernel) return;
    // The detour through void* keeps the compiler from warning about casting
    // one function type to another.
    const auto lock = reinterpret_cast<SetDefaultDllDirectoriesProc>(
        reinterpret_cast<void*>(GetProcAddress(kernel, SETUPMENU_DLL_LOCK_FUNCTION)));
    if (lock) lock(kSearchSystemFolder);
}

}  // namespace setupmenu
