// See teardown.h.
#include "startup/teardown.h"

#include "config/heap_text.h"
#include "startup/setup_state.h"

namespace setupmenu {
namespace {

void DeleteBitmap(HBITMAP bitmap) {
    if (bitmap) DeleteObject(bitmap);
}

void ReleaseText(char* text) {
    if (text) FreeText(text);
}

}  // namespace

void FreeAllResources() {
    DeleteBitmap(g_state.splash.hbmImage);

    ReleaseText(g_state.main.pszTitle);
    DeleteBitmap(g_state.main.hbmImage);

    ReleaseText(g_state.cancel.pszLabel);
    DeleteBitmap(g_state.cancel.hbmImage);
    DeleteBitmap(g_state.cancel.hbmImageSel);

    for (ButtonInfo& button : g_state.buttons) {
        ReleaseText(button.pszLabel);
        ReleaseText(button.pszText);
        ReleaseText(button.pszCommand);
        DeleteBitmap(button.hbmImage);
        DeleteBitmap(button.hbmImageSel);
    }
}

}  // namespace setupmenu
