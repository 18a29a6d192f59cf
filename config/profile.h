// Reading the configuration file and turning values into texts, paths and
// bitmaps. Every value passes through g_state.szValue, valid until the next read.
#pragma once

#include <windows.h>

namespace setupmenu {

// Fetches section/key from g_state.szIniPath into g_state.szValue. Returns
// the value's length, or 0 when it is absent, empty or the "*NOT*" sentinel.
int ReadSetting(const char* section, const char* key);

// A heap copy of `length` bytes of `text` plus a terminator.
char* CopyText(const char* text, size_t length);

// The program directory followed by `value`, as a heap text of its full
// length. Not bounded by the path limit: a command too long to start is kept
// whole, so that starting it fails instead of starting a shortened path.
char* CopyProgramRelativePath(const char* value);

// The bitmap file at the program-relative path `value`, at its own size, or
// null when it is missing, unreadable, does not hold the picture its headers
// describe (see bitmap_check.h) or the path exceeds the path limit.
HBITMAP LoadBitmapSetting(const char* value);

}  // namespace setupmenu
