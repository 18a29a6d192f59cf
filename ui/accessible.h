// Screen-reader access to the menu's selectable controls through Microsoft
// Active Accessibility, which UI Automation also reads through its bridge:
// each shown button and Cancel reads as a push button with a name, a state
// and the default action "Press".
#pragma once

#include <windows.h>

namespace setupmenu {

// WM_GETOBJECT reaching a control: the control's accessible object when it is
// a shown selectable control asked for its client object, else 0 (the
// control's default answer applies). The first answer loads the
// accessibility libraries.
LRESULT AnswerAccessibleObject(HWND control, WPARAM wParam, LPARAM lParam);

}  // namespace setupmenu
