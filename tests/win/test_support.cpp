// See test_support.h.
#include "tests/win/test_support.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "startup/setup_state.h"

namespace test_support {

// ---- folders and files ----------------------------------------------------

TempDir::TempDir() {
    char temp[MAX_PATH];
    const DWORD length = GetTempPathA(sizeof temp, temp);
    std::string base(temp, length);
    if (base.empty() || base.back() != '\\') base += '\\';
    static unsigned counter = 0;
    for (;;) {
        char name[64];
        std::snprintf(name, sizeof name, "smt%lu_%lu_%u", GetCurrentProcessId(), GetTickCount(), ++counter);
        if (CreateDirectoryA((base + name).c_str(), nullptr)) {
            path_ = base + name + "\\";
            return;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            std::printf("cannot create a folder in %s (error %lu)\n", base.c_str(), GetLastError());
            std::exit(3);
        }
    }
}

TempDir::~TempDir() { RemoveTree(path_); }

std::string TempDir::MakeSubdir(const std::string& name) const {
    std::string full = path_;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find('\\', start);
        if (end == std::string::npos) end = name.size();
        full += name.substr(start, end - start) + "\\";
        CreateDirectoryA(full.c_str(), nullptr);
        start = end + 1;
    }
    return full;
}

void RemoveTree(const std::string& dir) {
    if (dir.empty()) return;
    std::string root = dir;
    if (root.back() != '\\') root += '\\';
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((root + "*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            const std::string full = root + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(full);
            } else {
                SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(full.c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(root.c_str());
}

bool WriteBytes(const std::string& path, const void* data, size_t size) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok = size == 0 || WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr);
    CloseHandle(file);
    return ok && written == size;
}

bool WriteText(const std::string& path, const std::string& text) { return WriteBytes(path, text.data(), text.size()); }

std::vector<uint8_t> ReadBytes(const std::string& path, bool* ok) {
    std::vector<uint8_t> bytes;
    if (ok) *ok = false;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    const DWORD size = GetFileSize(file, nullptr);
    bytes.resize(size);
    DWORD read = 0;
    const BOOL done = size == 0 || ReadFile(file, bytes.data(), size, &read, nullptr);
    CloseHandle(file);
    if (!done || read != size) {
        bytes.clear();
        return bytes;
    }
    if (ok) *ok = true;
    return bytes;
}

std::string ReadText(const std::string& path, bool* ok) {
    const std::vector<uint8_t> bytes = ReadBytes(path, ok);
    return std::string(bytes.begin(), bytes.end());
}

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// ---- bitmaps ----------------------------------------------------------------

COLORREF TestPixel(int x, int y) { return RGB((x * 37 + 11) & 0xFF, (y * 53 + 7) & 0xFF, ((x + y) * 19) & 0xFF); }

namespace {

void Put16(std::vector<uint8_t>& out, size_t at, uint16_t v) {
    out[at] = static_cast<uint8_t>(v);
    out[at + 1] = static_cast<uint8_t>(v >> 8);
}

void Put32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace

std::vector<uint8_t> MakeBmp24(int width, int height) {
    const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~static_cast<size_t>(3);
    const size_t pixels = stride * static_cast<size_t>(height);
    const size_t offset = 14 + 40;
    std::vector<uint8_t> out(offset + pixels, 0);
    out[0] = 'B';
    out[1] = 'M';
    Put32(out, 2, static_cast<uint32_t>(out.size()));
    Put32(out, 10, static_cast<uint32_t>(offset));
    Put32(out, 14, 40);  // BITMAPINFOHEADER
    Put32(out, 18, static_cast<uint32_t>(width));
    Put32(out, 22, static_cast<uint32_t>(height));  // positive: bottom-up
    Put16(out, 26, 1);
    Put16(out, 28, 24);
    Put32(out, 30, 0);  // BI_RGB
    Put32(out, 34, static_cast<uint32_t>(pixels));
    Put32(out, 38, 2835);
    Put32(out, 42, 2835);
    for (int y = 0; y < height; ++y) {
        uint8_t* row = &out[offset + stride * static_cast<size_t>(height - 1 - y)];
        for (int x = 0; x < width; ++x) {
            const COLORREF c = TestPixel(x, y);
            row[3 * x] = GetBValue(c);
            row[3 * x + 1] = GetGValue(c);
            row[3 * x + 2] = GetRValue(c);
        }
    }
    return out;
}

bool WriteBmp24(const std::string& path, int width, int height) {
    const std::vector<uint8_t> bytes = MakeBmp24(width, height);
    return WriteBytes(path, bytes.data(), bytes.size());
}

SIZE BitmapSize(HBITMAP bitmap) {
    BITMAP info;
    if (!bitmap || GetObjectA(bitmap, sizeof info, &info) != sizeof info) return SIZE{-1, -1};
    return SIZE{info.bmWidth, info.bmHeight};
}

COLORREF BitmapPixel(HBITMAP bitmap, int x, int y) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    const COLORREF c = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteDC(dc);
    return c;
}

COLORREF BrushColor(HBRUSH brush) {
    LOGBRUSH info;
    if (!brush || GetObjectType(brush) != OBJ_BRUSH) return 0xFFFFFFFF;
    if (GetObjectA(brush, sizeof info, &info) != sizeof info || info.lbStyle != BS_SOLID) return 0xFFFFFFFF;
    return info.lbColor;
}

// ---- the state record ---------------------------------------------------------

void ResetState() { std::memset(&setupmenu::g_state, 0, sizeof setupmenu::g_state); }

void UseConfig(const std::string& dir, const std::string& iniPath, const std::string& exeName) {
    using setupmenu::g_state;
    std::snprintf(g_state.szProgramDir, sizeof g_state.szProgramDir, "%s", dir.c_str());
    std::snprintf(g_state.szIniPath, sizeof g_state.szIniPath, "%s", iniPath.c_str());
    std::snprintf(g_state.szExeName, sizeof g_state.szExeName, "%s", exeName.c_str());
    g_state.hInstance = GetModuleHandleA(nullptr);
}

std::string WriteIni(const TempDir& dir, const std::string& content) {
    static unsigned counter = 0;
    char name[32];
    std::snprintf(name, sizeof name, "config%u.ini", ++counter);
    const std::string path = dir / name;
    if (!WriteText(path, content)) {
        std::printf("cannot write %s\n", path.c_str());
        std::exit(3);
    }
    return path;
}

// ---- message boxes --------------------------------------------------------------

namespace {

constexpr int kMessageTextId = 0xFFFF;

struct FindContext {
    DWORD process;
    HWND found;
};

BOOL CALLBACK FindOwnBox(HWND window, LPARAM param) {
    FindContext* context = reinterpret_cast<FindContext*>(param);
    char className[32];
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != context->process || !IsWindowVisible(window)) return TRUE;
    if (!GetClassNameA(window, className, sizeof className) || std::strcmp(className, "#32770") != 0) return TRUE;
    context->found = window;
    return FALSE;
}

struct ChildScan {
    bool errorIcon = false;
    std::vector<int> buttons;
};

BOOL CALLBACK ScanChild(HWND child, LPARAM param) {
    ChildScan* scan = reinterpret_cast<ChildScan*>(param);
    if (!IsWindowVisible(child)) return TRUE;
    char className[32];
    GetClassNameA(child, className, sizeof className);
    const LONG style = GetWindowLongA(child, GWL_STYLE);
    if (_stricmp(className, "Button") == 0) {
        scan->buttons.push_back(GetDlgCtrlID(child));
    } else if (_stricmp(className, "Static") == 0 && (style & SS_TYPEMASK) == SS_ICON) {
        const HICON shown = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
        if (shown && shown == LoadIconA(nullptr, IDI_ERROR)) scan->errorIcon = true;
    }
    return TRUE;
}

}  // namespace

BoxWatcher::BoxWatcher(std::function<std::string()> probe) : probe_(std::move(probe)) {
    thread_ = CreateThread(nullptr, 0, &BoxWatcher::ThreadMain, this, 0, nullptr);
}

BoxWatcher::~BoxWatcher() { Stop(); }

std::vector<SeenBox> BoxWatcher::Stop() {
    if (thread_) {
        stop_ = true;
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
        thread_ = nullptr;
    }
    return seen_;
}

DWORD WINAPI BoxWatcher::ThreadMain(void* self) {
    static_cast<BoxWatcher*>(self)->Watch();
    return 0;
}

void BoxWatcher::Watch() {
    while (!stop_) {
        FindContext context{GetCurrentProcessId(), nullptr};
        EnumWindows(FindOwnBox, reinterpret_cast<LPARAM>(&context));
        if (!context.found) {
            Sleep(20);
            continue;
        }
        HWND box = context.found;
        // Let the box finish its initialisation before reading it.
        Sleep(50);
        SeenBox seen;
        char buffer[1024];
        buffer[0] = '\0';
        GetWindowTextA(box, buffer, sizeof buffer);
        seen.caption = buffer;
        buffer[0] = '\0';
        GetDlgItemTextA(box, kMessageTextId, buffer, sizeof buffer);
        seen.text = buffer;
        seen.owner = GetWindow(box, GW_OWNER);
        ChildScan scan;
        EnumChildWindows(box, ScanChild, reinterpret_cast<LPARAM>(&scan));
        seen.errorIcon = scan.errorIcon;
        seen.buttons = scan.buttons;
        if (probe_) seen.probe = probe_();
        seen_.push_back(seen);
        // Press OK, then wait for the box to go before looking for the next one.
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
        for (int i = 0; i < 500 && IsWindow(box); ++i) Sleep(10);
    }
}

// ---- imports ---------------------------------------------------------------------

void* PatchImport(const char* dll, const char* function, void* replacement) {
    BYTE* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
    const IMAGE_DOS_HEADER* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const IMAGE_NT_HEADERS* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!imports.VirtualAddress) return nullptr;
    for (const IMAGE_IMPORT_DESCRIPTOR* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         entry->Name; ++entry) {
        if (_stricmp(reinterpret_cast<const char*>(base + entry->Name), dll) != 0) continue;
        const IMAGE_THUNK_DATA* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(
            base + (entry->OriginalFirstThunk ? entry->OriginalFirstThunk : entry->FirstThunk));
        IMAGE_THUNK_DATA* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            const IMAGE_IMPORT_BY_NAME* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) != 0) continue;
            DWORD protection = 0;
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &protection);
            void* original = reinterpret_cast<void*>(slots->u1.Function);
            slots->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, protection, &protection);
            return original;
        }
    }
    return nullptr;
}

}  // namespace test_support
