// See shown_text.h.
#include "ui/shown_text.h"

#include <cstring>

#include "config/file_encoding.h"
#include "config/profile.h"
#include "startup/setup_state.h"

namespace setupmenu {

void ShowText(HWND window, const char* text) {
    if (g_state.uTextCodePage == CP_ACP) {
        SetWindowTextA(window, text);
        return;
    }
    WideOf(text, g_state.wszValue, kValueChars);
    SetWindowTextW(window, g_state.wszValue);
}

int ShowMessage(HWND owner, const char* textKey, const char* text, const char* captionKey, const char* caption,
                UINT style) {
    // One box at a time (a press while one is open does nothing), and frames
    // of this size would need stack probes: the texts wait here.
    static char s_given[kValueChars];
    static wchar_t s_wideText[kValueChars];
    if (int length = ReadSetting("Messages", textKey)) {
        std::memcpy(s_given, g_state.szValue, static_cast<size_t>(length) + 1);
        text = s_given;
    }
    if (captionKey && ReadSetting("Messages", captionKey)) caption = g_state.szValue;
    if (g_state.uTextCodePage == CP_ACP) return MessageBoxA(owner, text, caption, style);
    WideOf(text, s_wideText, kValueChars);
    WideOf(caption, g_state.wszValue, kValueChars);  // no read follows
    return MessageBoxW(owner, s_wideText, g_state.wszValue, style);
}

}  // namespace setupmenu
