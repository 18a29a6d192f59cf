// The configuration file in the user's language, when the media carry one.
#pragma once

namespace setupmenu {

// Reads Main/Languages from the file in szIniPath. When the user's interface
// language matches one of its tags (see language_tags.h) and the file for
// that tag exists, szIniPath names that file from then on and the result is
// true; it must then carry the version mark like any configuration.
// Otherwise nothing changes and the result is false.
bool ChooseLanguageFile();

// The user's interface language as a locale name ("pt-BR") in `user`;
// false, with `user` empty, where the system cannot tell.
bool ReadUserLanguage(char (&user)[88]);

}  // namespace setupmenu
