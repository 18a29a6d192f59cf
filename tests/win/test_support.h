// Helpers shared by the Windows-side test programs: temporary media folders,
// files and bitmaps written by the tests themselves, the state record set up
// for a configuration, a watcher that answers message boxes, and a way to
// count calls that the launcher makes into system DLLs.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace test_support {

// A fresh folder under the system's temporary folder, removed with all its
// contents when the object goes. path() ends in a backslash.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + name; }
    // A subfolder (created, with any missing parents), ending in a backslash.
    std::string MakeSubdir(const std::string& name) const;

private:
    std::string path_;
};

void RemoveTree(const std::string& dir);

bool WriteBytes(const std::string& path, const void* data, size_t size);
bool WriteText(const std::string& path, const std::string& text);
// The file's bytes, or an empty vector with *ok = false when it cannot be read.
std::vector<uint8_t> ReadBytes(const std::string& path, bool* ok = nullptr);
std::string ReadText(const std::string& path, bool* ok = nullptr);
bool FileExists(const std::string& path);

// The colour a test bitmap has at (x, y), counted from its top-left corner.
COLORREF TestPixel(int x, int y);
// A bottom-up 24-bit BMP file of w by h pixels coloured by TestPixel.
std::vector<uint8_t> MakeBmp24(int width, int height);
bool WriteBmp24(const std::string& path, int width, int height);

// Size of a bitmap as GetObject reports it; {-1, -1} when that fails.
SIZE BitmapSize(HBITMAP bitmap);
// The colour of one pixel of a bitmap, read back through a memory DC.
COLORREF BitmapPixel(HBITMAP bitmap, int x, int y);
// The colour of a solid brush, or 0xFFFFFFFF when it is not a brush.
COLORREF BrushColor(HBRUSH brush);

// Zeroes the state record and points it at a configuration: the program
// directory `dir` (with its backslash), the file `iniPath`, the base name
// `exeName`, and this module as the instance.
void ResetState();
void UseConfig(const std::string& dir, const std::string& iniPath, const std::string& exeName = "Setup");

// Writes `content` to a file in `dir` that no earlier call has used (the
// profile reader caches files by name and write time) and returns its path.
std::string WriteIni(const TempDir& dir, const std::string& content);

// Answers message boxes ("#32770" windows of this process) from a thread of
// its own: records each one and presses its OK button.
struct SeenBox {
    std::string caption;
    std::string text;      // the message, static control 0xFFFF
    HWND owner;
    bool errorIcon;        // shows the system's error icon
    std::vector<int> buttons;  // ids of the visible push buttons
    std::string probe;     // what the probe returned while the box was up
};

class BoxWatcher {
public:
    // `probe`, when given, runs on the watcher's thread while each box is
    // shown, to look at what the program did before it raised the box.
    explicit BoxWatcher(std::function<std::string()> probe = nullptr);
    ~BoxWatcher();  // stops the thread
    // Stops watching and returns every box seen, in order.
    std::vector<SeenBox> Stop();

private:
    static DWORD WINAPI ThreadMain(void* self);
    void Watch();
    HANDLE thread_ = nullptr;
    std::function<std::string()> probe_;
    std::atomic<bool> stop_{false};
    std::vector<SeenBox> seen_;
};

// Replaces this program's import of `function` from `dll` (as the launcher's
// code, linked into it, calls it) and returns the original, or null when the
// program does not import it.
void* PatchImport(const char* dll, const char* function, void* replacement);

}  // namespace test_support
