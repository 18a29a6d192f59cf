// Whether a file or folder is there.
#pragma once

#include <windows.h>

namespace setupmenu {

// FILE_FLAG_BACKUP_SEMANTICS: folders open as well as files.
constexpr DWORD kFileOrFolder = 0x02000000;

// True when `path` opens as an existing file, or with kFileOrFolder as a file
// or a folder. Nothing is read: the open asks for no access at all, so a file
// that another program holds open without sharing is found too.
bool FileExists(const char* path, DWORD flags = 0);

}  // namespace setupmenu
