// Choosing the configuration file for the user's language. With
//
//   [Main]
//   Languages=de, fr, ja, pt-BR
//
// a user whose interface language is Brazilian Portuguese gets SETUP.pt-BR.INI
// in place of SETUP.INI, a German user in Austria SETUP.de.INI.
//
// Nothing here touches the platform, so the rules are unit-tested and
// fuzzed natively; the launcher asks the system in startup/language_file.cpp.
#pragma once

#include <cstddef>

namespace setupmenu {

// The longest tag taken from the list (language, script and region: "zh-Hant-TW" and more).
constexpr size_t kMaxLanguageTagChars = 23;

// Letters, digits and '-' only, beginning with a letter, at most
// kMaxLanguageTagChars: a tag becomes part of a file name, so nothing in it
// may name a folder, a drive or a stream.
bool IsLanguageTag(const char* tag);

// The tag of `list` for a user whose interface language has the locale name
// `user` ("pt-BR"): first a tag equal to it, then one equal to its language
// alone ("pt"), letter case ignored. Tags are separated by commas,
// semicolons and blanks; the list is cut in place into terminated tags.
// Null when none fits. A tag chosen equals the system's name, so it is
// always one that IsLanguageTag accepts.
const char* PickLanguage(char* list, const char* user);

// The configuration file for `tag`: `iniPath` with ".TAG" put before the
// extension of its file name (SETUP.INI -> SETUP.de.INI, menu.cfg ->
// menu.de.cfg), or after a name without one. False, `out` empty, when the
// result does not fit `capacity`.
bool BuildLanguagePath(char* out, size_t capacity, const char* iniPath, const char* tag);

}  // namespace setupmenu
