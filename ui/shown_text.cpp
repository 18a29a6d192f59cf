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
    wchar_t wide[kValueChars];
    WideOf(text, wide, kValueChars);
    SetWindowTextW(window, wide);
}

int ShowMessage(HWND owner, const char* textKey, const char* text, const char* captionKey, const char* caption,
                UINT style) {
    char given[kValueChars];
    if (int length = ReadSetting("Messages", textKey)) {
        std::memcpy(given, g_state.szValue, static_cast<size_t>(length) + 1);
        text = given;
    }
    if (captionKey && ReadSetting("Messages", captionKey)) caption = g_state.szValue;
    if (g_state.uTextCodePage == CP_ACP) return MessageBoxA(owner, text, caption, style);
    wchar_t wideText[kValueChars], wideCaption[kValueChars];
    WideOf(text, wideText, kValueChars);
    WideOf(caption, wideCaption, kValueChars);
    return MessageBoxW(owner, wideText, wideCaption, style);
}

}  // namespace setupmenu
