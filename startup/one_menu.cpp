// See one_menu.h.
#include "startup/one_menu.h"

#include "startup/bounded_format.h"
#include "startup/program_paths.h"
#include "startup/setup_state.h"

namespace setupmenu {
namespace {

BOOL CALLBACK RaiseMarkedMenu(HWND window, LPARAM) {
    if (!GetPropA(window, g_state.szRunMark)) return TRUE;
    SetForegroundWindow(window);
    return FALSE;
}

}  // namespace

bool AnotherRunHasTheMenu() {
    FormatBounded(g_state.szRunMark, sizeof g_state.szRunMark, "SetupMenu.%08lX",
                  static_cast<unsigned long>(HashConfigPath(g_state.szIniPath)));
    // Never closed: the system releases it when the run ends, however it ends.
    // A name taken by an object of another kind fails with another error, and
    // the run goes on.
    CreateMutexA(nullptr, FALSE, g_state.szRunMark);
    if (GetLastError() != ERROR_ALREADY_EXISTS) return false;
    EnumWindows(RaiseMarkedMenu, 0);
    return true;
}

void MarkMenu(HWND menu) { SetPropA(menu, g_state.szRunMark, menu); }

}  // namespace setupmenu
