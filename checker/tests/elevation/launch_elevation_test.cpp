// The launcher's LaunchButtonCommand when a start needs administrator rights,
// run under wine64 on the launcher's own code.
//
// The program's calls to CreateProcessA, MessageBoxA, LoadLibraryA and
// GetProcAddress go through this program's import table, which the test
// points at recorders: a start can be made to fail with any error code, the
// message boxes are recorded instead of shown, and the consent prompt can be
// answered either way, without a real prompt. Where the shell's own start is
// used, the stand-in installer (elevation_child.exe, beside this program)
// records how it was started.
//
//   launch_elevation_test SCENARIO      runs one scenario; --list names them
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstring>

#include "startup/setup_state.h"
#include "ui/menu_dialog.h"

namespace {

using namespace setupmenu;

int g_failures = 0;

// ERROR_ELEVATION_REQUIRED, which MinGW's headers do not name.
constexpr DWORD kElevationRequired = 740;

#define CHECK(condition, ...)                                                   \
    do {                                                                        \
        if (!(condition)) {                                                     \
            ++g_failures;                                                       \
            std::printf("FAILED %s:%d: %s: ", __FILE__, __LINE__, #condition);  \
            std::printf(__VA_ARGS__);                                           \
            std::printf("\n");                                                  \
        }                                                                       \
    } while (0)

// ---- the recorders ---------------------------------------------------------

using CreateProcessAProc = decltype(&CreateProcessA);
using MessageBoxAProc = decltype(&MessageBoxA);
using LoadLibraryAProc = decltype(&LoadLibraryA);
using GetProcAddressProc = decltype(&GetProcAddress);
using ShellExecuteExAProc = BOOL(WINAPI*)(SHELLEXECUTEINFOA*);

CreateProcessAProc g_realCreateProcess;
MessageBoxAProc g_realMessageBox;
LoadLibraryAProc g_realLoadLibrary;
GetProcAddressProc g_realGetProcAddress;
ShellExecuteExAProc g_realShellExecute;

struct Record {
    // What the scenario sets up.
    DWORD createError;     // 0: the real CreateProcessA; else it fails with this code
    bool fakeShell;        // answer ShellExecuteExA here instead of the shell
    BOOL shellResult;      // the answer
    DWORD shellError;
    int messageAnswer;     // what every message box returns
    // What happened.
    int creates;
    int boxes;
    char boxText[256];
    char boxCaption[256];
    UINT boxType;
    HWND boxOwner;
    int shellLoads;
    char shellPath[MAX_PATH + 32];
    int shellCalls;
    SHELLEXECUTEINFOA shellInfo;
    char verb[32];
    char file[MAX_PATH + 32];
    char directory[MAX_PATH + 32];
    bool hasParameters;
    char parameters[64];
    BOOL realShellResult;
    DWORD realShellError;
};
Record g_record;

BOOL WINAPI RecordCreateProcess(LPCSTR application, LPSTR commandLine, LPSECURITY_ATTRIBUTES process,
                                LPSECURITY_ATTRIBUTES thread, BOOL inherit, DWORD flags, LPVOID environment,
                                LPCSTR directory, LPSTARTUPINFOA startup, LPPROCESS_INFORMATION information) {
    ++g_record.creates;
    if (g_record.createError != 0) {
        SetLastError(g_record.createError);
        return FALSE;
    }
    return g_realCreateProcess(application, commandLine, process, thread, inherit, flags, environment, directory,
                               startup, information);
}

int WINAPI RecordMessageBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    ++g_record.boxes;
    std::snprintf(g_record.boxText, sizeof g_record.boxText, "%s", text ? text : "");
    std::snprintf(g_record.boxCaption, sizeof g_record.boxCaption, "%s", caption ? caption : "");
    g_record.boxType = type;
    g_record.boxOwner = owner;
    return g_record.messageAnswer;
}

HMODULE WINAPI RecordLoadLibrary(LPCSTR name) {
    const char* base = name ? std::strrchr(name, '\\') : nullptr;
    if (name && lstrcmpiA(base ? base + 1 : name, "shell32.dll") == 0) {
        ++g_record.shellLoads;
        std::snprintf(g_record.shellPath, sizeof g_record.shellPath, "%s", name);
    }
    return g_realLoadLibrary(name);
}

BOOL WINAPI RecordShellExecute(SHELLEXECUTEINFOA* info) {
    ++g_record.shellCalls;
    g_record.shellInfo = *info;
    std::snprintf(g_record.verb, sizeof g_record.verb, "%s", info->lpVerb ? info->lpVerb : "(null)");
    std::snprintf(g_record.file, sizeof g_record.file, "%s", info->lpFile ? info->lpFile : "(null)");
    std::snprintf(g_record.directory, sizeof g_record.directory, "%s",
                  info->lpDirectory ? info->lpDirectory : "(null)");
    g_record.hasParameters = info->lpParameters != nullptr && info->lpParameters[0] != '\0';
    std::snprintf(g_record.parameters, sizeof g_record.parameters, "%s",
                  info->lpParameters ? info->lpParameters : "(null)");
    if (g_record.fakeShell) {
        SetLastError(g_record.shellError);
        return g_record.shellResult;
    }
    const BOOL result = g_realShellExecute(info);
    g_record.realShellError = GetLastError();
    g_record.realShellResult = result;
    SetLastError(g_record.realShellError);
    return result;
}

FARPROC WINAPI RecordGetProcAddress(HMODULE module, LPCSTR name) {
    FARPROC real = g_realGetProcAddress(module, name);
    // An ordinal has no name to compare.
    if (real && reinterpret_cast<ULONG_PTR>(name) > 0xFFFF && std::strcmp(name, "ShellExecuteExA") == 0) {
        g_realShellExecute = reinterpret_cast<ShellExecuteExAProc>(reinterpret_cast<void*>(real));
        return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&RecordShellExecute));
    }
    return real;
}

// Points this program's import of `function` from `dll` at `replacement`.
bool PatchImport(const char* dll, const char* function, void* replacement, void** original) {
    BYTE* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* entry = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); entry->Name;
         ++entry) {
        if (lstrcmpiA(reinterpret_cast<const char*>(base + entry->Name), dll) != 0) continue;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            const auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) != 0) continue;
            DWORD protection;
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &protection);
            *original = reinterpret_cast<void*>(slots->u1.Function);
            slots->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, protection, &protection);
            return true;
        }
    }
    return false;
}

template <typename Proc>
bool Patch(const char* dll, const char* function, Proc replacement, Proc* original) {
    void* previous = nullptr;
    const bool patched = PatchImport(dll, function, reinterpret_cast<void*>(replacement), &previous);
    *original = reinterpret_cast<Proc>(previous);
    return patched;
}

// ---- the stand-in installer -----------------------------------------------

char g_folder[MAX_PATH];  // this program's folder, with its backslash

void Beside(const char* name, char* out, size_t capacity) { std::snprintf(out, capacity, "%s%s", g_folder, name); }

void Forget(const char* program) {
    char record[MAX_PATH + 16];
    std::snprintf(record, sizeof record, "%s.started", program);
    DeleteFileA(record);
}

// Waits up to `seconds` for the installer's record; its two lines, or false.
bool WaitStarted(const char* program, int seconds, char* commandLine, char* directory, size_t capacity) {
    char record[MAX_PATH + 16];
    std::snprintf(record, sizeof record, "%s.started", program);
    for (int i = 0; i < seconds * 10; ++i) {
        if (FILE* file = std::fopen(record, "rb")) {
            char text[2 * MAX_PATH + 64] = "";
            const size_t got = std::fread(text, 1, sizeof text - 1, file);
            std::fclose(file);
            text[got] = '\0';
            char* newline = std::strchr(text, '\n');
            if (!newline) return false;
            *newline = '\0';
            char* second = newline + 1;
            if (char* end = std::strchr(second, '\n')) *end = '\0';
            std::snprintf(commandLine, capacity, "%s", text);
            std::snprintf(directory, capacity, "%s", second);
            return true;
        }
        Sleep(100);
    }
    return false;
}

// ---- scenarios ---------------------------------------------------------------

const HWND kDialog = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(0x5EA1));

void SetButton(const char* command, const char* label) {
    std::memset(&g_state.buttons[0], 0, sizeof g_state.buttons[0]);
    g_state.buttons[0].pszCommand = const_cast<char*>(command);
    g_state.buttons[0].pszLabel = const_cast<char*>(label);
}

void Reset(DWORD createError, bool fakeShell, BOOL shellResult, DWORD shellError) {
    std::memset(&g_record, 0, sizeof g_record);
    g_record.createError = createError;
    g_record.fakeShell = fakeShell;
    g_record.shellResult = shellResult;
    g_record.shellError = shellError;
    g_record.messageAnswer = IDOK;
}

void ExpectFailureBox(HWND owner) {
    CHECK(g_record.boxes == 1, "%d message boxes", g_record.boxes);
    CHECK(std::strcmp(g_record.boxText, "Unable to execute installation command!") == 0, "text \"%s\"",
          g_record.boxText);
    CHECK(std::strcmp(g_record.boxCaption, "Setup Error!") == 0, "caption \"%s\"", g_record.boxCaption);
    CHECK(g_record.boxType == MB_ICONERROR, "type 0x%x", g_record.boxType);
    CHECK(g_record.boxOwner == owner, "owner %p", static_cast<void*>(g_record.boxOwner));
}

// The request the launcher makes of the shell: the same file, "runas", no
// parameters, the launcher's current directory, a normal window, no handle.
void ExpectElevationRequest(const char* command, HWND owner) {
    char systemDir[MAX_PATH];
    GetSystemDirectoryA(systemDir, sizeof systemDir);
    char expectedLibrary[MAX_PATH + 32];
    std::snprintf(expectedLibrary, sizeof expectedLibrary, "%s\\shell32.dll", systemDir);
    char current[MAX_PATH];
    GetCurrentDirectoryA(sizeof current, current);

    CHECK(g_record.shellLoads == 1, "shell32 loaded %d times", g_record.shellLoads);
    CHECK(lstrcmpiA(g_record.shellPath, expectedLibrary) == 0, "shell32 loaded as \"%s\", not \"%s\"",
          g_record.shellPath, expectedLibrary);
    CHECK(g_record.shellCalls == 1, "ShellExecuteExA called %d times", g_record.shellCalls);
    CHECK(g_record.shellInfo.cbSize == sizeof(SHELLEXECUTEINFOA), "cbSize %lu",
          static_cast<unsigned long>(g_record.shellInfo.cbSize));
    CHECK(std::strcmp(g_record.verb, "runas") == 0, "verb \"%s\"", g_record.verb);
    CHECK(std::strcmp(g_record.file, command) == 0, "file \"%s\"", g_record.file);
    CHECK(!g_record.hasParameters, "parameters were given");
    CHECK(lstrcmpiA(g_record.directory, current) == 0, "directory \"%s\", current \"%s\"", g_record.directory,
          current);
    CHECK(g_record.shellInfo.nShow == SW_SHOWNORMAL, "nShow %d", g_record.shellInfo.nShow);
    CHECK((g_record.shellInfo.fMask & SEE_MASK_NOCLOSEPROCESS) == 0, "a process handle was asked for (fMask 0x%lx)",
          static_cast<unsigned long>(g_record.shellInfo.fMask));
    CHECK(g_record.shellInfo.hwnd == owner, "owner %p", static_cast<void*>(g_record.shellInfo.hwnd));
}

// The prompt answered yes: the installer counts as started, and nothing is shown.
void ScenarioConsentGiven() {
    static char command[] = "Z:\\nowhere\\installer.exe";
    SetButton(command, nullptr);
    Reset(kElevationRequired, true, TRUE, 0);
    const int result = LaunchButtonCommand(kDialog, 1);
    CHECK(result == 0, "result %d", result);
    CHECK(g_record.creates == 1, "%d CreateProcessA calls", g_record.creates);
    CHECK(g_record.boxes == 0, "%d message boxes (\"%s\")", g_record.boxes, g_record.boxText);
    ExpectElevationRequest(command, kDialog);
}

// The prompt declined, or the shell's start failed: the usual failure.
void ScenarioConsentDeclined() {
    const DWORD errors[] = {ERROR_CANCELLED, ERROR_FILE_NOT_FOUND, ERROR_ACCESS_DENIED};
    for (DWORD error : errors) {
        static char command[] = "Z:\\nowhere\\installer.exe";
        SetButton(command, nullptr);
        Reset(kElevationRequired, true, FALSE, error);
        const int result = LaunchButtonCommand(kDialog, 1);
        CHECK(result == -1, "shell error %lu: result %d", static_cast<unsigned long>(error), result);
        ExpectFailureBox(kDialog);
        ExpectElevationRequest(command, kDialog);
    }
}

// Every other failure of CreateProcessA is reported at once; the shell is never asked.
void ScenarioOtherFailures() {
    const DWORD errors[] = {ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND, ERROR_ACCESS_DENIED, ERROR_BAD_EXE_FORMAT,
                            ERROR_CANCELLED,      kElevationRequired + 1};
    for (DWORD error : errors) {
        static char command[] = "Z:\\nowhere\\installer.exe";
        SetButton(command, nullptr);
        Reset(error, true, TRUE, 0);
        const int result = LaunchButtonCommand(kDialog, 1);
        CHECK(result == -1, "error %lu: result %d", static_cast<unsigned long>(error), result);
        ExpectFailureBox(kDialog);
        CHECK(g_record.shellLoads == 0 && g_record.shellCalls == 0, "error %lu: the shell was asked",
              static_cast<unsigned long>(error));
    }
}

// The refusals before any start are unchanged: no command, a declined confirmation.
void ScenarioBeforeTheStart() {
    SetButton(nullptr, nullptr);
    Reset(kElevationRequired, true, TRUE, 0);
    int result = LaunchButtonCommand(kDialog, 1);
    CHECK(result == -3, "no command: result %d", result);
    CHECK(g_record.creates == 0 && g_record.shellCalls == 0, "no command: a start was tried");
    CHECK(std::strcmp(g_record.boxText, "No installation command to execute!") == 0, "box \"%s\"", g_record.boxText);

    static char command[] = "Z:\\nowhere\\installer.exe";
    static char label[] = "Example";
    SetButton(command, label);
    Reset(kElevationRequired, true, TRUE, 0);
    g_record.messageAnswer = IDCANCEL;
    result = LaunchButtonCommand(kDialog, 1);
    CHECK(result == -2, "declined confirmation: result %d", result);
    CHECK(g_record.creates == 0 && g_record.shellCalls == 0, "declined confirmation: a start was tried");
    CHECK(std::strcmp(g_record.boxText, "Install Application?") == 0, "box \"%s\"", g_record.boxText);

    // Confirmed, then elevated: the confirmation is the only box.
    Reset(kElevationRequired, true, TRUE, 0);
    result = LaunchButtonCommand(kDialog, 1);
    CHECK(result == 0, "confirmed: result %d", result);
    CHECK(g_record.boxes == 1, "confirmed: %d boxes", g_record.boxes);
    CHECK(g_record.shellCalls == 1, "confirmed: %d elevated starts", g_record.shellCalls);
}

// A button's Arguments and StartIn, read from its section at the click, go
// with the request for administrator rights.
void ScenarioConsentWithArguments() {
    static char command[] = "Z:\\nowhere\\installer.exe";
    std::snprintf(g_state.szProgramDir, sizeof g_state.szProgramDir, "%s", g_folder);
    std::snprintf(g_state.szIniPath, sizeof g_state.szIniPath, "%sconsent_with_arguments.ini", g_folder);
    if (FILE* ini = std::fopen(g_state.szIniPath, "wb")) {
        std::fputs("[Button1]\r\nArguments=/S /D=\"C:\\Program Files\\x\"\r\nStartIn=.\r\n", ini);
        std::fclose(ini);
    }
    SetButton(command, nullptr);
    Reset(kElevationRequired, true, TRUE, 0);
    const int result = LaunchButtonCommand(kDialog, 1);
    CHECK(result == 0, "result %d", result);
    CHECK(g_record.shellCalls == 1, "ShellExecuteExA called %d times", g_record.shellCalls);
    CHECK(std::strcmp(g_record.parameters, "/S /D=\"C:\\Program Files\\x\"") == 0, "parameters \"%s\"",
          g_record.parameters);
    char folder[MAX_PATH + 2];
    std::snprintf(folder, sizeof folder, "%s.", g_folder);
    CHECK(std::strcmp(g_record.directory, folder) == 0, "directory \"%s\", not \"%s\"", g_record.directory, folder);
    DeleteFileA(g_state.szIniPath);
}

// The shell's real start, as far as Wine allows it: the installer runs with no
// arguments in the launcher's current directory.
void ScenarioShellStartsTheInstaller() {
    static char command[MAX_PATH];
    Beside("elevation_child.exe", command, sizeof command);
    Forget(command);
    SetButton(command, nullptr);
    Reset(kElevationRequired, false, FALSE, 0);
    const int result = LaunchButtonCommand(nullptr, 1);
    std::printf("the shell's start: %s (error %lu)\n", g_record.realShellResult ? "succeeded" : "failed",
                static_cast<unsigned long>(g_record.realShellError));
    CHECK(result == 0, "result %d, box \"%s\"", result, g_record.boxText);
    CHECK(g_record.boxes == 0, "%d message boxes", g_record.boxes);
    ExpectElevationRequest(command, nullptr);
    char commandLine[2 * MAX_PATH], directory[2 * MAX_PATH];
    CHECK(WaitStarted(command, 20, commandLine, directory, sizeof commandLine), "the installer did not start");
    char current[MAX_PATH];
    GetCurrentDirectoryA(sizeof current, current);
    CHECK(lstrcmpiA(directory, current) == 0, "the installer ran in \"%s\", not \"%s\"", directory, current);
    // Its command line is its own name alone, quoted or not: no arguments.
    const char* name = std::strrchr(commandLine, '\\');
    const char* afterName = name ? std::strstr(name, ".exe") : nullptr;
    CHECK(afterName != nullptr, "command line \"%s\"", commandLine);
    if (afterName) {
        afterName += 4;
        if (*afterName == '"') ++afterName;
        while (*afterName == ' ') ++afterName;
        CHECK(*afterName == '\0', "arguments \"%s\" in \"%s\"", afterName, commandLine);
    }
}

// The shell cannot start a file that is not there: the usual failure box.
void ScenarioShellCannotStart() {
    static char command[MAX_PATH];
    Beside("no_such_installer.exe", command, sizeof command);
    SetButton(command, nullptr);
    Reset(kElevationRequired, false, FALSE, 0);
    const int result = LaunchButtonCommand(kDialog, 1);
    CHECK(result == -1, "result %d", result);
    CHECK(!g_record.realShellResult, "the shell reported a start");
    ExpectFailureBox(kDialog);
    ExpectElevationRequest(command, kDialog);
}

// Nothing stood in for: a plain installer, and one whose manifest asks for
// administrator rights, both start from a click. Which way the second one
// takes depends on the system: Wine starts it at once, Windows without
// administrator rights refuses with kElevationRequired and the shell
// asks for consent.
void ScenarioRealStarts() {
    const char* programs[] = {"elevation_child.exe", "elevation_child_admin.exe"};
    for (const char* program : programs) {
        static char command[MAX_PATH];
        Beside(program, command, sizeof command);
        Forget(command);
        SetButton(command, nullptr);
        Reset(0, false, FALSE, 0);
        const int result = LaunchButtonCommand(nullptr, 1);
        std::printf("%s: started %s\n", program, g_record.shellCalls ? "through the shell" : "directly");
        CHECK(result == 0, "%s: result %d, box \"%s\"", program, result, g_record.boxText);
        CHECK(g_record.boxes == 0, "%s: %d message boxes", program, g_record.boxes);
        char commandLine[2 * MAX_PATH], directory[2 * MAX_PATH];
        CHECK(WaitStarted(command, 20, commandLine, directory, sizeof commandLine), "%s did not start", program);
    }
}

struct Scenario {
    const char* name;
    void (*run)();
};

const Scenario kScenarios[] = {
    {"consent_given", ScenarioConsentGiven},
    {"consent_declined", ScenarioConsentDeclined},
    {"other_failures", ScenarioOtherFailures},
    {"before_the_start", ScenarioBeforeTheStart},
    {"consent_with_arguments", ScenarioConsentWithArguments},
    {"shell_starts_installer", ScenarioShellStartsTheInstaller},
    {"shell_cannot_start", ScenarioShellCannotStart},
    {"real_starts", ScenarioRealStarts},
};

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--list") == 0) {
        for (const Scenario& scenario : kScenarios) std::printf("%s\n", scenario.name);
        return 0;
    }
    const Scenario* chosen = nullptr;
    for (const Scenario& scenario : kScenarios) {
        if (argc == 2 && std::strcmp(argv[1], scenario.name) == 0) chosen = &scenario;
    }
    if (!chosen) {
        std::printf("usage: launch_elevation_test --list | SCENARIO\n");
        return 2;
    }
    const DWORD length = GetModuleFileNameA(nullptr, g_folder, sizeof g_folder);
    if (length == 0 || length >= sizeof g_folder) return 2;
    *(std::strrchr(g_folder, '\\') + 1) = '\0';
    // As the launcher: its own folder is the current directory.
    SetCurrentDirectoryA(g_folder);

    bool patched = Patch("kernel32.dll", "CreateProcessA", &RecordCreateProcess, &g_realCreateProcess) &&
                   Patch("user32.dll", "MessageBoxA", &RecordMessageBox, &g_realMessageBox) &&
                   Patch("kernel32.dll", "LoadLibraryA", &RecordLoadLibrary, &g_realLoadLibrary) &&
                   Patch("kernel32.dll", "GetProcAddress", &RecordGetProcAddress, &g_realGetProcAddress);
    if (!patched) {
        std::printf("FAILED: the imports could not be redirected\n");
        return 1;
    }
    chosen->run();
    std::printf("%s: %s\n", chosen->name, g_failures ? "FAILED" : "passed");
    std::fflush(stdout);
    return g_failures ? 1 : 0;
}
