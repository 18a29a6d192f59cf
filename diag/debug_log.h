// The optional debug log: <program dir><base name>.log, switched on by
// Main/Debug = On. A log that cannot be created or written is reported once
// and never stops the run.
#pragma once

namespace setupmenu {

void StartDebugLog();
void WriteDebugLine(const char* text);  // does nothing while logging is off
void StopDebugLog();

}  // namespace setupmenu
