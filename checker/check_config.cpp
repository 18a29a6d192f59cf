// See check_config.h.
//
// Values come from the launcher's own code: ReadSetting for what the reader
// delivers, and the section loaders for what the launcher makes of it, so the
// checker cannot drift from the launcher. Only the names of sections and keys,
// which the launcher never lists, are read here with the profile calls that
// enumerate them.
#include "checker/check_config.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>

#include "checker/check_conditions.h"
#include "checker/known_keys.h"
#include "checker/report.h"
#include "checker/value_checks.h"
#include "config/file_encoding.h"
#include "config/loaders.h"
#include "config/language_tags.h"
#include "config/profile.h"
#include "config/text_rules.h"
#include "startup/locate.h"
#include "startup/setup_state.h"
#include "startup/teardown.h"
#include "ui/launch_policy.h"

namespace setupmenu {
namespace check {
namespace {

constexpr DWORD kListChars = 65536;
constexpr int kReaderLimit = kValueChars - 2;  // 4094: a value of this length may have been cut
constexpr size_t kShown = 200;                 // characters of a value quoted in one line
constexpr size_t kQuoted = kShown * 4 + 16;

char g_names[kListChars];  // the section names of the file
char g_lines[kListChars];  // the lines of one section

struct SectionScan {
    bool exists;
    bool present[std::size(kKeys)];  // a line names this key (by its index in kKeys)
};
SectionScan g_scans[std::size(kSections)];

// A value kept across later reads (ReadSetting's buffer holds only the last one).
struct Value {
    int length;
    char text[kValueChars];
};

bool Read(const char* section, std::string_view key, Value* value) {
    char name[64];
    std::snprintf(name, sizeof name, "%.*s", static_cast<int>(key.size()), key.data());
    value->length = ReadSetting(section, name);
    if (value->length) {
        std::memcpy(value->text, g_state.szValue, static_cast<size_t>(value->length) + 1);
    } else {
        value->text[0] = '\0';
    }
    return value->length != 0;
}

bool Given(const char* section, const char* key) { return ReadSetting(section, key) != 0; }

void Quote(std::string_view text, char* out, size_t capacity) { QuoteForDisplay(text, kShown, out, capacity); }

// A path of the file calls (system code page) quoted for the report, which
// is UTF-8 for a UTF-8 or UTF-16 file.
void QuotePath(const char* path, char* out, size_t capacity) {
    wchar_t wide[kPathChars];
    char shown[kPathChars * 3];
    if (g_state.uTextCodePage == CP_UTF8 && MultiByteToWideChar(CP_ACP, 0, path, -1, wide, kPathChars) > 0 &&
        WideCharToMultiByte(CP_UTF8, 0, wide, -1, shown, sizeof shown, nullptr, nullptr) > 0) {
        path = shown;
    }
    Quote(path, out, capacity);
}

int Index(const SectionInfo& section) { return static_cast<int>(&section - kSections); }
int Index(const KeyInfo& key) { return static_cast<int>(&key - kKeys); }

// The table's names are literals, so their data is terminated.
const char* Name(std::string_view literal) { return literal.data(); }

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// ---- files ---------------------------------------------------------------

enum class FileState { Fine, TooLong, Missing, Folder, NotBitmap, Unloadable, NotProgram };

DWORD Attributes(const char* path) { return GetFileAttributesA(path); }

// The file the profile reader reads for the launcher, as the A calls take it:
// a UTF-8 file's UTF-16 copy, or the file itself.
const char* ReaderPath() {
    static char path[kPathChars];
    if (g_state.bReadCopy && AnsiTextOf(g_state.wszReadPath, path)) return path;
    return g_state.szIniPath;
}

bool ReadHead(const char* path, char* head, DWORD wanted) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD got = 0;
    const BOOL ok = ReadFile(file, head, wanted, &got, nullptr);
    CloseHandle(file);
    return ok && got == wanted;
}

// The bitmap at the program-relative `value`, loaded as the launcher loads it.
FileState ProbeBitmap(const char* value, char* path, size_t capacity) {
    if (!ComposeNativePath(path, g_state.szProgramDir, value)) {
        std::snprintf(path, capacity, "%s%.200s", g_state.szProgramDir, value);
        return FileState::TooLong;
    }
    const DWORD attributes = Attributes(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return FileState::Missing;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return FileState::Folder;
    if (HBITMAP bitmap = LoadBitmapSetting(value)) {
        DeleteObject(bitmap);
        return FileState::Fine;
    }
    char head[2];
    if (!ReadHead(path, head, sizeof head) || head[0] != 'B' || head[1] != 'M') return FileState::NotBitmap;
    return FileState::Unloadable;
}

// The program at the program-relative `value`, as a click would start it.
FileState ProbeProgram(const char* value, char* path, size_t capacity) {
    // A path the file calls cannot take is shown as composed; it is not found.
    if (!ComposeNativePath(path, g_state.szProgramDir, value)) {
        std::snprintf(path, capacity, "%s%s", g_state.szProgramDir, value);
    }
    const DWORD attributes = Attributes(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return FileState::Missing;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return FileState::Folder;
    char head[2];
    if (ReadHead(path, head, sizeof head) && head[0] == 'M' && head[1] == 'Z') return FileState::Fine;
    // The system starts batch files given as the program's name as well.
    const std::string_view name(value);
    for (std::string_view script : {std::string_view(".bat"), std::string_view(".cmd")}) {
        if (name.size() >= script.size() && EqualsNoCase(name.substr(name.size() - script.size()), script)) {
            return FileState::Fine;
        }
    }
    return FileState::NotProgram;
}

// Why a bitmap key gives no picture, in words; empty when it loads.
bool DescribeBitmapProblem(const char* value, char* out, size_t capacity) {
    char path[kPathChars + 256];
    char quoted[kQuoted];
    const FileState state = ProbeBitmap(value, path, sizeof path);
    QuotePath(path, quoted, sizeof quoted);
    const char* absolute =
        LooksAbsolute(value) ? " (the launcher puts the media folder in front of every file name)" : "";
    switch (state) {
        case FileState::Fine:
            return false;
        case FileState::TooLong:
            std::snprintf(out, capacity,
                          "the media folder and the file name together exceed %d characters: the launcher loads "
                          "nothing",
                          kPathChars - 1);
            return true;
        case FileState::Missing:
            std::snprintf(out, capacity, "names %s, which does not exist%s", quoted, absolute);
            return true;
        case FileState::Folder:
            std::snprintf(out, capacity, "names %s, which is a folder", quoted);
            return true;
        case FileState::NotBitmap:
            std::snprintf(out, capacity, "%s is not a BMP file (the launcher loads bitmaps only)", quoted);
            return true;
        default:
            std::snprintf(out, capacity,
                          "%s is a BMP file that the system cannot load (an unsupported header or a damaged "
                          "file)",
                          quoted);
            return true;
    }
}

void CheckProgram(const char* section, const char* value) {
    char path[kValueChars + kPathChars];
    char quoted[kQuoted];
    const FileState state = ProbeProgram(value, path, sizeof path);
    QuotePath(path, quoted, sizeof quoted);
    const char* failure = "a click shows \"Unable to execute installation command!\"";
    if (state == FileState::Fine) return;
    if (state == FileState::Folder) {
        Warn(section, "Command", "names %s, which is a folder: %s", quoted, failure);
        return;
    }
    if (state == FileState::NotProgram) {
        Warn(section, "Command",
             "%s is not a program file: the launcher starts it as a program, which fails (%s)", quoted, failure);
        return;
    }
    const std::string_view command(value);
    const size_t arguments = FindArgumentStart(command);
    if (arguments != std::string_view::npos) {
        char programPath[kValueChars + kPathChars];
        std::snprintf(programPath, sizeof programPath, "%s%.*s", g_state.szProgramDir, static_cast<int>(arguments),
                      value);
        char program[kQuoted];
        Quote(command.substr(0, arguments), program, sizeof program);
        size_t rest = arguments;
        while (rest < command.size() && IsBlank(command[rest])) ++rest;
        char extra[kQuoted];
        Quote(command.substr(rest), extra, sizeof extra);
        const DWORD attributes = Attributes(programPath);
        const bool programExists =
            attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
        Warn(section, "Command",
             "carries the arguments %s: the launcher takes the whole value as the program's file name; %s does "
             "not exist, so %s (%s alone %s); give the program as Command and the rest as Arguments",
             extra, quoted, failure, program, programExists ? "does exist" : "does not exist either");
        return;
    }
    if (LooksAbsolute(command)) {
        Warn(section, "Command",
             "is an absolute path, but the launcher puts the media folder in front of every Command: %s does "
             "not exist, so %s",
             quoted, failure);
        return;
    }
    // The launcher adds no extension: "setup64" is not "setup64.exe".
    char withExe[kValueChars + kPathChars + 4];
    std::snprintf(withExe, sizeof withExe, "%s.exe", path);
    const DWORD attributes = Attributes(withExe);
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        Warn(section, "Command", "names %s, which does not exist: %s; the launcher adds no extension, so write "
             "Command=%.200s.exe for the program beside it", quoted, failure, value);
        return;
    }
    Warn(section, "Command", "names %s, which does not exist: %s", quoted, failure);
}

// The Open value of a button without a Command: an address with an allowed
// scheme, or a file in the media folder.
void CheckOpen(const char* section, const char* value) {
    const char* failure = "a click shows \"Unable to execute installation command!\"";
    char quoted[kQuoted];
    const OpenTarget target = ClassifyOpenTarget(value);
    if (target == OpenTarget::Address) return;
    if (target == OpenTarget::Refused) {
        Quote(value, quoted, sizeof quoted);
        Warn(section, "Open", "%s is an address, but the launcher opens only http:, https: and mailto: addresses: %s",
             quoted, failure);
        return;
    }
    char path[kPathChars];
    if (!ComposeNativePath(path, g_state.szProgramDir, value)) {
        Warn(section, "Open", "the media folder and the file name together exceed %d characters: %s",
             kPathChars - 1, failure);
        return;
    }
    QuotePath(path, quoted, sizeof quoted);
    if (Attributes(path) == INVALID_FILE_ATTRIBUTES) {
        Warn(section, "Open", "names %s, which does not exist%s: %s", quoted,
             LooksAbsolute(value) ? " (the launcher puts the media folder in front of every file name)" : "",
             failure);
    }
}

// The StartIn value: a folder in the media folder.
void CheckStartIn(const char* section, const char* value) {
    char path[kPathChars];
    char quoted[kQuoted];
    const char* failure = "a click shows \"Unable to execute installation command!\"";
    if (!ComposeNativePath(path, g_state.szProgramDir, value)) {
        Warn(section, "StartIn", "the media folder and the folder name together exceed %d characters: %s",
             kPathChars - 1, failure);
        return;
    }
    QuotePath(path, quoted, sizeof quoted);
    const DWORD attributes = Attributes(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        Warn(section, "StartIn", "names %s, which does not exist: %s", quoted, failure);
    } else if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        Warn(section, "StartIn", "names %s, which is a file, not a folder: %s", quoted, failure);
    }
}

// ---- names ---------------------------------------------------------------

void CopyKeyName(const char* line, const char* end, char* out, size_t capacity) {
    while (line < end && IsBlank(*line)) ++line;
    while (end > line && IsBlank(end[-1])) --end;
    std::snprintf(out, capacity, "%.*s", static_cast<int>(end - line), line);
}

void ScanKeys(const SectionInfo& section) {
    SectionScan& scan = g_scans[Index(section)];
    const DWORD length = GetPrivateProfileSectionA(Name(section.name), g_lines, kListChars, ReaderPath());
    if (length >= kListChars - 2) {
        Warn(Name(section.name), nullptr, "the section is longer than the checker reads (%lu characters): only its "
             "beginning was checked", static_cast<unsigned long>(kListChars - 2));
    }
    for (const char* line = g_lines; *line; line += std::strlen(line) + 1) {
        char key[256];
        const char* equals = std::strchr(line, '=');
        CopyKeyName(line, equals ? equals : line + std::strlen(line), key, sizeof key);
        if (key[0] == ';') continue;  // a comment: the launcher never asks for such a name
        if (!equals) {
            Warn(Name(section.name), key, "a line without '=' gives no value: the launcher ignores it");
            continue;
        }
        if (key[0] == '\0') {
            Warn(Name(section.name), nullptr, "a line with nothing before '=' names no key: the launcher ignores it");
            continue;
        }
        if (const KeyInfo* info = FindKey(section.family, key)) {
            if (scan.present[Index(*info)]) {
                Warn(Name(section.name), key, "repeated key: the launcher reads only the first %s", Name(info->key));
            }
            scan.present[Index(*info)] = true;
            continue;
        }
        SectionFamily other;
        if (FindFamilyOfKey(key, section.family, &other)) {
            const std::string_view where = FamilyDisplayName(other);
            Warn(Name(section.name), key, "is not read in [%s]: only %.*s read it", Name(section.name),
                 static_cast<int>(where.size()), where.data());
        } else {
            const std::string_view nearest = NearestKey(section.family, key);
            Warn(Name(section.name), key, "unknown key: the launcher never reads it; nearest known key: %.*s",
                 static_cast<int>(nearest.size()), nearest.data());
        }
    }
}

void ScanNames() {
    const DWORD length = GetPrivateProfileSectionNamesA(g_names, kListChars, ReaderPath());
    if (length >= kListChars - 2) {
        Warn(nullptr, nullptr, "the file names more sections than the checker reads: only the first ones were checked");
    }
    for (const char* name = g_names; *name; name += std::strlen(name) + 1) {
        const SectionInfo* section = FindSection(name);
        if (!section) {
            const std::string_view nearest = NearestSection(name);
            Warn(name, nullptr, "unknown section: the launcher never reads it; nearest known section: [%.*s]",
                 static_cast<int>(nearest.size()), nearest.data());
            continue;
        }
        if (g_scans[Index(*section)].exists) {
            Warn(name, nullptr, "repeated section: the launcher reads only the first [%s]", Name(section->name));
            continue;
        }
        g_scans[Index(*section)].exists = true;
        ScanKeys(*section);
    }
}

// ---- values --------------------------------------------------------------

void WarnNotes(const char* section, const char* key, const Notes& notes) {
    for (size_t i = 0; i < notes.count; ++i) Warn(section, key, "%s", notes.text[i]);
}

void CheckBitmapKey(const SectionInfo& section, const KeyInfo& key, const char* value) {
    const char* name = Name(section.name);
    char problem[kValueChars];
    // Not read at all while ImageText gives a value; a missing ImageText file says so.
    if (section.family == SectionFamily::Button && key.key == "Image" && Given(name, "ImageText")) return;
    if (!DescribeBitmapProblem(value, problem, sizeof problem)) return;
    if (section.family == SectionFamily::Button && key.key == "ImageText") {
        Warn(name, "ImageText", "%s: the button has no normal picture%s", problem,
             Given(name, "Image") ? ", and Image is not read in its place" : "");
    } else if (key.key == "ImageSel") {
        Warn(name, Name(key.key), "%s: no selected picture is shown", problem);
    } else {
        Warn(name, Name(key.key), "%s: the launcher shows no picture", problem);
    }
}

void CheckKeyValue(const SectionInfo& section, const KeyInfo& key) {
    const char* name = Name(section.name);
    static Value value;
    if (!Read(name, key.key, &value)) {
        if (!g_scans[Index(section)].present[Index(key)]) return;
        char raw[kValueChars];
        const DWORD length = GetPrivateProfileStringA(name, Name(key.key), "", raw, kValueChars - 1, ReaderPath());
        if (length > 0) {
            Warn(name, Name(key.key), "the value \"%s\" means no value to the launcher: %.*s applies", raw,
                 static_cast<int>(key.fallback.size()), key.fallback.data());
        }
        return;
    }
    if (value.length >= kReaderLimit) {
        Warn(name, Name(key.key), "the value reaches the reader's limit of %d characters: anything longer is cut",
             kReaderLimit);
    }
    const size_t comment = FindTrailingComment(value.text);
    if (comment != std::string_view::npos) {
        char quoted[kQuoted];
        Quote(value.text + comment, quoted, sizeof quoted);
        Warn(name, Name(key.key),
             "the value goes on with %s: a comment after a value is part of the value to the launcher; put "
             "comments on lines of their own",
             quoted);
    }
    Notes notes;
    ClearNotes(&notes);
    switch (key.kind) {
        case ValueKind::Colour:
            CheckColour(value.text, &notes);
            break;
        case ValueKind::Position:
            CheckPosition(value.text, key.key == "PositionSel", &notes);
            break;
        case ValueKind::Switch:
        case ValueKind::Word:
            CheckWords(key, value.text, &notes);
            break;
        case ValueKind::ButtonText:
            CheckButtonText(value.text, static_cast<size_t>(value.length), &notes);
            break;
        case ValueKind::Bitmap:
            CheckBitmapKey(section, key, value.text);
            break;
        case ValueKind::Program:
            CheckProgram(name, value.text);
            break;
        case ValueKind::Document:
            // Not read at all while the button has a Command; the buttons' check says so.
            if (!Given(name, "Command")) CheckOpen(name, value.text);
            break;
        case ValueKind::Folder:
            CheckStartIn(name, value.text);
            break;
        case ValueKind::Conditions:
            CheckShowIf(name, value.text);
            break;
        case ValueKind::Languages:
            CheckLanguages(value.text);
            break;
        case ValueKind::Mark:
        case ValueKind::Text:
            break;
    }
    WarnNotes(name, Name(key.key), notes);
}

// A finding about what a button's keys mean together. A button that its
// ShowIf hides on this machine is judged as shown, since it is shown
// wherever its conditions hold; the line says so.
void WarnButton(const char* section, const char* key, bool hiddenHere, const char* text) {
    Warn(section, key, "%s%s", text,
         hiddenHere ? " (the button is hidden here by its ShowIf, and shown where its conditions hold)" : "");
}

// What the keys mean together, from what the loaders made of them.
void CheckButtonTogether(const SectionInfo& section) {
    const char* name = Name(section.name);
    const ButtonInfo& button = g_state.buttons[section.button - 1];
    const bool hiddenHere = HiddenByShowIf(section.button);
    if (!button.bVisible && !hiddenHere) {
        char keys[64] = "";
        for (const char* key : {"Label", "Command", "ImageSel", "Open", "StartIn", "Arguments"}) {
            if (!Given(name, key)) continue;
            if (keys[0]) std::strncat(keys, ", ", sizeof keys - std::strlen(keys) - 1);
            std::strncat(keys, key, sizeof keys - std::strlen(keys) - 1);
        }
        if (keys[0]) {
            Warn(name, keys,
                 "the button is never shown: it has neither a Text nor a normal picture that loads (ImageText or "
                 "Image), so %s has no effect",
                 std::strchr(keys, ',') ? "each of these" : "this key");
        }
        return;
    }
    if (button.pszCommand) {
        if (Given(name, "Open")) {
            WarnButton(name, "Open", hiddenHere, "is not read: the button's Command is started in its place");
        }
    } else if (!Given(name, "Open")) {
        WarnButton(name, "Command", hiddenHere,
                   "is missing although the button is shown: a click shows \"No installation command to execute!\"");
        for (const char* key : {"StartIn", "Arguments"}) {
            if (Given(name, key)) {
                WarnButton(name, key, hiddenHere, "has no effect: the button has neither a Command nor an Open value");
            }
        }
    }
    // A Text beside a picture is the button's stand-in when the picture does
    // not load, so only an alignment without any text is surely lost.
    if (Given(name, "AlignText") && !button.pszText) {
        WarnButton(name, "AlignText", hiddenHere, "has no effect: the button has no Text to align");
    }
    if (Given(name, "PositionSel") && !button.hbmImageSel) {
        WarnButton(name, "PositionSel", hiddenHere,
                   "has no effect: the selected control is shown only with a picture, and ImageSel gives none");
    }
    if (!button.pszText && !button.pszLabel && !Given(name, "Name")) {
        char text[200];
        std::snprintf(text, sizeof text,
                      "is missing: the button shows only a picture and has no Text or Label either, so screen "
                      "readers read it as \"Button %d\"",
                      section.button);
        WarnButton(name, "Name", hiddenHere, text);
    }
}

void CheckTogether() {
    static Value image;
    if (Read("Splash", "Image", &image) && !g_state.splash.hbmImage) {
        if (HBITMAP loaded = LoadBitmapSetting(image.text)) {
            DeleteObject(loaded);
            Warn("Splash", "Image", "loads, but could not be stretched to the screen: the backdrop shows no picture");
        }
    }
    for (const SectionInfo& section : kSections) {
        if (section.family == SectionFamily::Button) CheckButtonTogether(section);
    }
    if (Given("Cancel", "PositionSel") && !g_state.cancel.hbmImageSel) {
        Warn("Cancel", "PositionSel",
             "has no effect: the selected control is shown only with a picture, and ImageSel gives none");
    }
}

// The whole file, or empty when it cannot be read.
std::string FileBytes(const char* path) {
    std::string bytes;
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    char block[16384];
    DWORD got = 0;
    while (ReadFile(file, block, sizeof block, &got, nullptr) && got > 0) bytes.append(block, got);
    CloseHandle(file);
    return bytes;
}

// The line (from 1) that the byte at `offset` is on.
int LineOf(const std::string& bytes, size_t offset) {
    int line = 1;
    for (size_t i = 0; i < offset; ++i) line += bytes[i] == '\n';
    return line;
}

// A byte that is not UTF-8 matters in a file that the launcher reads as UTF-8
// (it shows as a replacement mark), and in one that holds UTF-8 text too: the
// launcher then reads the whole file as ANSI and shows that text garbled.
void CheckEncodingFindings() {
    const std::string bytes = FileBytes(g_state.szIniPath);
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    const TextEncoding encoding = TellEncoding(data, bytes.size());
    if (encoding == TextEncoding::Utf16Le) return;
    const size_t start = encoding == TextEncoding::Utf8Mark ? 3 : 0;
    const size_t bad = start + FirstNonUtf8(data + start, bytes.size() - start);
    if (bad == bytes.size()) return;
    const unsigned value = data[bad];
    if (encoding == TextEncoding::Utf8Mark) {
        Warn(nullptr, nullptr, "byte 0x%02X on line %d is not part of a well-formed UTF-8 sequence although the file "
             "begins with the UTF-8 mark: the launcher shows a replacement mark there; save the file as UTF-8 again",
             value, LineOf(bytes, bad));
        return;
    }
    for (size_t i = 0; i < bad; ++i) {
        if (data[i] >= 0x80) {
            Warn(nullptr, nullptr, "the file holds UTF-8 text, but byte 0x%02X on line %d is not part of a well-formed "
                 "UTF-8 sequence: the launcher reads the whole file as ANSI (code page %u) and shows its UTF-8 text "
                 "garbled; save the file as UTF-8 throughout", value, LineOf(bytes, bad), GetACP());
            return;
        }
    }
}

// ---- effective values ----------------------------------------------------

void FormatColour(COLORREF colour, char* out, size_t capacity) {
    std::snprintf(out, capacity, "%u,%u,%u", static_cast<unsigned>(colour & 0xFF),
                  static_cast<unsigned>((colour >> 8) & 0xFF), static_cast<unsigned>((colour >> 16) & 0xFF));
    if (colour > 0xFFFFFF) {
        const size_t used = std::strlen(out);
        std::snprintf(out + used, capacity - used, " (0x%08lX)", static_cast<unsigned long>(colour));
    }
}

const char* DefaultMark(const char* section, const char* key) { return Given(section, key) ? "" : " (default)"; }

void PrintBitmap(const char* section, const char* key, HBITMAP bitmap, const char* fallback,
                 const char* note = "") {
    static Value value;
    if (!Read(section, key, &value)) {
        PrintValue(section, key, "none: %s (default)", fallback);
        return;
    }
    char quoted[kQuoted];
    Quote(value.text, quoted, sizeof quoted);
    BITMAP info;
    if (bitmap && GetObjectA(bitmap, sizeof info, &info)) {
        PrintValue(section, key, "%s, %ldx%ld%s", quoted, static_cast<long>(info.bmWidth),
                   static_cast<long>(info.bmHeight), note);
    } else {
        PrintValue(section, key, "%s, which gives no picture", quoted);
    }
}

void PrintColour(const char* section, const char* key, COLORREF colour, const char* fallbackNote) {
    char text[64];
    FormatColour(colour, text, sizeof text);
    if (Given(section, key)) {
        PrintValue(section, key, "%s", text);
    } else {
        PrintValue(section, key, "%s (default%s)", text, fallbackNote);
    }
}

void PrintPosition(const char* section, const char* key, int x, int y, const char* fallback) {
    if (!Given(section, key)) {
        PrintValue(section, key, "none: %s (default)", fallback);
    } else if (x == 0 || y == 0) {
        PrintValue(section, key, "%d,%d, ignored (a 0 in either number): %s", x, y, fallback);
    } else {
        PrintValue(section, key, "%d,%d", x, y);
    }
}

void PrintText(const char* section, const char* key, const char* text, const char* fallback) {
    if (!text) {
        PrintValue(section, key, "none: %s (default)", fallback);
        return;
    }
    char quoted[kQuoted];
    Quote(text, quoted, sizeof quoted);
    PrintValue(section, key, "%s%s", quoted, DefaultMark(section, key));
}

// A value the launcher reads only at a click, as it stands.
void PrintClickValue(const char* section, const char* key, const char* fallback) {
    static Value value;
    char quoted[kQuoted];
    if (Read(section, key, &value)) {
        Quote(value.text, quoted, sizeof quoted);
        PrintValue(section, key, "%s", quoted);
    } else {
        PrintValue(section, key, "none: %s (default)", fallback);
    }
}

void PrintMainValues() {
    static Value value;
    Read("Version", "Release", &value);
    char quoted[kQuoted];
    Quote(value.text, quoted, sizeof quoted);
    PrintValue("Version", "Release", "%s", quoted);
    PrintLanguages();

    const bool debug = Given("Main", "Debug") && EqualsNoCase(g_state.szValue, "On");
    if (debug) {
        PrintValue("Main", "Debug", "on: log file %s%s.log (on read-only media the launcher reports that it cannot "
                   "start it)", g_state.szProgramDir, g_state.szExeName);
    } else {
        PrintValue("Main", "Debug", "off%s", DefaultMark("Main", "Debug"));
    }
    PrintValue("Main", "Exit", "%s%s", g_state.bExitOnLaunch ? "on: the menu ends after a successful start" : "off",
               DefaultMark("Main", "Exit"));
    PrintText("Main", "Title", g_state.main.pszTitle, "the dialog keeps its template caption");
    PrintBitmap("Main", "Image", g_state.main.hbmImage, "no picture");
    PrintColour("Main", "Bgcolor", g_state.main.crBackground, "");
    PrintColour("Main", "Fgcolor", g_state.main.crText, "");

    PrintBitmap("Splash", "Image", g_state.splash.hbmImage, "no picture", " (stretched to the screen)");
    if (Given("Splash", "Bgcolor")) {
        PrintColour("Splash", "Bgcolor", ParseColor(g_state.szValue), "");
    } else {
        PrintValue("Splash", "Bgcolor", "none: the backdrop uses the Main colour (default)");
    }
}

void PrintButtonValues(const SectionInfo& section) {
    const char* name = Name(section.name);
    const ButtonInfo& button = g_state.buttons[section.button - 1];
    PrintValue(name, nullptr, "%s",
               button.bVisible ? "shown" : HiddenByShowIf(section.button) ? "not shown on this machine (ShowIf)"
                                                                          : "not shown");
    PrintText(name, "Label", button.pszLabel, "no confirmation is asked");
    PrintText(name, "Command", button.pszCommand,
              Given(name, "Open") ? "the Open value is opened instead" : "a click reports that there is no command");
    PrintText(name, "Text", button.pszText, "no text");
    if (Given(name, "ImageText")) {
        PrintBitmap(name, "ImageText", button.hbmImage, "");
        PrintValue(name, "Image", "not read: ImageText takes its place");
    } else {
        PrintValue(name, "ImageText", "none: Image is read in its place (default)");
        PrintBitmap(name, "Image", button.hbmImage, "no picture");
    }
    PrintBitmap(name, "ImageSel", button.hbmImageSel, "no selected picture");
    static const char* const kAlign[] = {"left", "center", "right"};
    PrintValue(name, "AlignText", "%s%s", kAlign[button.nAlign >= 0 && button.nAlign <= 2 ? button.nAlign : 0],
               DefaultMark(name, "AlignText"));
    PrintColour(name, "Bgcolor", button.crBackground, ": the Main colour");
    PrintColour(name, "Fgcolor", button.crText, "");
    PrintPosition(name, "Position", button.xPos, button.yPos, "not moved");
    PrintPosition(name, "PositionSel", button.xPosSel, button.yPosSel, "over the normal control");
    if (button.pszCommand && Given(name, "Open")) {
        PrintValue(name, "Open", "not read: the Command is started in its place");
    } else {
        PrintClickValue(name, "Open", "nothing is opened");
    }
    PrintClickValue(name, "StartIn", "the media folder");
    PrintClickValue(name, "Arguments", "no arguments");
    PrintText(name, "Name", Given(name, "Name") ? g_state.szValue : nullptr,
              "read out as its Text, else its Label, else \"Button n\"");
    PrintShowIf(name);
}

void PrintCancelValues() {
    const CancelInfo& cancel = g_state.cancel;
    PrintText("Cancel", "Label", cancel.pszLabel, "Cancel");
    PrintBitmap("Cancel", "Image", cancel.hbmImage, "no picture");
    PrintBitmap("Cancel", "ImageSel", cancel.hbmImageSel, "no selected picture");
    PrintColour("Cancel", "Bgcolor", cancel.crBackground, ": the Main colour");
    PrintColour("Cancel", "Fgcolor", cancel.crText, "");
    PrintPosition("Cancel", "Position", cancel.xPos, cancel.yPos, "not moved");
    PrintPosition("Cancel", "PositionSel", cancel.xPosSel, cancel.yPosSel, "over the normal control");
    PrintText("Cancel", "Name", Given("Cancel", "Name") ? g_state.szValue : nullptr, "read out as its Label");
}

// The texts of the launcher's boxes, in the file's language when it gives them.
void PrintMessageValues() {
    for (const KeyInfo& key : kKeys) {
        if (key.family != SectionFamily::Messages) continue;
        const char* name = key.key.data();  // the table's names are literals
        PrintText("Messages", name, Given("Messages", name) ? g_state.szValue : nullptr, key.fallback.data());
    }
}

// ---- refusal -------------------------------------------------------------

// A name in the file within two edits of `wanted`, for a hint; null when none.
const char* CloseName(const char* list, std::string_view wanted, char* out, size_t capacity) {
    for (const char* line = list; *line; line += std::strlen(line) + 1) {
        const char* equals = std::strchr(line, '=');
        CopyKeyName(line, equals ? equals : line + std::strlen(line), out, capacity);
        if (out[0] && !EqualsNoCase(out, wanted) && EditDistanceNoCase(out, wanted) <= 2) return out;
    }
    return nullptr;
}

void ExplainRefusal() {
    char reason[1024];
    char hint[300];
    const DWORD attributes = g_state.szIniPath[0] ? Attributes(g_state.szIniPath) : INVALID_FILE_ATTRIBUTES;
    if (!g_state.szIniPath[0]) {
        std::snprintf(reason, sizeof reason, "the path of the configuration file would exceed %d characters",
                      kPathChars - 1);
    } else if (attributes == INVALID_FILE_ATTRIBUTES) {
        std::snprintf(reason, sizeof reason, "the configuration file does not exist");
    } else if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        std::snprintf(reason, sizeof reason, "the configuration file's path names a folder");
    } else {
        GetPrivateProfileSectionNamesA(g_names, kListChars, ReaderPath());
        bool hasVersion = false;
        for (const char* name = g_names; *name; name += std::strlen(name) + 1) {
            if (EqualsNoCase(name, "Version")) hasVersion = true;
        }
        if (!hasVersion) {
            const char* close = CloseName(g_names, "Version", hint, sizeof hint);
            std::snprintf(reason, sizeof reason, "the file has no [Version] section%s%s%s",
                          close ? " (it has [" : "", close ? close : "", close ? "])" : "");
        } else {
            GetPrivateProfileSectionA("Version", g_lines, kListChars, ReaderPath());
            char raw[kValueChars];
            const DWORD length =
                GetPrivateProfileStringA("Version", "Release", "", raw, kValueChars - 1, ReaderPath());
            bool hasRelease = false;
            for (const char* line = g_lines; *line; line += std::strlen(line) + 1) {
                char key[256];
                const char* equals = std::strchr(line, '=');
                if (!equals) continue;
                CopyKeyName(line, equals, key, sizeof key);
                if (EqualsNoCase(key, "Release")) hasRelease = true;
            }
            if (!hasRelease) {
                const char* close = CloseName(g_lines, "Release", hint, sizeof hint);
                std::snprintf(reason, sizeof reason, "[Version] has no Release key%s%s%s", close ? " (it has " : "",
                              close ? close : "", close ? ")" : "");
            } else if (length == 0) {
                std::snprintf(reason, sizeof reason, "[Version] Release is empty");
            } else {
                std::snprintf(reason, sizeof reason, "[Version] Release is \"%s\", which means no value", raw);
            }
        }
    }
    PrintLine("refused: %s", reason);
    PrintLine("the launcher shows \"INVALID INI FILE: '%s' \" under the caption \"%s SETUP ERROR!\" and ends with "
              "exit code 1",
              g_state.szIniPath[0] ? g_state.szIniPath : "(path too long)", g_state.szExeName);
}

}  // namespace

void PrintEncoding(TextEncoding encoding) {
    if (encoding == TextEncoding::Utf16Le) {
        PrintLine("encoding: UTF-16LE (the file begins with the byte-order mark FF FE): texts show in any script");
    } else if (encoding == TextEncoding::Utf8Mark) {
        PrintLine("encoding: UTF-8 (the file begins with the byte-order mark EF BB BF): texts show in any script");
    } else if (encoding == TextEncoding::Utf8) {
        PrintLine("encoding: UTF-8 without a byte-order mark (every byte above 0x7F belongs to a well-formed UTF-8 "
                  "sequence): texts show in any script");
    } else {
        const std::string bytes = FileBytes(g_state.szIniPath);
        const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
        const size_t bad = FirstNonUtf8(data, bytes.size());
        if (bad == bytes.size()) {
            PrintLine("encoding: ANSI (no byte above 0x7F: plain ASCII, the same in every code page)");
        } else {
            PrintLine("encoding: ANSI, code page %u (byte 0x%02X on line %d is not UTF-8): texts show only in the "
                      "scripts of the reader's code page", GetACP(), static_cast<unsigned>(data[bad]),
                      LineOf(bytes, bad));
        }
    }
    if (encoding != TextEncoding::Ansi) PrintLine("the report below is in UTF-8");
}

bool CheckVersionMark() {
    if (g_state.szIniPath[0] && ReadSetting("Version", "Release")) return true;
    ExplainRefusal();
    return false;
}

int CheckConfiguration() {
    // The launcher's loaders, in the launcher's order; the debug log is not started.
    std::memset(g_scans, 0, sizeof g_scans);
    g_state.hInstance = GetModuleHandleA(nullptr);
    LoadSplashSettings();
    LoadMainSettings();
    LoadAllButtonSettings();

    PrintLine("effective values:");
    PrintMainValues();
    for (const SectionInfo& section : kSections) {
        if (section.family == SectionFamily::Button) PrintButtonValues(section);
    }
    PrintCancelValues();
    PrintMessageValues();

    PrintLine("findings:");
    CheckEncodingFindings();
    ScanNames();
    for (const SectionInfo& section : kSections) {
        if (!g_scans[Index(section)].exists) continue;
        for (const KeyInfo& key : kKeys) {
            if (key.family == section.family) CheckKeyValue(section, key);
        }
    }
    CheckTogether();

    DeleteLoadedBrushes();
    FreeAllResources();
    return WarningCount();
}

namespace {

// Whether the file at `path` turns the debug log on, read as the launcher
// reads it.
bool DebugIsOn(const char* path) {
    char saved[kPathChars];
    std::memcpy(saved, g_state.szIniPath, sizeof saved);
    std::snprintf(g_state.szIniPath, sizeof g_state.szIniPath, "%s", path);
    OpenConfigFile();
    const bool on = ReadSetting("Main", "Debug") && EqualsNoCase(g_state.szValue, "On");
    std::memcpy(g_state.szIniPath, saved, sizeof saved);
    OpenConfigFile();  // the checked file again
    return on;
}

void WarnDebugOnDisc(const char* path) {
    if (!DebugIsOn(path)) return;
    Warn("Main", "Debug", "is On in %s: on a disc the log file cannot be created, so every user of the disc first "
         "sees \"Unable to start debugging!\"; set Debug=Off for the disc", path);
}

}  // namespace

void CheckForDisc() {
    WarnDebugOnDisc(g_state.szIniPath);
    if (!ReadSetting("Main", "Languages")) return;
    char list[kValueChars];
    std::snprintf(list, sizeof list, "%s", g_state.szValue);
    const char* end = list + std::strlen(list);
    // Cut as the launcher cuts the list; every language's file counts.
    PickLanguage(list, "");
    for (char* tag = list; tag < end; tag += std::strlen(tag) + 1) {
        char path[kPathChars];
        if (*tag && BuildLanguagePath(path, sizeof path, g_state.szIniPath, tag) &&
            GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES) {
            WarnDebugOnDisc(path);
        }
    }
}

void DeleteLoadedBrushes() {
    const HBRUSH shared = g_state.main.hbrBackground;
    // A section without its own colour holds the very handle of Main's brush.
    const HBRUSH own[] = {g_state.splash.hbrBackground, g_state.buttons[0].hbrBackground,
                          g_state.buttons[1].hbrBackground, g_state.buttons[2].hbrBackground,
                          g_state.cancel.hbrBackground};
    for (HBRUSH brush : own) {
        if (brush && brush != shared) DeleteObject(brush);
    }
    if (shared) DeleteObject(shared);
}

}  // namespace check
}  // namespace setupmenu
