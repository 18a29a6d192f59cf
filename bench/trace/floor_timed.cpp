// The floor program with the hooks of the timing builds, so that its stages
// can be set against the launcher's.
#include "bench/trace/trace_hooks.h"

#include "bench/floor/floor.cpp"
