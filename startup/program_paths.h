// Where the program lives and which configuration file it reads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace setupmenu {

// Splits the module path in `path` in place: cuts it at its last '.', then
// ends it after its last backslash and copies what followed into `exeName`
// (capacity `exeCapacity`). Without a backslash the path stays whole and
// `exeName` is left untouched.
void SplitModulePath(char* path, char* exeName, size_t exeCapacity);

// The configuration file for a tail (possibly empty): the program directory
// followed by the tail with its trailing blanks removed and ".INI" added when
// the tail has no extension of its own, or by the base name and ".INI".
// Returns false, leaving `out` empty, when the path would exceed `capacity`.
bool BuildConfigPath(char* out, size_t capacity, std::string_view programDir,
                     std::string_view exeName, std::string_view tail);

// A hash of a configuration file's path with its letters folded to upper
// case, as the file system compares names: the run of one file is marked with
// a name made from it ("SetupMenu." and its 8 hex digits, kRunMarkChars with
// the terminator).
constexpr size_t kRunMarkChars = 19;
uint32_t HashConfigPath(const char* configPath);

}  // namespace setupmenu
