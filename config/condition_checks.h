// Asking the running system whether the conditions of conditions.h hold.
//
// The launcher otherwise reads nothing but its command line, its
// configuration and its pictures; these reads happen only for a ShowIf that
// asks for them, and ADVAPI32 is loaded only when a registry condition is
// evaluated.
#pragma once

#include "config/conditions.h"

namespace setupmenu {

// The version of Windows itself (RtlGetVersion), not the one compatibility
// settings report to programs; 0.0.0 where it cannot be read.
WindowsVersion RunningWindowsVersion();

// The machine's own architecture, whatever the launcher runs as.
Machine NativeMachine();

// Whether the condition, read without its '!', is true on this system.
bool ConditionIsTrue(const Condition& condition);

}  // namespace setupmenu
