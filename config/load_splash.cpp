// The backdrop's section: a picture stretched to the whole desktop and an
// optional brush.
#include <cstring>

#include "config/loaders.h"
#include "config/profile.h"
#include "config/text_rules.h"
#include "startup/setup_state.h"

namespace setupmenu {

void LoadSplashSettings() {
    SplashInfo& splash = g_state.splash;
    std::memset(&splash, 0, sizeof splash);

    if (ReadSetting("Splash", "Image")) {
        if (HBITMAP loaded = LoadBitmapSetting(g_state.szValue)) {
            RECT desktop;
            GetWindowRect(GetDesktopWindow(), &desktop);
            // The proportions are not kept; the loaded picture is deleted once the copy exists.
            splash.hbmImage = static_cast<HBITMAP>(
                CopyImage(loaded, IMAGE_BITMAP, desktop.right, desktop.bottom, LR_COPYDELETEORG));
        }
    }
    if (ReadSetting("Splash", "Bgcolor")) {
        splash.hbrBackground = CreateSolidBrush(ParseColor(g_state.szValue));
    }
}

}  // namespace setupmenu
