// Laying out the menu dialog's template controls from the state record.
#pragma once

#include <windows.h>

namespace setupmenu {

int InitMainControls(HWND dialog);
int InitButtons(HWND dialog);
int InitButtonControls(HWND dialog, int n, int normalId, int selectedId);
int InitCancelControl(HWND dialog, int normalId, int selectedId);
int SubclassControls(HWND dialog);
void CenterDialog(HWND dialog);

}  // namespace setupmenu
