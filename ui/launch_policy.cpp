// See launch_policy.h.
#include "ui/launch_policy.h"

#include <cstring>

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

}  // namespace setupmenu
