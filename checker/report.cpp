// See report.h.
#include "checker/report.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>

#include "startup/setup_state.h"

namespace setupmenu {
namespace check {
namespace {

int g_warnings = 0;

// One line, cut to a bounded length; the checker's lines are short, only
// quoted values can be long and those are already cut for display.
void PrintFormatted(const char* prefix, const char* format, va_list args) {
    char line[2048];
    std::vsnprintf(line, sizeof line, format, args);
    // The texts of a UTF-8 or UTF-16 file are UTF-8: a console shows them
    // through the W call in any script; a pipe or file gets the UTF-8 bytes.
    DWORD mode;
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (g_state.uTextCodePage == CP_UTF8 && GetConsoleMode(out, &mode)) {
        char whole[2800];
        wchar_t wide[2800];
        std::snprintf(whole, sizeof whole, "%s%s\r\n", prefix, line);
        const int length = MultiByteToWideChar(CP_UTF8, 0, whole, -1, wide, 2800);
        std::fflush(stdout);
        DWORD written = 0;
        if (length > 1) WriteConsoleW(out, wide, static_cast<DWORD>(length - 1), &written, nullptr);
        return;
    }
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
