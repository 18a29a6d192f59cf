// Every section and key the launcher reads, with the kind of value each takes
// and what holds without a value, and the search for the nearest known name
// when a section, key or word is misspelt.
//
// Platform-free: the checker reads the table on Windows, the unit tests read
// it natively.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace setupmenu {
namespace check {

enum class SectionFamily : uint8_t { Version, Main, Splash, Button, Cancel, Messages };

enum class ValueKind : uint8_t {
    Mark,        // only its presence counts
    Text,        // copied as it stands
    Switch,      // one word turns it on, every other value means off
    Word,        // one of a few words; any other gives the first
    Colour,      // red,green,blue
    Position,    // x,y
    ButtonText,  // quotes and escapes processed
    Program,     // a program file relative to the media folder
    Bitmap,      // a bitmap file relative to the media folder
    Document,    // a file relative to the media folder, or a web or mail address
    Folder,      // a folder relative to the media folder
    Conditions,  // ShowIf: conditions separated by ';'
    Languages,   // language tags, each naming a configuration file of its own
};

struct SectionInfo {
    std::string_view name;
    SectionFamily family;
    int button;  // 1 to 3 for the button sections, else 0
};

struct KeyInfo {
    SectionFamily family;
    std::string_view key;
    ValueKind kind;
    // Switch: the word that turns it on, then the one that means off.
    // Word: the recognised words; the first is what any other value gives.
    const std::string_view* words;
    size_t wordCount;
    std::string_view fallback;  // what holds without a value, in words
};

inline constexpr std::string_view kExitWords[] = {"ON", "OFF"};
inline constexpr std::string_view kDebugWords[] = {"On", "Off"};
inline constexpr std::string_view kAlignWords[] = {"left", "center", "right"};

// All sections, in the order the checker reports them.
inline constexpr SectionInfo kSections[] = {
    {"Version", SectionFamily::Version, 0},
    {"Main", SectionFamily::Main, 0},
    {"Splash", SectionFamily::Splash, 0},
    {"Button1", SectionFamily::Button, 1},
    {"Button2", SectionFamily::Button, 2},
    {"Button3", SectionFamily::Button, 3},
    {"Cancel", SectionFamily::Cancel, 0},
    {"Messages", SectionFamily::Messages, 0},
};

// All keys, grouped by section family, each group in the launcher's reading order.
inline constexpr KeyInfo kKeys[] = {
    {SectionFamily::Version, "Release", ValueKind::Mark, nullptr, 0, "the launcher refuses the file"},

    {SectionFamily::Main, "Languages", ValueKind::Languages, nullptr, 0, "this file whatever the user's language"},
    {SectionFamily::Main, "Debug", ValueKind::Switch, kDebugWords, 2, "off: no log file"},
    {SectionFamily::Main, "Exit", ValueKind::Switch, kExitWords, 2, "off: the menu stays open after a start"},
    {SectionFamily::Main, "Title", ValueKind::Text, nullptr, 0, "the dialog keeps its template caption"},
    {SectionFamily::Main, "Image", ValueKind::Bitmap, nullptr, 0, "no picture"},
    {SectionFamily::Main, "Bgcolor", ValueKind::Colour, nullptr, 0, "0,128,128"},
    {SectionFamily::Main, "Fgcolor", ValueKind::Colour, nullptr, 0, "0,0,0"},

    {SectionFamily::Splash, "Image", ValueKind::Bitmap, nullptr, 0, "no picture"},
    {SectionFamily::Splash, "Bgcolor", ValueKind::Colour, nullptr, 0, "the Main colour"},

    {SectionFamily::Button, "Label", ValueKind::Text, nullptr, 0, "no confirmation is asked"},
    {SectionFamily::Button, "Command", ValueKind::Program, nullptr, 0, "a click reports that there is no command"},
    {SectionFamily::Button, "Text", ValueKind::ButtonText, nullptr, 0, "no text"},
    {SectionFamily::Button, "ImageText", ValueKind::Bitmap, nullptr, 0, "Image is read in its place"},
    {SectionFamily::Button, "Image", ValueKind::Bitmap, nullptr, 0, "no picture"},
    {SectionFamily::Button, "ImageSel", ValueKind::Bitmap, nullptr, 0, "no selected picture"},
    {SectionFamily::Button, "AlignText", ValueKind::Word, kAlignWords, 3, "left"},
    {SectionFamily::Button, "Bgcolor", ValueKind::Colour, nullptr, 0, "the Main colour"},
    {SectionFamily::Button, "Fgcolor", ValueKind::Colour, nullptr, 0, "0,0,0"},
    {SectionFamily::Button, "Position", ValueKind::Position, nullptr, 0, "not moved"},
    {SectionFamily::Button, "PositionSel", ValueKind::Position, nullptr, 0, "over the normal control"},
    // Read at the click, not at start-up.
    {SectionFamily::Button, "Open", ValueKind::Document, nullptr, 0, "nothing is opened"},
    {SectionFamily::Button, "StartIn", ValueKind::Folder, nullptr, 0, "the media folder"},
    {SectionFamily::Button, "Arguments", ValueKind::Text, nullptr, 0, "no arguments"},
    {SectionFamily::Button, "Name", ValueKind::Text, nullptr, 0, "read out as its Text, else its Label, else \"Button n\""},
    {SectionFamily::Button, "ShowIf", ValueKind::Conditions, nullptr, 0, "always shown"},

    {SectionFamily::Cancel, "Label", ValueKind::Text, nullptr, 0, "Cancel"},
    {SectionFamily::Cancel, "Image", ValueKind::Bitmap, nullptr, 0, "no picture"},
    {SectionFamily::Cancel, "ImageSel", ValueKind::Bitmap, nullptr, 0, "no selected picture"},
    {SectionFamily::Cancel, "Bgcolor", ValueKind::Colour, nullptr, 0, "the Main colour"},
    {SectionFamily::Cancel, "Fgcolor", ValueKind::Colour, nullptr, 0, "0,0,0"},
    {SectionFamily::Cancel, "Position", ValueKind::Position, nullptr, 0, "not moved"},
    {SectionFamily::Cancel, "PositionSel", ValueKind::Position, nullptr, 0, "over the normal control"},
    {SectionFamily::Cancel, "Name", ValueKind::Text, nullptr, 0, "read out as its Label"},

    // Read only when their box is shown.
    {SectionFamily::Messages, "Confirm", ValueKind::Text, nullptr, 0, "Install Application?"},
    {SectionFamily::Messages, "ErrorCaption", ValueKind::Text, nullptr, 0, "Setup Error!"},
    {SectionFamily::Messages, "StartFailed", ValueKind::Text, nullptr, 0, "Unable to execute installation command!"},
    {SectionFamily::Messages, "NoCommand", ValueKind::Text, nullptr, 0, "No installation command to execute!"},
};

// Names compare without case, as the profile reader compares them.
const SectionInfo* FindSection(std::string_view name);
const KeyInfo* FindKey(SectionFamily family, std::string_view key);

// The first family other than `except` whose sections read `key`; false when none does.
bool FindFamilyOfKey(std::string_view key, SectionFamily except, SectionFamily* found);

// Edits (insertions, deletions, substitutions and swaps of two neighbours)
// that turn one name into the other, ignoring the case of A to Z. Only the
// first kMaxCompared characters of each name take part.
constexpr size_t kMaxCompared = 64;
size_t EditDistanceNoCase(std::string_view a, std::string_view b);

// The known name closest to `name`; the earlier one in the table wins a tie.
std::string_view NearestSection(std::string_view name);
std::string_view NearestKey(SectionFamily family, std::string_view name);
std::string_view NearestWord(const KeyInfo& key, std::string_view value);

// How messages name the sections of a family: "[Button1] to [Button3]" for buttons.
std::string_view FamilyDisplayName(SectionFamily family);

}  // namespace check
}  // namespace setupmenu
