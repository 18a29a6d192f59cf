// The media folder's autorun.inf, when it has one: whether inserting the
// medium starts the launcher being checked with a configuration it accepts,
// and whether the icon and label it names show as meant.
#pragma once

namespace setupmenu {
namespace check {

// Prints what the entry does and a warning for each problem. Runs once the
// state record holds the media folder, the launcher's base name and the path
// of the configuration file being checked. True when the entry starts the
// launcher with a configuration it refuses, so that inserting the medium
// shows "INVALID INI FILE".
bool CheckAutorun();

}  // namespace check
}  // namespace setupmenu
