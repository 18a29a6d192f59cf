// The first steps of a run: where the program is and which file configures it.
#pragma once

namespace setupmenu {

// The ANSI form of a wide text into `out` (at least 512 bytes). False when it
// does not fit (`out` is then empty) or when a character has no exact
// equivalent in the code page: it then stands as the default character ('?'),
// as the ANSI calls would give it. No best fit either: a Polish L with stroke
// read as a plain L would name another file.
bool AnsiTextOf(const wchar_t* text, char* out);

// The ANSI form of a full path into `out` (at least 512 bytes), for the ANSI
// calls: the path itself when the code page holds it; otherwise its short
// (8.3) form, keeping the long file name when the code page holds that.
// Returns false when neither can be written exactly; `out` then holds the
// path as the ANSI calls give it (unknown characters as '?'), or is empty
// when the path is too long.
bool AnsiPathOf(const wchar_t* path, char* out);

// Fills szProgramDir and szExeName from the program's own file name and makes
// the program directory current, in the ANSI form of AnsiPathOf. A name that
// cannot be obtained, or that is longer than the request allows, leaves both
// empty and the directory as it is.
void LocateProgram();

// Fills szIniPath from the command tail. Returns false when the path would
// exceed its limit; szIniPath is then empty.
bool LocateConfigFile(const char* tail);

// True when the configuration file carries its version mark.
bool HasVersionMark();

// The refusal box for a file without its version mark, then exit code 1.
[[noreturn]] void RefuseConfigFile(const char* tail);

}  // namespace setupmenu
