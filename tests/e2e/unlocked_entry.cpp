// The launcher's entry without the lock on the DLL search: the entry of the
// build SetupMenuUnlocked, which the DLL search test runs to show that a
// library left beside the program is really loaded when nothing stops it.
#include <windows.h>

#include <cstdlib>

extern "C" void SetupMenuEntry() {
    std::exit(WinMain(GetModuleHandleA(nullptr), nullptr, GetCommandLineA(), SW_SHOWDEFAULT));
}
