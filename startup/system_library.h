// Functions of system libraries that the launcher does not import: the
// library is loaded on first use, by its full path in the system folder.
#pragma once

#include <windows.h>

namespace setupmenu {

// Loads `file` (such as "shell32.dll") by its full path in the system
// folder, never by a bare name: a bare name is looked for along a search path
// that can start at the launcher's folder on the media, where anyone can
// leave a DLL of that name. Null when the path cannot be formed or the load
// fails. The library is never unloaded: what it starts may outlive the call.
HMODULE LoadSystemLibrary(const char* file);

// The entry `name` of `module` as a function of type Proc, or null.
template <typename Proc>
Proc FindEntry(HMODULE module, const char* name) {
    // The detour through void* keeps the compiler from warning about casting
    // one function type to another; GetProcAddress gives the real entry.
    return module ? reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

// `function` of the system library `library`, loading the library if need
// be; null when either cannot be found.
FARPROC FindSystemFunction(const char* library, const char* function);

// The same, as a pointer of the function's own type.
template <typename Function>
Function FindSystemFunction(const char* library, const char* function) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(FindSystemFunction(library, function)));
}

}  // namespace setupmenu
