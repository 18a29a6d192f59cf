// See report.h.
#include "checker/report.h"

#include <cstdarg>
#include <cstdio>

namespace setupmenu {
namespace check {
namespace {

int g_warnings = 0;

// One line, cut to a bounded length; the checker's lines are short, only
// quoted values can be long and those are already cut for display.
void PrintFormatted(const char* prefix, const char* format, va_list args) {
    char line[2048];
    std::vsnprintf(line, sizeof line, format, args);
    std::printf("%s%s\n", prefix, line);
}

void FormatPlace(char* out, size_t capacity, const char* section, const char* key) {
    if (section && key) {
        std::snprintf(out, capacity, "[%s] %s", section, key);
    } else if (section) {
        std::snprintf(out, capacity, "[%s]", section);
    } else {
        std::snprintf(out, capacity, "(file)");
    }
}

}  // namespace

void PrintLine(const char* format, ...) {
    va_list args;
    va_start(args, format);
    PrintFormatted("", format, args);
    va_end(args);
}

void PrintValue(const char* section, const char* key, const char* format, ...) {
    char place[600];
    FormatPlace(place, sizeof place, section, key);
    char prefix[640];
    std::snprintf(prefix, sizeof prefix, "%s = ", place);
    va_list args;
    va_start(args, format);
    PrintFormatted(prefix, format, args);
    va_end(args);
}

void Warn(const char* section, const char* key, const char* format, ...) {
    char place[600];
    FormatPlace(place, sizeof place, section, key);
    char prefix[640];
    std::snprintf(prefix, sizeof prefix, "warning: %s: ", place);
    ++g_warnings;
    va_list args;
    va_start(args, format);
    PrintFormatted(prefix, format, args);
    va_end(args);
}

int WarningCount() { return g_warnings; }

void ResetWarnings() { g_warnings = 0; }

}  // namespace check
}  // namespace setupmenu
