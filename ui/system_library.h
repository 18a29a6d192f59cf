// Loading a library of the system by its full path.
#pragma once

#include <windows.h>

namespace setupmenu {

// `file` (for example "shell32.dll") from the system folder, loaded by its
// full path; null when it cannot be. Never unloaded by the launcher.
HMODULE LoadSystemLibrary(const char* file);

}  // namespace setupmenu
