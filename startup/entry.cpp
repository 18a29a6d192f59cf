// The process entry. The launcher links without the C runtime's start-up
// code (which is over a third of the program's size and does nothing the
// launcher needs: no static constructors, no thread-local data, no argv),
// so the entry is its own. msvcrt initialises itself when it is loaded, so
// its heap, formatting and exit work as usual; WinMain's result goes to the
// standard exit, as the runtime's start-up would have done.
#include <windows.h>

#include <cstdlib>

#include "startup/dll_search_lock.h"

extern "C" void SetupMenuEntry() {
    // First of all: nothing may load a library before the search is locked.
    setupmenu::LockDllSearchToSystemFolder();
    std::exit(WinMain(GetModuleHandleA(nullptr), nullptr, GetCommandLineA(), SW_SHOWDEFAULT));
}
