// The one selection of the menu dialog, shared by the keyboard and the
// pointer. A hover moves it to the control under the pointer; Tab and the
// arrow keys move it from control to control, and Enter and Space press it
// as a click would. The selected control shows its selected picture, holds
// the keyboard focus (so that a screen reader hears of each move) and, once
// the keyboard has moved it, shows a focus rectangle. Until the first key
// press the menu looks and behaves exactly as without any of this.
#pragma once

#include <windows.h>

namespace setupmenu {

// The normal control of the selectable control n (1 to 3 the buttons, 4
// Cancel), or null when that control is not shown.
HWND SelectableControl(int n);

// n of a shown selectable control; 0 for any other window.
int SelectableNumber(HWND control);

// Moves the selection to `control` (null: nothing selected).
void MoveSelection(HWND control, bool byKeyboard);

// WM_GETDLGCODE of the dialog and of its controls: asks the dialog manager
// to pass on the keys the menu handles itself (`message` is the MSG asked
// about, or 0).
LRESULT DialogCodeOfMenuKeys(LPARAM message);

// WM_KEYDOWN reaching the dialog or one of its controls; true when handled.
bool HandleMenuKey(WPARAM key, LPARAM flags);

// Does what a click on the control does, unless the dialog is disabled
// under one of its message boxes. Posted, so that a caller from another
// process never waits for a confirmation box.
void PressSelectable(HWND control);

// Whether the selected control shows the focus rectangle.
bool FocusCueShows();

// WM_PAINT of a control of the menu while the focus rectangle shows: its own
// painting, then the rectangle, where it overlaps the selected control.
LRESULT PaintWithFocusCue(HWND control);

// Called last in the dialog's initialisation: the dialog itself takes the
// keyboard, with nothing selected.
void InitKeyboardAccess(HWND dialog);

}  // namespace setupmenu
