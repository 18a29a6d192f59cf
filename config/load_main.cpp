// The menu dialog's section: exit switch, title, picture and colours.
#include <cstring>

#include "config/loaders.h"
#include "config/profile.h"
#include "config/text_rules.h"
#include "startup/setup_state.h"

namespace setupmenu {

constexpr COLORREF kDefaultMainBackground = 0x808000;  // red 0, green 128, blue 128

void LoadMainSettings() {
    MainInfo& main = g_state.main;
    std::memset(&main, 0, sizeof main);

    if (ReadSetting("Main", "Exit")) {
        g_state.bExitOnLaunch = EqualsNoCase(g_state.szValue, "ON") ? 1 : 0;
    }
    if (int length = ReadSetting("Main", "Title")) {
        main.pszTitle = CopyText(g_state.szValue, static_cast<size_t>(length));
    }
    if (ReadSetting("Main", "Image")) {
        main.hbmImage = LoadBitmapSetting(g_state.szValue);
    }
    main.crBackground = ReadSetting("Main", "Bgcolor") ? ParseColor(g_state.szValue) : kDefaultMainBackground;
    // Always made: every section without a Bgcolor of its own shares this brush.
    main.hbrBackground = CreateSolidBrush(main.crBackground);
    main.crText = ReadSetting("Main", "Fgcolor") ? ParseColor(g_state.szValue) : 0;
}

}  // namespace setupmenu
