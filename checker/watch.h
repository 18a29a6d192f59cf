// The checker's live preview: the menu dialog as the launcher builds it, in a
// window of its own, rebuilt whenever the configuration, a language file or
// a picture it names is saved, with the checker's report each time. Nothing
// is started and nothing is written to the media folder.
#pragma once

namespace setupmenu {
namespace check {

struct WatchOptions {
    const char* tail;      // the launcher's command tail, "" for none
    const char* language;  // --language TAG, or null for this machine's user
    const char* assume;    // --assume CONDITIONS, or null
    // Prints the report on the file in szIniPath, flushed; returns its status.
    int (*report)();
};

// Runs until the window is closed (status 0), or returns 3 at once after
// saying what is wrong with the options. The media folder, the launcher's
// name and the current folder stand in the state record as for a check.
int RunWatch(const WatchOptions& options);

}  // namespace check
}  // namespace setupmenu
