// The floor's entry point, built only when the launcher is linked without the
// C runtime's start-up objects and with an entry point of its own: the floor,
// linked with the same options, then needs one too, under the same symbol.
// It does what such an entry does: runs WinMain and ends the process with
// its result.
#include <windows.h>

#include <cstdlib>

#ifndef SETUPMENU_FLOOR_ENTRY_SYMBOL
#error "SETUPMENU_FLOOR_ENTRY_SYMBOL names the entry point's symbol"
#endif

extern "C" void FloorEntry() __asm__(SETUPMENU_FLOOR_ENTRY_SYMBOL);

extern "C" void FloorEntry() {
    std::exit(WinMain(GetModuleHandleA(nullptr), nullptr, GetCommandLineA(), SW_SHOWDEFAULT));
}
