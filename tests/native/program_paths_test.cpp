// The program's directory and base name, and the configuration file's path.
#include "startup/program_paths.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace {

using setupmenu::BuildConfigPath;
using setupmenu::HashConfigPath;
using setupmenu::SplitModulePath;

constexpr size_t kPathCapacity = 516;

// ---------------------------------------------------------------------------
// SplitModulePath

struct SplitCase {
    const char* name;
    const char* modulePath;
    const char* dir;      // what stays in the path buffer
    const char* exeName;  // what the base name buffer holds afterwards
};

TEST(SplitModulePath, CutsAtTheLastDotThenAfterTheLastBackslash) {
    const SplitCase cases[] = {
        {"program in a folder", "C:\\Media\\Setup\\Setup.exe", "C:\\Media\\Setup\\", "Setup"},
        {"program in a drive's root", "D:\\SETUP.EXE", "D:\\", "SETUP"},
        {"letter case is kept", "c:\\MeDia\\SeTup.Exe", "c:\\MeDia\\", "SeTup"},
        {"two dots in the file name", "C:\\a\\setup.tar.exe", "C:\\a\\", "setup.tar"},
        {"no extension at all", "C:\\Setup\\Setup", "C:\\Setup\\", "Setup"},
        // The whole path is searched for the dot, before any backslash: a dot
        // in a folder name with an extension-less file cuts inside the folder.
        {"dot in a folder name, no extension on the file", "C:\\my.dir\\setup", "C:\\", "my"},
        {"dot in a deeper folder name", "C:\\a\\b.c\\d\\setup", "C:\\a\\", "b"},
        {"UNC path", "\\\\server\\share\\Setup.exe", "\\\\server\\share\\", "Setup"},
        {"path ending in a backslash", "C:\\Setup\\", "C:\\Setup\\", ""},
        {"dot right after the last backslash", "C:\\Setup\\.exe", "C:\\Setup\\", ""},
        {"high bytes in the name", "C:\\Men\xFC\\Set\xE9up.exe", "C:\\Men\xFC\\", "Set\xE9up"},
    };
    for (const SplitCase& c : cases) {
        SCOPED_TRACE(c.name);
        char path[kPathCapacity];
        std::snprintf(path, sizeof path, "%s", c.modulePath);
        char exeName[kPathCapacity] = "previous";
        SplitModulePath(path, exeName, sizeof exeName);
        EXPECT_STREQ(path, c.dir);
        EXPECT_STREQ(exeName, c.exeName);
    }
}

TEST(SplitModulePath, WithoutBackslashThePathStaysWholeAndTheNameUntouched) {
    const SplitCase cases[] = {
        {"bare file name", "SETUP.EXE", "SETUP", "untouched"},
        {"bare name without extension", "SETUP", "SETUP", "untouched"},
        {"drive-relative name", "D:SETUP.EXE", "D:SETUP", "untouched"},
        {"forward slashes are no separators", "C:/Media/Setup.exe", "C:/Media/Setup", "untouched"},
        {"dot only", ".", "", "untouched"},
        {"empty path", "", "", "untouched"},
    };
    for (const SplitCase& c : cases) {
        SCOPED_TRACE(c.name);
        char path[kPathCapacity];
        std::snprintf(path, sizeof path, "%s", c.modulePath);
        char exeName[kPathCapacity] = "untouched";
        SplitModulePath(path, exeName, sizeof exeName);
        EXPECT_STREQ(path, c.dir);
        EXPECT_STREQ(exeName, c.exeName);
    }
}

TEST(SplitModulePath, LongestModulePathFitsTheNameBuffer) {
    // A module path of 512 characters whose name is everything after "C:\".
    std::string modulePath = "C:\\" + std::string(505, 'n') + ".exe";
    ASSERT_EQ(modulePath.size(), 512u);
    char path[kPathCapacity];
    std::snprintf(path, sizeof path, "%s", modulePath.c_str());
    std::unique_ptr<char[]> exeName(new char[kPathCapacity]);
    SplitModulePath(path, exeName.get(), kPathCapacity);
    EXPECT_STREQ(path, "C:\\");
    EXPECT_EQ(std::string(exeName.get()), std::string(505, 'n'));
}

// ---------------------------------------------------------------------------
// BuildConfigPath

struct ConfigCase {
    const char* name;
    std::string tail;
    std::string expected;  // the full path
};

std::string Build(std::string_view dir, std::string_view exe, std::string_view tail, bool* ok,
                  size_t capacity = kPathCapacity) {
    // Exactly `capacity` bytes on the heap, so any write past it is caught.
    std::unique_ptr<char[]> out(new char[capacity]);
    std::memset(out.get(), 'X', capacity);
    *ok = BuildConfigPath(out.get(), capacity, dir, exe, tail);
    const void* end = std::memchr(out.get(), '\0', capacity);
    EXPECT_NE(end, nullptr) << "result not terminated inside its buffer";
    return end ? std::string(out.get()) : std::string();
}

TEST(BuildConfigPath, TailTableForProgramOnDriveRoot) {
    const ConfigCase cases[] = {
        {"empty tail: base name and .INI", "", "D:\\SETUP.INI"},
        {"name without extension", "menu", "D:\\menu.INI"},
        {"name with its own extension", "menu.cfg", "D:\\menu.cfg"},
        {"trailing blanks removed", "menu.ini   ", "D:\\menu.ini"},
        {"subfolder without extension", "cfg\\menu", "D:\\cfg\\menu.INI"},
        {"parent folder: the last dot is followed by a backslash", "..\\menu", "D:\\..\\menu.INI"},
        {"dot in a folder name", "my.dir\\menu", "D:\\my.dir\\menu.INI"},
        {"forward slash is no separator", "my.dir/menu", "D:\\my.dir/menu"},
        {"a full path still goes behind the program folder", "E:\\other.ini", "D:\\E:\\other.ini"},
    };
    for (const ConfigCase& c : cases) {
        SCOPED_TRACE(c.name);
        bool ok = false;
        EXPECT_EQ(Build("D:\\", "SETUP", c.tail, &ok), c.expected);
        EXPECT_TRUE(ok);
    }
}

TEST(BuildConfigPath, TailDetails) {
    const ConfigCase cases[] = {
        {"only blanks are trimmed, a tab stays", "menu\t", "D:\\menu\t.INI"},
        {"blank before a tab stays", "menu \t", "D:\\menu \t.INI"},
        {"blanks after a tab are trimmed", "menu.ini\t  ", "D:\\menu.ini\t"},
        {"blanks inside stay", "my menu", "D:\\my menu.INI"},
        {"quotes are kept", "\"menu.ini\"", "D:\\\"menu.ini\""},
        {"quoted name without extension", "\"menu\"", "D:\\\"menu\".INI"},
        {"trailing dot is an extension", "menu.", "D:\\menu."},
        {"dot at the start", ".ini", "D:\\.ini"},
        {"extension is kept in its letter case", "MENU.Ini", "D:\\MENU.Ini"},
        {"backslash after the last of two dots", "a.b\\c.d\\e", "D:\\a.b\\c.d\\e.INI"},
        {"extension after a dotted folder", "a.b\\c.d", "D:\\a.b\\c.d"},
        {"blanks only, after trimming nothing is left", "   ", "D:\\.INI"},
    };
    for (const ConfigCase& c : cases) {
        SCOPED_TRACE(c.name);
        bool ok = false;
        EXPECT_EQ(Build("D:\\", "SETUP", c.tail, &ok), c.expected);
        EXPECT_TRUE(ok);
    }
}

TEST(BuildConfigPath, EmptyProgramDirectory) {
    struct Case {
        const char* name;
        const char* exe;
        const char* tail;
        const char* expected;
    };
    const Case cases[] = {
        {"no directory and no base name", "", "", ".INI"},
        {"no directory, a tail", "", "menu", "menu.INI"},
        {"no directory, a tail with extension", "", "menu.cfg", "menu.cfg"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        bool ok = false;
        EXPECT_EQ(Build("", c.exe, c.tail, &ok), c.expected);
        EXPECT_TRUE(ok);
    }
}

TEST(BuildConfigPath, PathsUpTo515CharactersFitLongerOnesAreRefusedNeverCut) {
    struct Case {
        const char* name;
        size_t dirLength;       // "D:\" padded with folder characters
        std::string exe;
        std::string tailBody;   // repeated to tailLength
        size_t tailLength;
        std::string tailSuffix;
        size_t expectedLength;  // 0: refused
    };
    const Case cases[] = {
        {"tail with .INI, 515 characters", 100, "SETUP", "m", 411, "", 515},
        {"tail with .INI, 516 characters", 100, "SETUP", "m", 412, "", 0},
        {"tail fits, its .INI does not", 100, "SETUP", "m", 413, "", 0},
        {"tail with its own extension, 515", 100, "SETUP", "m", 411, ".cfg", 515},
        {"tail with its own extension, 516", 100, "SETUP", "m", 412, ".cfg", 0},
        {"trailing blanks do not count", 100, "SETUP", "m", 411, ".cfg      ", 515},
        {"base name and .INI, 515", 506, "SETUP", "", 0, "", 515},
        {"base name and .INI, 516", 507, "SETUP", "", 0, "", 0},
        {"directory alone 515, tail adds to it", 515, "SETUP", "m", 1, "", 0},
        {"directory alone 516", 516, "SETUP", "m", 1, "", 0},
        {"directory far beyond the buffer", 2000, "SETUP", "", 0, "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string dir = "D:\\" + std::string(c.dirLength - 4, 'd') + "\\";
        ASSERT_EQ(dir.size(), c.dirLength);
        std::string tail;
        while (tail.size() < c.tailLength) tail += c.tailBody;
        tail += c.tailSuffix;
        bool ok = true;
        const std::string path = Build(dir, c.exe, tail, &ok);
        if (c.expectedLength == 0) {
            EXPECT_FALSE(ok);
            EXPECT_EQ(path, "");
        } else {
            EXPECT_TRUE(ok);
            EXPECT_EQ(path.size(), c.expectedLength);
            EXPECT_EQ(path.compare(0, dir.size(), dir), 0);
        }
    }
}

TEST(BuildConfigPath, SmallBuffersAreRefusedWithoutOverrun) {
    struct Case {
        const char* name;
        size_t capacity;
        bool fits;
    };
    // "D:\menu.INI" has 11 characters and needs 12 bytes.
    const Case cases[] = {
        {"exact size", 12, true},
        {"one byte short", 11, false},
        {"short by the extension", 8, false},
        {"one byte", 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        bool ok = !c.fits;
        const std::string path = Build("D:\\", "SETUP", "menu", &ok, c.capacity);
        EXPECT_EQ(ok, c.fits);
        EXPECT_EQ(path, c.fits ? "D:\\menu.INI" : "");
    }
}

TEST(BuildConfigPath, ZeroCapacityWritesNothing) {
    char guard = 'G';
    EXPECT_FALSE(BuildConfigPath(&guard, 0, "D:\\", "SETUP", "menu"));
    EXPECT_EQ(guard, 'G');
}

TEST(HashConfigPath, OneMarkPerFileAsTheFileSystemComparesNames) {
    const struct {
        const char* a;
        const char* b;
        bool same;
    } cases[] = {
        {"D:\\SETUP.INI", "d:\\setup.ini", true},
        {"D:\\Menü\\a.ini", "d:\\MENü\\A.INI", true},
        {"D:\\SETUP.INI", "D:\\SETUP2.INI", false},
        {"D:\\SETUP.INI", "E:\\SETUP.INI", false},
        {"D:\\sub\\menu.ini", "D:\\sub\\menu.ini ", false},
        {"", "D:", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(HashConfigPath(c.a) == HashConfigPath(c.b), c.same) << c.a << " / " << c.b;
    }
    // FNV-1a of nothing is its offset basis.
    EXPECT_EQ(HashConfigPath(""), 0x811C9DC5u);
}

}  // namespace

