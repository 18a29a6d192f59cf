// The decisions of the checker's live preview that need no window: when a
// change to the watched files is complete enough to rebuild the menu, and
// what the conditions given with --assume say about a button's ShowIf.
//
// Platform-free: the preview reads file stamps and asks the system on
// Windows; the unit tests feed both natively.
#pragma once

#include <cstddef>
#include <cstdint>

#include "config/conditions.h"

namespace setupmenu {
namespace check {

// What the preview knows of one file: whether it is there, its size and its
// last write time (in the system's units; only equality matters).
struct FileStamp {
    bool exists;
    uint64_t size;
    uint64_t writeTime;
};

// The configuration file, a language file and the pictures they name: at
// most 2 + Main 1 + Splash 1 + 3 buttons x 3 + Cancel 2 = 15 files.
constexpr size_t kMaxWatchedFiles = 16;
constexpr size_t kWatchedPathChars = 516;

struct WatchList {
    size_t count;
    char paths[kMaxWatchedFiles][kWatchedPathChars];
    FileStamp seen[kMaxWatchedFiles];  // as the last poll found them
    bool changing;                     // a change has not yet held still for a whole poll
};

enum class WatchAction {
    None,     // nothing changed since the menu was built
    Wait,     // a file changed during the last poll: it may still be being written
    Rebuild,  // a change has held still for a whole poll
};

// Adds `path` once (names compare without letter case), with the stamp it had
// when the menu was built from it. False when the list is full or the path
// does not fit.
bool AddWatchedFile(WatchList* list, const char* path, const FileStamp& stamp);

// One poll: `now` holds a stamp for each watched file, in order. A save shows
// as a change in one poll; the rebuild waits for the next poll that finds
// nothing new, so that a file written in pieces is read whole.
WatchAction NextWatchAction(WatchList* list, const FileStamp* now);

// The machine the preview pretends to run on (--assume). Windows conditions
// narrow the version down to a range, of which the lowest version (or the
// highest below a `windows<` bound) stands for the whole range; exists: and
// reg: conditions are taken as written, true or, with '!', false.
constexpr size_t kMaxAssumed = 8;

struct Assumptions {
    bool hasMachine;
    Machine machine;
    bool hasVersion;
    WindowsVersion version;
    size_t count;
    Condition facts[kMaxAssumed];  // exists: and reg: conditions
};

enum class AssumeError { None, Unreadable, NegatedArch, Contradiction, TooMany };

// Parses `text` (cut in place, as a ShowIf value is; the facts keep pointing
// into it). On an error `*bad` names the condition at fault.
AssumeError ParseAssumptions(char* text, Assumptions* out, const char** bad);

enum class Truth { False, True, Unknown };

// Whether the condition, read without its '!', holds on the assumed machine;
// Unknown when the assumptions do not say (the preview then asks its own system).
Truth AssumedTruth(const Assumptions& assumed, const Condition& condition);

}  // namespace check
}  // namespace setupmenu
