// See profile.h.
#include "config/profile.h"

#include <cstring>

#include "config/bitmap_check.h"
#include "config/file_encoding.h"
#include "config/heap_text.h"
#include "config/text_rules.h"
#include "startup/setup_state.h"

namespace setupmenu {

// The reader is given one byte less than the buffer, so a value holds at most 4094 bytes.
constexpr DWORD kValueCapacity = kValueChars - 1;

int ReadSetting(const char* section, const char* key) {
    DWORD length;
    if (g_state.wszReadPath[0]) {
        // Names and the sentinel are ASCII: the same in either encoding.
        wchar_t wideSection[32], wideKey[32];
        wchar_t* wide = g_state.wszValue;
        WideOf(section, wideSection, 32);
        WideOf(key, wideKey, 32);
        const DWORD units =
            GetPrivateProfileStringW(wideSection, wideKey, L"*NOT*", wide, kValueCapacity, g_state.wszReadPath);
        // A value whose UTF-8 form is longer than 4094 bytes is cut by whole
        // UTF-16 units until it fits, so no UTF-8 sequence is cut in two.
        int bytes = 0, kept = static_cast<int>(units);
        while (kept > 0 && (bytes = WideCharToMultiByte(CP_UTF8, 0, wide, kept, g_state.szValue,
                                                         kValueCapacity - 1, nullptr, nullptr)) == 0) {
            --kept;
        }
        g_state.szValue[bytes] = '\0';
        length = static_cast<DWORD>(bytes);
    } else {
        length = GetPrivateProfileStringA(section, key, kAbsentSentinel.data(), g_state.szValue, kValueCapacity,
                                          g_state.szIniPath);
    }
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

namespace {

// Reads the headers of the file at `path` and checks them against its size
// before the loader sees it: the loader trusts them (see bitmap_check.h). A
// folder, a missing file or one that cannot be read fails here too.
bool IsSoundBitmapAt(const char* path) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size = {};
    uint8_t head[kBitmapHeadBytes];
    DWORD wanted = 0, read = 0;
    bool sound = false;
    if (GetFileSizeEx(file, &size) && size.QuadPart >= 0) {
        wanted = size.QuadPart < static_cast<LONGLONG>(sizeof head) ? static_cast<DWORD>(size.QuadPart)
                                                                     : static_cast<DWORD>(sizeof head);
        sound = ReadFile(file, head, wanted, &read, nullptr) && read == wanted &&
                IsSoundBitmapFile(head, read, static_cast<uint64_t>(size.QuadPart));
    }
    CloseHandle(file);
    return sound;
}

}  // namespace

HBITMAP LoadBitmapSetting(const char* value) {
    char path[kPathChars];
    if (!ComposeNativePath(path, g_state.szProgramDir, value)) return nullptr;
    if (!IsSoundBitmapAt(path)) return nullptr;
    return static_cast<HBITMAP>(LoadImageA(g_state.hInstance, path, IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
}

}  // namespace setupmenu
