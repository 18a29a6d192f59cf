// See file_encoding.h.
#include "config/file_encoding.h"

#include "config/heap_text.h"
#include "config/text_encoding.h"
#include "config/text_rules.h"
#include "startup/locate.h"
#include "startup/setup_state.h"

namespace setupmenu {
namespace {

// Larger files are taken as ANSI unread: no configuration comes near it.
constexpr DWORD kLargestTold = 16u << 20;

// `size` bytes of UTF-8 into a new file of the launcher's own as UTF-16LE with
// its mark. GetTempFileNameW creates the file under a name nobody else holds,
// so no file of the user's is ever overwritten. On failure nothing is left.
void WriteWideCopy(const char* text, DWORD size) {
    wchar_t folder[MAX_PATH];
    const DWORD length = GetTempPathW(MAX_PATH, folder);
    if (length == 0 || length >= MAX_PATH || !GetTempFileNameW(folder, L"smu", 0, g_state.wszReadPath)) {
        g_state.wszReadPath[0] = L'\0';
        return;
    }
    g_state.bReadCopy = TRUE;
    // Never more UTF-16 units than UTF-8 bytes; one more for the mark.
    wchar_t* wide = reinterpret_cast<wchar_t*>(AllocText((size + 1) * sizeof(wchar_t)));
    wide[0] = 0xFEFF;
    const DWORD units = size ? static_cast<DWORD>(MultiByteToWideChar(CP_UTF8, 0, text, static_cast<int>(size),
                                                                      wide + 1, static_cast<int>(size)))
                             : 0;
    const DWORD bytes = (units + 1) * sizeof(wchar_t);
    DWORD written = 0;
    HANDLE file = CreateFileW(g_state.wszReadPath, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_TEMPORARY, nullptr);
    const bool ok = file != INVALID_HANDLE_VALUE && (size == 0 || units > 0) &&
                    WriteFile(file, wide, bytes, &written, nullptr) && written == bytes;
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    FreeText(reinterpret_cast<char*>(wide));
    if (!ok) CloseConfigFile();
}

}  // namespace

TextEncoding OpenConfigFile() {
    CloseConfigFile();
    TextEncoding encoding = TextEncoding::Ansi;
    HANDLE file = CreateFileA(g_state.szIniPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return encoding;
    LARGE_INTEGER large = {};
    const DWORD size = GetFileSizeEx(file, &large) && large.QuadPart < kLargestTold ? large.LowPart : kLargestTold;
    char* bytes = size < kLargestTold ? AllocText(size + 1) : nullptr;
    DWORD read = 0;
    const bool whole = bytes && ReadFile(file, bytes, size, &read, nullptr) && read == size;
    CloseHandle(file);
    if (whole) {
        const auto* data = reinterpret_cast<const uint8_t*>(bytes);
        encoding = TellEncoding(data, size);
        const DWORD mark = encoding == TextEncoding::Utf8Mark ? 3 : 0;
        // The path is widened while the code page is still the system's.
        if (encoding == TextEncoding::Utf16Le) WideOf(g_state.szIniPath, g_state.wszReadPath, kPathChars);
        if (encoding == TextEncoding::Utf8 || mark) WriteWideCopy(bytes + mark, size - mark);
        if (encoding != TextEncoding::Ansi) g_state.uTextCodePage = CP_UTF8;
    }
    if (bytes) FreeText(bytes);
    return encoding;
}

void CloseConfigFile() {
    if (g_state.bReadCopy) DeleteFileW(g_state.wszReadPath);
    g_state.bReadCopy = FALSE;
    g_state.wszReadPath[0] = L'\0';
    g_state.uTextCodePage = CP_ACP;
}

void WideOf(const char* text, wchar_t* out, int capacity) {
    if (MultiByteToWideChar(g_state.uTextCodePage, 0, text, -1, out, capacity) <= 0) out[0] = L'\0';
}

bool ComposeNativePath(char* out, const char* dir, const char* value) {
    if (!ComposePath(out, kPathChars, dir, value)) return false;
    if (g_state.uTextCodePage == CP_ACP) return true;
    wchar_t wide[kPathChars];
    const int head = MultiByteToWideChar(CP_ACP, 0, dir, -1, wide, kPathChars);
    if (head <= 0 || MultiByteToWideChar(CP_UTF8, 0, value, -1, wide + head - 1, kPathChars - head + 1) <= 0 ||
        !AnsiPathOf(wide, out)) {
        out[0] = '\0';
        return false;
    }
    return true;
}

}  // namespace setupmenu
