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

}  // namespace

TextEncoding OpenConfigFile() {
    CloseConfigFile();
    TextEncoding encoding = TextEncoding::Ansi;
    HANDLE file = CreateFileA(g_state.szIniPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return encoding;
    // One block: the file's bytes, then room for their UTF-16 form (never
    // more units than bytes) behind a mark, on an even offset.
    const DWORD size = GetFileSize(file, nullptr);
    char* bytes = size < kLargestTold ? AllocText(3 * size + 4) : nullptr;
    DWORD done = 0;
    if (bytes && ReadFile(file, bytes, size, &done, nullptr) && done == size) {
        encoding = TellEncoding(reinterpret_cast<const uint8_t*>(bytes), size);
    }
    CloseHandle(file);
    if (encoding == TextEncoding::Utf16Le) {
        // Widened while the code page is still the system's.
        WideOf(g_state.szIniPath, g_state.wszReadPath, kPathChars);
    } else if (encoding != TextEncoding::Ansi) {
        // Written into a new file of the launcher's own: GetTempFileNameW
        // creates it under a name nobody else holds, so no file of the
        // user's is ever overwritten. Without it, the A calls read the file.
        const DWORD mark = encoding == TextEncoding::Utf8Mark ? 3 : 0;
        auto* wide = reinterpret_cast<wchar_t*>(bytes + (size | 1) + 1);
        wide[0] = 0xFEFF;
        const int units = MultiByteToWideChar(CP_UTF8, 0, bytes + mark, static_cast<int>(size - mark), wide + 1,
                                              static_cast<int>(size) + 1);
        wchar_t folder[MAX_PATH];
        const DWORD length = GetTempPathW(MAX_PATH, folder);
        if (length > 0 && length < MAX_PATH && GetTempFileNameW(folder, L"smu", 0, g_state.wszReadPath)) {
            g_state.bReadCopy = TRUE;
            const DWORD wanted = static_cast<DWORD>(units + 1) * sizeof(wchar_t);
            HANDLE copy = CreateFileW(g_state.wszReadPath, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
            const BOOL written = WriteFile(copy, wide, wanted, &done, nullptr) && done == wanted;
            if (copy != INVALID_HANDLE_VALUE) CloseHandle(copy);
            if (!written) CloseConfigFile();
        } else {
            g_state.wszReadPath[0] = L'\0';
        }
    }
    if (encoding != TextEncoding::Ansi) g_state.uTextCodePage = CP_UTF8;
    FreeText(bytes);
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
