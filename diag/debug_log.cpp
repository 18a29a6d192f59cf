// See debug_log.h.
#include "diag/debug_log.h"

#include <cstring>

#include "config/profile.h"
#include "config/text_rules.h"
#include "startup/bounded_format.h"
#include "startup/setup_state.h"

namespace setupmenu {
namespace {

constexpr char kErrorCaption[] = "Setup Error!";

}  // namespace

void StartDebugLog() {
    if (!ReadSetting("Main", "Debug")) return;
    if (!EqualsNoCase(g_state.szValue, "On")) return;

    // Large enough for both parts at their limits, so the path is never cut.
    char path[2 * kPathChars + sizeof ".log"];
    FormatBounded(path, sizeof path, "%s%s.log", g_state.szProgramDir, g_state.szExeName);
    // No sharing: nobody else can open the log while the run lasts.
    HANDLE file = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        g_state.hLogFile = nullptr;
        MessageBoxA(nullptr, "Unable to start debugging!", kErrorCaption, MB_ICONERROR);
        return;
    }
    g_state.hLogFile = file;
    WriteDebugLine("Debugging Started!");
}

void WriteDebugLine(const char* text) {
    if (!g_state.hLogFile) return;
    SetFilePointer(g_state.hLogFile, 0, nullptr, FILE_END);
    const size_t length = std::strlen(text);
    if (length == 0) return;

    DWORD written = 0;
    if (!WriteFile(g_state.hLogFile, text, static_cast<DWORD>(length), &written, nullptr)) {
        // Logging goes off before the box: timer ticks served by the box's own
        // message loop then write nothing and raise no second box.
        CloseHandle(g_state.hLogFile);
        g_state.hLogFile = nullptr;
        MessageBoxA(nullptr, "Debugging disabled due to WriteFile Error!", kErrorCaption, MB_ICONERROR);
        return;
    }
    WriteFile(g_state.hLogFile, "\r\n", 2, &written, nullptr);
}

void StopDebugLog() {
    if (!g_state.hLogFile) return;
    WriteDebugLine("Debugging Closed!");
    if (g_state.hLogFile) {
        CloseHandle(g_state.hLogFile);
        g_state.hLogFile = nullptr;
    }
}

}  // namespace setupmenu
