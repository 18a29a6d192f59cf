// See language_file.h. Only media that list their languages make the
// launcher ask the system for the user's language.
#include "startup/language_file.h"

#include <windows.h>

#include <cstring>

#include "config/file_exists.h"
#include "config/language_tags.h"
#include "config/profile.h"
#include "startup/setup_state.h"

namespace setupmenu {
namespace {

// LOCALE_SNAME, spelled out for headers that predate it: "pt-BR". Systems
// before it fail the request, and their users get the file named first.
constexpr LCTYPE kLocaleName = 0x5C;

}  // namespace

bool ReadUserLanguage(char (&user)[88]) {
    // The language the user reads menus in, which may differ from the one
    // that formats dates and numbers.
    user[0] = '\0';
    return GetLocaleInfoA(MAKELCID(GetUserDefaultUILanguage(), SORT_DEFAULT), kLocaleName, user, sizeof user) != 0;
}

bool ChooseLanguageFile() {
    if (!ReadSetting("Main", "Languages")) return false;
    char user[88];
    if (!ReadUserLanguage(user)) return false;
    char path[kPathChars];
    const char* tag = PickLanguage(g_state.szValue, user);
    if (!tag || !BuildLanguagePath(path, sizeof path, g_state.szIniPath, tag)) return false;
    if (!FileExists(path)) return false;
    std::memcpy(g_state.szIniPath, path, sizeof path);
    return true;
}

}  // namespace setupmenu
