// The single instance of the run's state record, zeroed at load time.
#include "startup/setup_state.h"

namespace setupmenu {

SetupState g_state;

}  // namespace setupmenu
