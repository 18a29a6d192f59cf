// See launch_policy.h.
#include "ui/launch_policy.h"

#include <cstring>

#include "config/text_rules.h"

namespace setupmenu {

StartFailure ClassifyStartFailure(uint32_t error) {
    return error == kErrorElevationRequired ? StartFailure::RetryElevated : StartFailure::Report;
}

bool ComposeSystemLibraryPath(char* out, size_t capacity, std::string_view systemDir, std::string_view file) {
    if (capacity == 0) return false;
    out[0] = '\0';
    if (systemDir.empty() || file.empty()) return false;
    const bool hasSeparator = systemDir.back() == '\\' || systemDir.back() == '/';
    const size_t length = systemDir.size() + (hasSeparator ? 0 : 1) + file.size();
    if (length >= capacity) return false;
    std::memcpy(out, systemDir.data(), systemDir.size());
    size_t used = systemDir.size();
    if (!hasSeparator) out[used++] = '\\';
    std::memcpy(out + used, file.data(), file.size());
    out[length] = '\0';
    return true;
}

namespace {

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// A scheme is a letter followed by letters, digits, '+', '-' and '.'.
bool IsSchemeCharacter(char c, bool first) {
    return IsAsciiLetter(c) || (!first && ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.'));
}

}  // namespace

OpenTarget ClassifyOpenTarget(std::string_view value) {
    size_t colon = 0;
    while (colon < value.size() && value[colon] != ':') {
        if (!IsSchemeCharacter(value[colon], colon == 0)) return OpenTarget::File;
        ++colon;
    }
    if (colon < 2 || colon == value.size()) return OpenTarget::File;
    const std::string_view scheme(value.data(), colon);  // not substr: its range check would link the C++ exception machinery
    for (std::string_view allowed : {std::string_view("http"), std::string_view("https"), std::string_view("mailto")}) {
        if (EqualsNoCase(scheme, allowed)) return OpenTarget::Address;
    }
    return OpenTarget::Refused;
}

}  // namespace setupmenu
