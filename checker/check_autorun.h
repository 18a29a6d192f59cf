// The media folder's autorun.inf, when it has one: whether inserting the
// medium starts the launcher being checked with a configuration it accepts,
// and whether the icon and label it names show as meant.
#pragma once

namespace setupmenu {
namespace check {

// Prints what the entry does and a warning for each problem. Runs once the
// state record holds the media folder, the launcher's base name and the path
// of the configuration file being checked. Returns why inserting the medium
// would not show the menu, or null: the entry starts the launcher with a
// configuration it refuses ("INVALID INI FILE"); and, for media bound for a
// disc (`forDisc`), it starts a file that is not there or another program.
const char* CheckAutorun(bool forDisc);

}  // namespace check
}  // namespace setupmenu
