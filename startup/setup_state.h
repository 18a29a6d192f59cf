// The one record that holds everything a run of the launcher knows.
//
// Every procedure reads and writes these fields directly; there is no other
// program state. The record starts out all zero and lives for the whole run.
#pragma once

#include <windows.h>

#include "startup/program_paths.h"

namespace setupmenu {

constexpr int kValueChars = 4096;    // szValue and szMessage
constexpr int kPathChars = 516;      // szProgramDir, szExeName, szIniPath: 515 + terminator
constexpr int kButtonCount = 3;

struct SplashInfo {
    HWND hwndDlg;            // the backdrop, stored when it initialises
    HBRUSH hbrBackground;    // Splash/Bgcolor brush, or null
    HBITMAP hbmImage;        // splash picture stretched to the desktop, or null
};

struct MainInfo {
    HBRUSH hbrBackground;    // always created from crBackground
    HBITMAP hbmImage;        // Main/Image, or null
    COLORREF crBackground;   // Main/Bgcolor, default 0x808000
    COLORREF crText;         // Main/Fgcolor, default black
    char* pszTitle;          // Main/Title, or null
};

// What a button and Cancel have alike. One shared part lets one compiled
// procedure place, colour and load both, where a copy for each record type
// would cost the launcher about 700 bytes.
struct ControlPair {
    HWND hwndNormal;
    HWND hwndSelected;
    HBRUSH hbrBackground;    // own brush, or the very handle of main.hbrBackground
    HBITMAP hbmImage;        // a button's ImageText or Image, or Cancel's Image
    HBITMAP hbmImageSel;     // ImageSel
    int yPos, xPos;          // 0 in either: not given
    int yPosSel, xPosSel;
    COLORREF crBackground;
    COLORREF crText;
};

struct ButtonInfo : ControlPair {
    int nAlign;              // 0 left, 1 centre, 2 right (SS_LEFT, SS_CENTER, SS_RIGHT)
    BOOL bVisible;           // has a text or a normal picture
    char* pszText;           // after quote and escape processing
    char* pszCommand;        // program directory + Command
    char* pszLabel;          // caption of the confirmation box
};

struct CancelInfo : ControlPair {
    char* pszLabel;          // never null after loading: "Cancel" by default
};

struct SetupState {
    HINSTANCE hInstance;
    HANDLE hLogFile;                 // null exactly when logging is off
    char szMessage[kValueChars];     // scratch for one log line, or one control's name
    char szValue[kValueChars];       // the value most recently read
    char szExeName[kPathChars];
    char szProgramDir[kPathChars];   // ends in a backslash
    char szIniPath[kPathChars];
    char szRunMark[kRunMarkChars];   // names this run of the configuration file (one_menu.h)
    // How the configuration file is read (config/file_encoding.h).
    UINT uTextCodePage;              // of every text read: CP_ACP, or CP_UTF8 for a UTF-8 or UTF-16 file
    wchar_t wszReadPath[kPathChars]; // read with the W calls from here, or empty: the A calls read szIniPath
    BOOL bReadCopy;                  // wszReadPath is the launcher's own UTF-16 copy, removed at the end
    wchar_t wszValue[kValueChars];   // the value most recently read with the W calls, before it is szValue
    SplashInfo splash;
    MainInfo main;
    CancelInfo cancel;
    ButtonInfo buttons[kButtonCount];
    HCURSOR hcurNormal;
    HCURSOR hcurHover;
    BOOL bExitOnLaunch;
    BOOL bLaunching;                 // a button's confirmation or start is under way
    WNDPROC pfnStaticProc;
    BOOL bHovering;
    HWND hwndShownSel;               // the selected control shown for hwndSelection, or null
    // Keyboard and screen-reader access (ui/selection.h): the one selection
    // that the keyboard and the pointer share.
    HWND hwndMenu;                   // the menu dialog from its initialisation until it ends
    HWND hwndSelection;              // the normal control selected, or null
    BOOL bFocusCues;                 // the selection shows the focus rectangle
};

// One run, one thread: a plain zero-initialised object is all the record needs.
extern SetupState g_state;

}  // namespace setupmenu
