// See profile.h.
#include "config/profile.h"

#include <cstring>

#include "config/heap_text.h"
#include "config/text_rules.h"
#include "startup/setup_state.h"

namespace setupmenu {

// The reader is given one byte less than the buffer, so a value holds at most 4094 bytes.
constexpr DWORD kValueCapacity = kValueChars - 1;

int ReadSetting(const char* section, const char* key) {
    const DWORD length = GetPrivateProfileStringA(section, key, kAbsentSentinel.data(), g_state.szValue,
                                                  kValueCapacity, g_state.szIniPath);
    if (length == 0) return 0;
    if (EqualsNoCase(std::string_view(g_state.szValue, length), kAbsentSentinel)) return 0;
    return static_cast<int>(length);
}

char* CopyText(const char* text, size_t length) {
    char* copy = AllocText(length + 1);
    std::memcpy(copy, text, length);
    copy[length] = '\0';
    return copy;
}

char* CopyProgramRelativePath(const char* value) {
    const size_t dirLength = std::strlen(g_state.szProgramDir);
    const size_t valueLength = std::strlen(value);
    char* path = AllocText(dirLength + valueLength + 1);
    std::memcpy(path, g_state.szProgramDir, dirLength);
    std::memcpy(path + dirLength, value, valueLength + 1);
    return path;
}

HBITMAP LoadBitmapSetting(const char* value) {
    char path[kPathChars];
    if (!ComposePath(path, sizeof path, g_state.szProgramDir, value)) return nullptr;
    return static_cast<HBITMAP>(LoadImageA(g_state.hInstance, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
}

}  // namespace setupmenu
