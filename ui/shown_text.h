// Texts from the configuration on the screen: through the W calls for a
// UTF-8 or UTF-16 file, so that every script shows whatever the system's
// code page; through the A calls, exactly as always, for an ANSI file.
#pragma once

#include <windows.h>

namespace setupmenu {

void ShowText(HWND window, const char* text);

// A message box showing [Messages] `textKey`, or `text` when the file gives
// none, captioned [Messages] `captionKey` (when not null) or `caption`. The
// keys are read now, when the box is shown, never at start-up.
int ShowMessage(HWND owner, const char* textKey, const char* text, const char* captionKey, const char* caption,
                UINT style);

}  // namespace setupmenu
