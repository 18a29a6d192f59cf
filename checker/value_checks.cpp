// See value_checks.h.
#include "checker/value_checks.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "config/text_rules.h"

namespace setupmenu {
namespace check {
namespace {

constexpr size_t kQuoteLimit = 60;

bool IsNumberBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsAlphaNumeric(char c) {
    return IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

NumberField ReadField(std::string_view text) {
    NumberField field = {};
    field.text = text;
    size_t i = 0;
    while (i < text.size() && IsNumberBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    const size_t firstDigit = i;
    uint64_t magnitude = 0;
    uint32_t wrapped = 0;
    while (i < text.size() && IsDigit(text[i])) {
        const uint32_t digit = static_cast<uint32_t>(text[i] - '0');
        wrapped = wrapped * 10u + digit;
        if (magnitude <= 0xFFFFFFFFull) magnitude = magnitude * 10u + digit;
        ++i;
    }
    const bool anyDigit = i > firstDigit;
    while (i < text.size() && IsNumberBlank(text[i])) ++i;
    field.wellFormed = anyDigit && i == text.size();
    field.overflows = magnitude > (negative ? 0x80000000ull : 0x7FFFFFFFull);
    if (negative) wrapped = 0u - wrapped;
    field.value = static_cast<int32_t>(wrapped);
    return field;
}

// The launcher's reader: the first field from the start, the others after each comma.
void NoteMalformed(const NumberField& field, const char* name, Notes* notes) {
    char quoted[kQuoteLimit + 16];
    QuoteForDisplay(field.text, kQuoteLimit, quoted, sizeof quoted);
    if (!field.wellFormed) {
        AddNote(notes, "%s %s is not a plain decimal number: the launcher reads it as %ld", name, quoted,
                static_cast<long>(field.value));
    } else if (field.overflows) {
        AddNote(notes, "%s %s is too large for 32 bits: the launcher reads it as %ld", name, quoted,
                static_cast<long>(field.value));
    }
}

void ColourParts(uint32_t colour, unsigned* red, unsigned* green, unsigned* blue) {
    *red = colour & 0xFFu;
    *green = (colour >> 8) & 0xFFu;
    *blue = (colour >> 16) & 0xFFu;
}

bool EndsWithNoCase(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && EqualsNoCase(text.substr(text.size() - end.size()), end);
}

}  // namespace

void ClearNotes(Notes* notes) { notes->count = 0; }

void AddNote(Notes* notes, const char* format, ...) {
    if (notes->count >= Notes::kMax) return;
    va_list args;
    va_start(args, format);
    const int length = std::vsnprintf(notes->text[notes->count], Notes::kChars, format, args);
    va_end(args);
    if (length < 0) notes->text[notes->count][0] = '\0';
    ++notes->count;
}

void QuoteForDisplay(std::string_view text, size_t limit, char* out, size_t capacity) {
    if (capacity == 0) return;
    size_t used = 0;
    auto put = [&](const char* piece) {
        const size_t length = std::strlen(piece);
        if (used + length < capacity) {
            std::memcpy(out + used, piece, length);
            used += length;
        }
    };
    put("\"");
    const bool cut = text.size() > limit;
    const std::string_view shown = cut ? text.substr(0, limit) : text;
    for (char c : shown) {
        char piece[8];
        const unsigned char byte = static_cast<unsigned char>(c);
        if (c == '\r') {
            put("\\r");
        } else if (c == '\n') {
            put("\\n");
        } else if (c == '\t') {
            put("\\t");
        } else if (byte < 0x20 || byte == 0x7F) {
            std::snprintf(piece, sizeof piece, "\\x%02X", byte);
            put(piece);
        } else {
            piece[0] = c;
            piece[1] = '\0';
            put(piece);
        }
    }
    put("\"");
    if (cut) put("...");
    out[used] = '\0';
}

NumberFields SplitNumbers(const char* value, size_t limit) {
    NumberFields fields = {};
    const std::string_view text(value);
    size_t start = 0;
    size_t total = 0;
    while (true) {
        const size_t comma = text.find(',', start);
        const size_t end = comma == std::string_view::npos ? text.size() : comma;
        if (total < limit && total < 3) fields.field[total] = ReadField(text.substr(start, end - start));
        ++total;
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    fields.count = total < limit ? total : limit;
    fields.ignored = total - fields.count;
    return fields;
}

void CheckColour(const char* value, Notes* notes) {
    static const char* const kNames[] = {"red", "green", "blue"};
    const NumberFields fields = SplitNumbers(value, 3);
    for (size_t i = 0; i < fields.count; ++i) NoteMalformed(fields.field[i], kNames[i], notes);

    const uint32_t colour = ParseColor(value);
    unsigned red, green, blue;
    ColourParts(colour, &red, &green, &blue);
    if (fields.count == 1) {
        const int32_t whole = fields.field[0].value;
        if (whole < 0 || whole > 255) {
            AddNote(notes,
                    "a lone number is the whole colour value 0x00BBGGRR: %ld gives red %u, green %u, blue %u%s; "
                    "write the three numbers red,green,blue",
                    static_cast<long>(whole), red, green, blue,
                    colour > 0xFFFFFFu ? " and bits above blue" : "");
        } else {
            AddNote(notes, "gives only the red number: green and blue count as 0 (the colour is %u,0,0)", red);
        }
        return;
    }
    if (fields.count == 2) {
        AddNote(notes, "gives no blue number: blue counts as 0 (the colour is %u,%u,0)", red, green);
    }
    const int32_t redNumber = fields.field[0].value;
    if (redNumber < 0 || redNumber > 255) {
        AddNote(notes,
                "red %ld is outside 0 to 255: the launcher adds the whole number, so it carries into green "
                "and blue (the colour is %u,%u,%u%s)",
                static_cast<long>(redNumber), red, green, blue, colour > 0xFFFFFFu ? " with bits above blue" : "");
    }
    for (size_t i = 1; i < fields.count; ++i) {
        const int32_t number = fields.field[i].value;
        if (number < 0 || number > 255) {
            AddNote(notes, "%s %ld is outside 0 to 255: only its low 8 bits count (%u)", kNames[i],
                    static_cast<long>(number), static_cast<unsigned>(number) & 0xFFu);
        }
    }
    if (fields.ignored > 0) {
        AddNote(notes, "has %u more number%s after blue: ignored", static_cast<unsigned>(fields.ignored),
                fields.ignored == 1 ? "" : "s");
    }
}

void CheckPosition(const char* value, bool selected, Notes* notes) {
    const char* effect = selected ? "the selected picture is placed over the normal control"
                                  : "the control stays where the dialog template puts it";
    const NumberFields fields = SplitNumbers(value, 2);
    NoteMalformed(fields.field[0], "x", notes);
    if (fields.count == 2) NoteMalformed(fields.field[1], "y", notes);

    int32_t x, y;
    ParsePosition(value, &x, &y);
    if (fields.count == 1) {
        AddNote(notes, "gives only x: y counts as 0, and a position with a 0 in either number is ignored: %s",
                effect);
    } else if (x == 0 || y == 0) {
        AddNote(notes, "%s is 0: a position with a 0 in either number is ignored: %s",
                x == 0 && y == 0 ? "each number" : (x == 0 ? "x" : "y"), effect);
    }
    if (fields.ignored > 0) {
        AddNote(notes, "has %u more number%s after y: ignored", static_cast<unsigned>(fields.ignored),
                fields.ignored == 1 ? "" : "s");
    }
}

void CheckWords(const KeyInfo& key, const char* value, Notes* notes) {
    for (size_t i = 0; i < key.wordCount; ++i) {
        if (EqualsNoCase(value, key.words[i])) return;
    }
    char quoted[kQuoteLimit + 16];
    QuoteForDisplay(value, kQuoteLimit, quoted, sizeof quoted);
    const std::string_view nearest = NearestWord(key, value);
    char hint[64] = "";
    if (EditDistanceNoCase(value, nearest) <= 2) {
        std::snprintf(hint, sizeof hint, "; nearest recognised word: %.*s", static_cast<int>(nearest.size()),
                      nearest.data());
    }
    if (key.kind == ValueKind::Switch) {
        AddNote(notes, "%s is neither %.*s nor %.*s: the launcher reads it as off%s", quoted,
                static_cast<int>(key.words[0].size()), key.words[0].data(), static_cast<int>(key.words[1].size()),
                key.words[1].data(), hint);
    } else {
        AddNote(notes, "%s is not left, center or right: the launcher aligns the text left%s", quoted, hint);
    }
}

void CheckButtonText(const char* value, size_t length, Notes* notes) {
    const std::string_view text(value, length);
    // The profile reader has already removed one pair of enclosing quotes; the
    // button text loses one more at either end, each end on its own.
    const bool dropEnd = text.back() == '"';
    const size_t end = dropEnd ? length - 1 : length;
    const bool dropStart = end > 0 && text[0] == '"';
    if (length == 1 && dropEnd) {
        AddNote(notes, "is a lone double quote: the launcher shows an empty text (and the button counts as shown)");
    } else if (dropEnd && !dropStart) {
        AddNote(notes, "ends with a double quote that does not open the text: the launcher drops it");
    } else if (dropStart && !dropEnd) {
        AddNote(notes, "begins with a double quote that does not close the text: the launcher drops it");
    }

    const std::string_view unquoted = text.substr(dropStart ? 1 : 0, end - (dropStart ? 1 : 0));
    const size_t escape = FindPathBreakingEscape(unquoted);
    if (escape != std::string_view::npos) {
        size_t wordStart = escape;
        while (wordStart > 0 && !IsBlank(unquoted[wordStart - 1])) --wordStart;
        size_t wordEnd = escape;
        while (wordEnd < unquoted.size() && !IsBlank(unquoted[wordEnd])) ++wordEnd;
        char quoted[kQuoteLimit + 16];
        QuoteForDisplay(unquoted.substr(wordStart, wordEnd - wordStart), kQuoteLimit, quoted, sizeof quoted);
        AddNote(notes,
                "the path %s holds a backslash followed by %c, which the launcher turns into a line break: "
                "the path is shown broken in two",
                quoted, unquoted[escape + 1]);
    }
}

size_t FindPathBreakingEscape(std::string_view text) {
    // The escape pass of the launcher: "\n" and "\N" are escapes, "\\" is a
    // pair that starts none, any other backslash stays as it is.
    constexpr size_t kNone = std::string_view::npos;
    auto isEscape = [&](size_t i) {
        return text[i] == '\\' && i + 1 < text.size() && (text[i + 1] == 'n' || text[i + 1] == 'N');
    };
    // Marks which backslashes are escapes, walking exactly as the launcher does.
    bool escapeAt[4096 + 1] = {};
    const size_t scanned = text.size() < 4096 ? text.size() : 4096;
    for (size_t i = 0; i < scanned;) {
        if (text[i] != '\\') {
            ++i;
        } else if (isEscape(i)) {
            escapeAt[i] = true;
            i += 2;
        } else if (i + 1 < text.size() && text[i + 1] == '\\') {
            i += 2;
        } else {
            ++i;
        }
    }
    size_t lineStart = 0;  // where the line that the escape ends began
    for (size_t i = 0; i < scanned; ++i) {
        if (!escapeAt[i]) continue;
        const size_t thisLine = lineStart;
        lineStart = i + 2;
        if (i > 0 && text[i - 1] == ':') return i;  // a drive: C:\new
        // A path that began earlier on the same line and may hold blanks:
        // C:\Program Files\New Folder
        for (size_t j = thisLine; j + 2 <= i; ++j) {
            const bool drive = ((text[j] >= 'A' && text[j] <= 'Z') || (text[j] >= 'a' && text[j] <= 'z')) &&
                               text[j + 1] == ':' && text[j + 2] == '\\';
            const bool share = text[j] == '\\' && text[j + 1] == '\\';
            if (drive || share) return i;
        }
        size_t wordStart = i;
        while (wordStart > 0 && !IsBlank(text[wordStart - 1])) --wordStart;
        size_t wordEnd = i;
        while (wordEnd < text.size() && !IsBlank(text[wordEnd])) ++wordEnd;
        for (size_t j = wordStart; j < wordEnd; ++j) {
            const char c = text[j];
            // Another separator in the same word: a colon, a slash, or a
            // backslash that is not itself an escape.
            if (c == ':' || c == '/') return i;
            if (c == '\\' && !(j < scanned && escapeAt[j])) return i;
            // A file extension after the escape: \new.txt
            if (j > i + 1 && c == '.' && j + 1 < wordEnd && IsAlphaNumeric(text[j + 1])) return i;
        }
    }
    return kNone;
}

size_t FindArgumentStart(std::string_view command) {
    static constexpr std::string_view kProgramExtensions[] = {".exe", ".com", ".bat", ".cmd", ".msi"};
    for (size_t i = 0; i < command.size(); ++i) {
        if (!IsBlank(command[i])) continue;
        size_t next = i;
        while (next < command.size() && IsBlank(command[next])) ++next;
        if (next == command.size()) return std::string_view::npos;
        const char c = command[next];
        if (c == '/' || c == '-' || c == '"') return i;
        for (std::string_view extension : kProgramExtensions) {
            if (EndsWithNoCase(command.substr(0, i), extension)) return i;
        }
    }
    return std::string_view::npos;
}

size_t FindTrailingComment(std::string_view value) {
    for (size_t i = 1; i < value.size(); ++i) {
        if (value[i] == ';' && IsBlank(value[i - 1])) return i;
    }
    return std::string_view::npos;
}

bool LooksAbsolute(std::string_view path) {
    if (path.size() >= 2 && path[1] == ':' &&
        ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'))) {
        return true;
    }
    return path.size() >= 2 && path[0] == '\\' && path[1] == '\\';
}

}  // namespace check
}  // namespace setupmenu
