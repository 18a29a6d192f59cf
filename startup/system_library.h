// Functions of system libraries that the launcher does not import: the
// library is loaded on first use, by its full path in the system folder.
#pragma once

#include <windows.h>

namespace setupmenu {

// `function` of the system library `library` ("shell32.dll"), loading the
// library if need be; null when either cannot be found. A library loaded
// here stays loaded for the rest of the run.
FARPROC FindSystemFunction(const char* library, const char* function);

// The same, as a pointer of the function's own type. The detour through
// void* keeps the compiler from warning about casting one function type to
// another; GetProcAddress gives the real entry.
template <typename Function>
Function FindSystemFunction(const char* library, const char* function) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(FindSystemFunction(library, function)));
}

}  // namespace setupmenu
