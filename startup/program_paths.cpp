// See program_paths.h.
#include "startup/program_paths.h"

#include <cstdint>
#include <cstring>

namespace setupmenu {
namespace {

constexpr std::string_view kIniExtension = ".INI";

bool Append(char* out, size_t capacity, size_t* length, std::string_view part) {
    if (part.size() >= capacity - *length) return false;
    std::memcpy(out + *length, part.data(), part.size());
    *length += part.size();
    out[*length] = '\0';
    return true;
}

// Only a backslash separates directories here: "my.dir/menu" has the extension ".dir/menu".
bool TailNeedsExtension(std::string_view tail) {
    const size_t dot = tail.rfind('.');
    if (dot == std::string_view::npos) return true;
    return tail.find('\\', dot) != std::string_view::npos;
}

}  // namespace

void SplitModulePath(char* path, char* exeName, size_t exeCapacity) {
    if (char* dot = std::strrchr(path, '.')) *dot = '\0';
    char* slash = std::strrchr(path, '\\');
    if (!slash || exeCapacity == 0) return;
    const size_t nameLength = std::strlen(slash + 1);
    // The name came out of a buffer no larger than exeName's, so it always fits.
    const size_t copied = nameLength < exeCapacity ? nameLength : exeCapacity - 1;
    std::memcpy(exeName, slash + 1, copied);
    exeName[copied] = '\0';
    slash[1] = '\0';
}

bool BuildConfigPath(char* out, size_t capacity, std::string_view programDir,
                     std::string_view exeName, std::string_view tail) {
    if (capacity == 0) return false;
    out[0] = '\0';
    size_t length = 0;
    bool fits = Append(out, capacity, &length, programDir);
    if (tail.empty()) {
        fits = fits && Append(out, capacity, &length, exeName) &&
               Append(out, capacity, &length, kIniExtension);
    } else {
        while (!tail.empty() && tail.back() == ' ') tail.remove_suffix(1);
        fits = fits && Append(out, capacity, &length, tail);
        if (fits && TailNeedsExtension(tail)) fits = Append(out, capacity, &length, kIniExtension);
    }
    if (!fits) out[0] = '\0';
    return fits;
}

uint32_t HashConfigPath(const char* configPath) {
    // 32-bit FNV-1a: two configuration files of one machine meet by chance
    // once in four billion pairs.
    uint32_t hash = 0x811C9DC5u;
    for (const char* c = configPath; *c; ++c) {
        const unsigned char byte = static_cast<unsigned char>(*c);
        hash = (hash ^ (byte >= 'a' && byte <= 'z' ? byte - 32u : byte)) * 0x01000193u;
    }
    return hash;
}

}  // namespace setupmenu
