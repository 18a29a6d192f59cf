// One menu per configuration file. AutoPlay often starts the launcher just as
// the user double-clicks it, and two full-screen backdrops, each with a menu,
// would follow. The first run of a configuration file holds a mutex named
// after the file (HashConfigPath) and marks its menu with a window property of
// the same name; a later run of that file brings the menu to the front and
// ends. Another configuration file, such as a sub-menu's, has its own name.
#pragma once

#include <windows.h>

namespace setupmenu {

// True when another run of the same configuration file is under way; its
// menu, once it is up, has been brought to the front. Otherwise this run
// holds the name until the process ends.
bool AnotherRunHasTheMenu();

// Marks `menu` as this run's menu, for a later run to find.
void MarkMenu(HWND menu);

}  // namespace setupmenu
