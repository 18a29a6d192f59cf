// Decisions of the command launcher that do not need the platform: when a
// failed start is retried with a request for administrator rights, where
// the library that makes that request is loaded from, and what a button's
// Open value names.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace setupmenu {

// The system's error for a program whose manifest asks for administrator
// rights, started by a process that does not hold them.
constexpr uint32_t kErrorElevationRequired = 740;

enum class StartFailure {
    Report,         // tell the user that the command cannot be started
    RetryElevated,  // start the same file again, asking for administrator rights
};

// What follows a failed CreateProcessA, given its error code: a retry only
// for a program that needs elevation, a report for every other failure.
StartFailure ClassifyStartFailure(uint32_t error);

// The full path of `file` in the system folder `systemDir` (as the system
// reports it: without a trailing backslash except at a drive's root). A
// library is loaded by full path only, never found along the search path that
// starts at the launcher's own folder on the media. Returns false, leaving
// `out` empty, for an empty folder or a path that does not fit `capacity`.
bool ComposeSystemLibraryPath(char* out, size_t capacity, std::string_view systemDir, std::string_view file);

// What a button's Open value names. An address begins with a scheme of two
// or more characters and a colon (a single letter and a colon is a drive);
// only web pages and mail are opened, since the shell would hand any other
// scheme (ms-settings:, file:, a program's own protocol) to whatever
// registered it.
enum class OpenTarget {
    File,     // a file name, relative to the program directory
    Address,  // an http:, https: or mailto: address, opened as it stands
    Refused,  // an address with any other scheme
};

OpenTarget ClassifyOpenTarget(std::string_view value);

}  // namespace setupmenu
