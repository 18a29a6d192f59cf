// The program's entry: locate, check, load, run the backdrop, tear down.
#include <windows.h>

#include "config/file_encoding.h"
#include "config/loaders.h"
#include "diag/debug_log.h"
#include "resources/resource_ids.h"
#include "startup/command_tail.h"
#include "startup/language_file.h"
#include "startup/locate.h"
#include "startup/one_menu.h"
#include "startup/setup_state.h"
#include "startup/teardown.h"
#include "ui/backdrop.h"

namespace setupmenu {
namespace {

bool IsAnsiLeadByte(unsigned char byte) { return IsDBCSLeadByte(byte) != FALSE; }

int RunSetup(HINSTANCE instance, const char* tail) {
    LocateProgram();
    if (!LocateConfigFile(tail)) RefuseConfigFile(tail);
    OpenConfigFile();
    if (!HasVersionMark()) RefuseConfigFile(tail);
    // Before the log is opened: a second run must not write over the first one's.
    if (AnotherRunHasTheMenu()) {
        CloseConfigFile();
        return 0;
    }
    if (ChooseLanguageFile()) {
        OpenConfigFile();
        if (!HasVersionMark()) RefuseConfigFile(tail);
    }

    StartDebugLog();
    g_state.hInstance = instance;
    g_state.hcurNormal = LoadCursorA(instance, MAKEINTRESOURCEA(IDC_CURSOR_NORMAL));
    g_state.hcurHover = LoadCursorA(instance, MAKEINTRESOURCEA(IDC_CURSOR_HOVER));
    LoadSplashSettings();
    LoadMainSettings();
    LoadAllButtonSettings();

    // Returns once both the backdrop and the menu it runs have ended.
    DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_BACKDROP), nullptr, BackdropDlgProc, 0);

    FreeAllResources();
    CloseConfigFile();
    StopDebugLog();
    return 0;
}

}  // namespace
}  // namespace setupmenu

// The C runtime's own tail splitting is not used: the tail is cut from the
// raw command line by the launcher's rules, quotes and all.
int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int) {
    const char* tail = setupmenu::CutCommandTail(GetCommandLineA(), setupmenu::IsAnsiLeadByte);
    return setupmenu::RunSetup(hInstance, tail);
}
