// How the system reads a medium's autorun.inf: which program its open= entry
// starts and with what command tail, which file its icon= entry names, and
// how much of its label= shows. Platform-free, so it is unit-tested natively.
#pragma once

#include <cstddef>
#include <string_view>

#include "startup/command_tail.h"

namespace setupmenu {
namespace check {

// Characters of a drive label that Windows shows.
constexpr size_t kAutorunLabelLimit = 32;

struct OpenCommand {
    std::string_view program;  // the program's name, without its quotes
    std::string_view tail;     // the command tail the launcher cuts from that command line
};

// Splits an open= value (as the profile reader delivered it) the way the
// launcher started by it cuts its own command line: a quoted program name
// runs to the next quote, an unquoted one to the first blank.
OpenCommand SplitOpenCommand(const char* value, LeadBytePredicate isLeadByte);

// A program name with no extension gets ".exe" when the system starts it.
bool HasExtension(std::string_view program);

// True when `program` is the launcher whose base name is `baseName`, in the
// root of the medium: no folder part, and the name is `baseName` followed by
// ".exe", or `baseName` itself when it has no extension (letter case ignored).
bool IsLauncherName(std::string_view program, std::string_view baseName);

// The file of an icon= value: blanks, enclosing quotes and a trailing
// ",index" (the icon's number in a program file) removed.
std::string_view IconFileOf(std::string_view value);

}  // namespace check
}  // namespace setupmenu
