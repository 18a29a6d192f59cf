// The checker's output: one finding or value per line, each naming its
// section and key, so that a person (or a test) can read it line by line.
#pragma once

namespace setupmenu {
namespace check {

// A plain line.
void PrintLine(const char* format, ...) __attribute__((format(printf, 1, 2)));

// "[section] key = value"; `key` may be null for a derived value of the section.
void PrintValue(const char* section, const char* key, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

// "warning: [section] key: text"; `section` and `key` may be null for the file
// itself or for a whole section.
void Warn(const char* section, const char* key, const char* format, ...) __attribute__((format(printf, 3, 4)));

int WarningCount();

// Starts the count again, for a new report on the same run.
void ResetWarnings();

}  // namespace check
}  // namespace setupmenu
