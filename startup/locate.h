// The first steps of a run: where the program is and which file configures it.
#pragma once

namespace setupmenu {

// Fills szProgramDir and szExeName from the program's own file name and makes
// the program directory current. A name that cannot be obtained, or that is
// longer than the request allows, leaves both empty and the directory as it is.
void LocateProgram();

// Fills szIniPath from the command tail. Returns false when the path would
// exceed its limit; szIniPath is then empty.
bool LocateConfigFile(const char* tail);

// True when the configuration file carries its version mark.
bool HasVersionMark();

// The refusal box for a file without its version mark, then exit code 1.
[[noreturn]] void RefuseConfigFile(const char* tail);

}  // namespace setupmenu
