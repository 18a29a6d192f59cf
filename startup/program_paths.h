// Where the program lives and which configuration file it reads.
#pragma once

#include <cstddef>
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

// The name that marks the run of one configuration file: "SetupMenu." and
// 8 hex digits of a hash of `configPath` with letters folded to upper case,
// as the file system compares them. Written to `out` with its terminator.
constexpr size_t kRunMarkChars = 19;
void NameRunMark(const char* configPath, char (&out)[kRunMarkChars]);

}  // namespace setupmenu
