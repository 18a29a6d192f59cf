// Cutting the command tail (the configuration name) off the full command line.
#pragma once

namespace setupmenu {

// Tells whether a byte is the lead byte of a double-byte character in the
// system's ANSI code page. Passed in so the rule stays free of the platform.
using LeadBytePredicate = bool (*)(unsigned char);

// Skips the program name (quoted, or up to the first byte <= 0x20), then every
// byte from 0x01 to 0x20. What remains, possibly empty, is the tail: one
// string, its quotes kept. Returns a pointer into `commandLine`.
const char* CutCommandTail(const char* commandLine, LeadBytePredicate isLeadByte);

}  // namespace setupmenu
