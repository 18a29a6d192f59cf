// See command_tail.h.
#include "startup/command_tail.h"

namespace setupmenu {

const char* CutCommandTail(const char* commandLine, LeadBytePredicate isLeadByte) {
    const char* p = commandLine;
    if (*p == '"') {
        ++p;
        while (*p != '\0' && *p != '"') {
            // A trail byte may have the value of a quote: it must not end the name.
            if (isLeadByte(static_cast<unsigned char>(*p)) && p[1] != '\0') ++p;
            ++p;
        }
        if (*p == '"') ++p;
    } else {
        while (static_cast<unsigned char>(*p) > 0x20) ++p;
    }
    while (*p != '\0' && static_cast<unsigned char>(*p) <= 0x20) ++p;
    return p;
}

}  // namespace setupmenu
