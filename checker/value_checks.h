// What the launcher makes of one value, told in words where it is probably not
// what the author meant: colours and positions, switches and words, button
// texts, and the shape of a Command. Files are looked at elsewhere; nothing
// here touches the platform.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "checker/known_keys.h"

namespace setupmenu {
namespace check {

// The findings about one value: a few lines of text, bounded.
struct Notes {
    static constexpr size_t kMax = 8;
    static constexpr size_t kChars = 480;
    size_t count;
    char text[kMax][kChars];
};

void ClearNotes(Notes* notes);
// printf-style; a note that does not fit is cut, notes beyond kMax are dropped.
void AddNote(Notes* notes, const char* format, ...) __attribute__((format(printf, 2, 3)));

// `text` between double quotes for a message, with its control characters
// written C-style (a line break of the launcher shows as \r\n) and everything
// else as it stands, so paths keep their single backslashes; cut after `limit`
// characters with "..." after the closing quote. `out` is always terminated.
void QuoteForDisplay(std::string_view text, size_t limit, char* out, size_t capacity);

// One comma-separated number field, read the way the launcher reads it.
struct NumberField {
    std::string_view text;  // from the field's start to the next comma
    int32_t value;          // what the launcher reads from it
    bool wellFormed;        // blanks, an optional sign, digits, blanks; nothing else
    bool overflows;         // more digits than 32 bits hold: the value wrapped
};

struct NumberFields {
    size_t count;    // fields that the launcher reads, at most `limit`
    size_t ignored;  // fields after those
    NumberField field[3];
};

// Splits `value` as the colour and position readers do: the first field from
// the start, each next one after the following comma. `limit` is 2 or 3.
NumberFields SplitNumbers(const char* value, size_t limit);

void CheckColour(const char* value, Notes* notes);
// `selected`: the value is a PositionSel (the effect of an ignored position differs).
void CheckPosition(const char* value, bool selected, Notes* notes);
// Switch and word keys: a value other than the recognised words.
void CheckWords(const KeyInfo& key, const char* value, Notes* notes);
// A Text value as the profile reader delivered it (`length` >= 1).
void CheckButtonText(const char* value, size_t length, Notes* notes);

// Where a "\n" or "\N" escape of a button text, after quote removal, breaks
// a path: the offset of its backslash, or npos when no escape does. An escape
// breaks a path when it follows a drive's colon, when its word (up to the
// blanks around it) holds a colon, a slash, another backslash or a file
// extension after it, or when a drive (X:\) or a shared folder (\\) begins
// earlier on the same line, since a path may hold blanks.
size_t FindPathBreakingEscape(std::string_view text);

// The blank at which a Command value seems to go on with arguments (a blank
// followed by '/', '-' or '"', or a blank after a program extension), or npos.
size_t FindArgumentStart(std::string_view command);

// Where a comment seems to follow the value: the first ';' after a blank or
// a tab, or npos. The profile reader keeps such text as part of the value.
size_t FindTrailingComment(std::string_view value);

// A drive letter with a colon, or two backslashes: a path that was meant to
// stand alone but gets the media folder in front of it.
bool LooksAbsolute(std::string_view path);

}  // namespace check
}  // namespace setupmenu
