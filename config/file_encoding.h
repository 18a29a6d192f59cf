// The configuration file's encoding, told once per file, and the two places
// where the launcher's texts leave it: wide text for the screen and paths for
// the file calls.
//
// Values stay byte texts inside the launcher: in the system's code page for
// an ANSI file (read with the A calls, exactly as always), in UTF-8 for a
// UTF-8 or UTF-16 file (read with the W calls, see OpenConfigFile). So the
// value rules stay byte-based, and g_state.uTextCodePage says how to widen.
#pragma once

#include <windows.h>

#include "config/text_encoding.h"

namespace setupmenu {

// Tells the encoding of the file in szIniPath from its bytes. A UTF-16LE
// file is read with the W calls as it is. A UTF-8 file (Windows' reader does
// not understand its mark, and the A calls mangle it on double-byte code
// pages) is written once as UTF-16LE into a new file of its own in the user's
// temporary folder, and that copy is read; when no copy can be made, the A
// calls read the file itself, which holds its bytes on single-byte code
// pages. Closes the previous file first. Returns the encoding told.
TextEncoding OpenConfigFile();

// Removes the copy, if one was made. Every end of a run that follows
// OpenConfigFile passes here.
void CloseConfigFile();

// `text` (a value, or ASCII) widened from the file's encoding into `out`
// of `capacity` characters; empty when it does not fit.
void WideOf(const char* text, wchar_t* out, int capacity);

// `dir` (system code page) followed by `value` (the file's encoding) as a
// path for the ANSI file calls, into `out` of kPathChars bytes: the path
// itself, or for a name the code page cannot hold its short form. False,
// refusing rather than naming another file, when the path is too long or
// cannot be written that way.
bool ComposeNativePath(char* out, const char* dir, const char* value);

}  // namespace setupmenu
