// The checks of one configuration file, once the media folder, the launcher's
// base name and the file's path stand in the state record, exactly as the
// launcher would have them.
#pragma once

#include "config/text_encoding.h"

namespace setupmenu {
namespace check {

// Says which encoding the launcher reads the configuration file in
// (`encoding`, as OpenConfigFile told it) and why.
void PrintEncoding(TextEncoding encoding);

// True when the launcher accepts the file (its version mark gives a value);
// otherwise prints why not and what the launcher would show.
bool CheckVersionMark();

// Runs the launcher's own loaders, prints the effective value of every key,
// then every finding. Returns the number of warnings.
int CheckConfiguration();

// For media bound for a disc: a warning at [Main] Debug for the file and for
// each of its language files that turns the debug log on, which cannot be
// created on a disc.
void CheckForDisc();

// Deletes the brushes the loaders made, which the launcher keeps until it
// ends; a checker that loads again and again must not gather them.
void DeleteLoadedBrushes();

}  // namespace check
}  // namespace setupmenu
