// Where the program is and which configuration file it reads: LocateProgram
// on this very program (and on copies of it placed and named by the test),
// LocateConfigFile on the command tails, HasVersionMark on real files.
#include <cstdio>
#include <cstring>
#include <string>

#include "startup/locate.h"
#include "startup/setup_state.h"
#include "tests/win/mini_test.h"
#include "tests/win/test_support.h"

using setupmenu::g_state;
using namespace test_support;

namespace {

constexpr char kOwnBaseName[] = "win_locate_test";
constexpr char kReportSwitch[] = "--report-locate";

std::string CurrentDirectory() {
    char buffer[MAX_PATH * 2];
    const DWORD length = GetCurrentDirectoryA(sizeof buffer, buffer);
    return std::string(buffer, length);
}

std::string WithoutTrailingBackslash(std::string path) {
    if (!path.empty() && path.back() == '\\') path.pop_back();
    return path;
}

bool SameFile(const std::string& a, const std::string& b) {
    BY_HANDLE_FILE_INFORMATION infoA, infoB;
    HANDLE fileA = CreateFileA(a.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
    HANDLE fileB = CreateFileA(b.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
    bool same = fileA != INVALID_HANDLE_VALUE && fileB != INVALID_HANDLE_VALUE &&
                GetFileInformationByHandle(fileA, &infoA) && GetFileInformationByHandle(fileB, &infoB) &&
                infoA.dwVolumeSerialNumber == infoB.dwVolumeSerialNumber &&
                infoA.nFileIndexHigh == infoB.nFileIndexHigh && infoA.nFileIndexLow == infoB.nFileIndexLow;
    if (fileA != INVALID_HANDLE_VALUE) CloseHandle(fileA);
    if (fileB != INVALID_HANDLE_VALUE) CloseHandle(fileB);
    return same;
}

// Run as a copy: locate, then report directory, base name and current
// directory, one a line, into the file named on the command line.
int ReportLocation(const char* reportPath) {
    test_support::ResetState();
    setupmenu::LocateProgram();
    const std::string report =
        std::string(g_state.szProgramDir) + "\n" + g_state.szExeName + "\n" + CurrentDirectory() + "\n";
    return WriteText(reportPath, report) ? 0 : 1;
}

// Starts `exe` in `startIn` with the report switch and waits for it.
bool RunCopy(const std::string& exe, const std::string& startIn, const std::string& reportPath) {
    std::string commandLine = "\"" + exe + "\" " + kReportSwitch + " \"" + reportPath + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, startIn.c_str(), &startup,
                        &process)) {
        std::printf("CreateProcess %s failed: %lu\n", exe.c_str(), GetLastError());
        return false;
    }
    CloseHandle(process.hThread);
    const bool ended = WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0;
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    return ended && code == 0;
}

std::string OwnPath() {
    char path[MAX_PATH * 2];
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    return std::string(path, length);
}

}  // namespace

TEST(LocateProgramOnThisProgram) {
    TempDir elsewhere;
    REQUIRE(SetCurrentDirectoryA(elsewhere.path().c_str()));
    ResetState();
    setupmenu::LocateProgram();
    const std::string dir = g_state.szProgramDir;
    REQUIRE(!dir.empty());
    CHECK_EQ(dir.back(), '\\');
    CHECK_EQ(g_state.szExeName, kOwnBaseName);
    // Directory and base name together name this program's file.
    CHECK(SameFile(dir + g_state.szExeName + ".exe", OwnPath()));
    // The program directory is now the current one.
    CHECK_EQ(CurrentDirectory(), WithoutTrailingBackslash(dir));
    CHECK(!SameFile(CurrentDirectory(), elsewhere.path()));
    // Nothing else of the record was touched.
    CHECK_EQ(g_state.szIniPath, "");
    CHECK_EQ(g_state.hInstance, nullptr);
    SetCurrentDirectoryA(dir.c_str());  // leave the temporary folder free to go
}

TEST(LocateProgramOnCopies) {
    TempDir root;
    const std::string self = OwnPath();
    struct Row {
        const char* name;
        const char* folder;  // below the temporary folder
        const char* file;
        const char* baseName;
    } const rows[] = {
        {"upper-case name", "media", "SETUP.EXE", "SETUP"},
        {"mixed-case name", "Disk", "Setup.exe", "Setup"},
        {"dot in the folder name", "media.cd", "Setup.exe", "Setup"},
        {"dots in folder and file name", "v1.2", "my.setup.exe", "my.setup"},
        {"blank in folder and file name", "My Media", "Run Me.exe", "Run Me"},
        {"nested folders", "cd\\disk1", "install.Exe", "install"},
    };
    const std::string startIn = root.MakeSubdir("start");
    mini_test::ForEachRow(rows, [&](const Row& row) {
        const std::string dir = root.MakeSubdir(row.folder);
        const std::string exe = dir + row.file;
        REQUIRE(CopyFileA(self.c_str(), exe.c_str(), FALSE));
        const std::string report = root / "report.txt";
        DeleteFileA(report.c_str());
        REQUIRE(RunCopy(exe, startIn, report));
        bool ok = false;
        const std::string text = ReadText(report, &ok);
        REQUIRE(ok);
        CHECK_EQ(text, dir + "\n" + row.baseName + "\n" + WithoutTrailingBackslash(dir) + "\n");
    });
}

TEST(LocateConfigFileFromTail) {
    struct Row {
        const char* name;
        const char* tail;
        const char* path;
    } const rows[] = {
        {"empty tail", "", "D:\\SETUP.INI"},
        {"name without extension", "menu", "D:\\menu.INI"},
        {"name with extension", "menu.cfg", "D:\\menu.cfg"},
        {"blanks after the name", "menu.ini   ", "D:\\menu.ini"},
        {"blanks after a name without extension", "menu   ", "D:\\menu.INI"},
        {"a tab after the name stays", "menu\t", "D:\\menu\t.INI"},
        {"blanks inside stay", "my menu  ", "D:\\my menu.INI"},
        {"subfolder", "cfg\\menu", "D:\\cfg\\menu.INI"},
        {"parent folder", "..\\menu", "D:\\..\\menu.INI"},
        {"dot in a folder name", "my.dir\\menu", "D:\\my.dir\\menu.INI"},
        {"forward slash is no separator", "my.dir/menu", "D:\\my.dir/menu"},
        {"full path still relative", "E:\\other.ini", "D:\\E:\\other.ini"},
        {"quotes kept", "\"menu\"", "D:\\\"menu\".INI"},
        {"only blanks", "   ", "D:\\.INI"},
    };
    mini_test::ForEachRow(rows, [](const Row& row) {
        ResetState();
        std::strcpy(g_state.szProgramDir, "D:\\");
        std::strcpy(g_state.szExeName, "SETUP");
        CHECK(setupmenu::LocateConfigFile(row.tail));
        CHECK_EQ(g_state.szIniPath, row.path);
        // The program's own fields stay as they were.
        CHECK_EQ(g_state.szProgramDir, "D:\\");
        CHECK_EQ(g_state.szExeName, "SETUP");
    });
}

TEST(LocateConfigFileAtThePathLimit) {
    // The path holds at most 515 characters; a longer one is refused whole.
    const std::string dir = "D:\\";
    struct Row {
        const char* name;
        std::string tail;
        bool fits;
    } const rows[] = {
        {"515 with .INI added", std::string(508, 'm'), true},
        {"516 with .INI added", std::string(509, 'm'), false},
        {"515 with own extension", std::string(508, 'm') + ".cfg", true},
        {"516 with own extension", std::string(509, 'm') + ".cfg", false},
        {"fits once its blanks are gone", std::string(508, 'm') + "        ", true},
        {"far too long", std::string(4000, 'm'), false},
    };
    mini_test::ForEachRow(rows, [&](const Row& row) {
        ResetState();
        std::strcpy(g_state.szProgramDir, dir.c_str());
        std::strcpy(g_state.szExeName, "SETUP");
        std::strcpy(g_state.szIniPath, "left from before");
        CHECK_EQ(setupmenu::LocateConfigFile(row.tail.c_str()), row.fits);
        if (row.fits) {
            CHECK_EQ(std::strlen(g_state.szIniPath), 515u);
            CHECK_EQ(std::string(g_state.szIniPath).substr(0, 3 + 508), dir + std::string(508, 'm'));
        } else {
            // Never cut into some other path: nothing at all.
            CHECK_EQ(g_state.szIniPath, "");
            CHECK(!setupmenu::HasVersionMark());
        }
    });
    // A long program directory leaves less room for the tail.
    ResetState();
    const std::string longDir = "D:\\" + std::string(400, 'd') + "\\";
    std::strcpy(g_state.szProgramDir, longDir.c_str());
    std::strcpy(g_state.szExeName, "SETUP");
    CHECK(!setupmenu::LocateConfigFile(std::string(200, 't').c_str()));
    CHECK_EQ(g_state.szIniPath, "");
    CHECK(setupmenu::LocateConfigFile(std::string(100, 't').c_str()));
    CHECK_EQ(std::string(g_state.szIniPath), longDir + std::string(100, 't') + ".INI");
}

TEST(LocateConfigFileFindsRealFile) {
    TempDir dir;
    REQUIRE(WriteText(dir / "menu.ini", "[Version]\r\nRelease=1\r\n"));
    ResetState();
    std::strcpy(g_state.szProgramDir, dir.path().c_str());
    std::strcpy(g_state.szExeName, "Setup");
    // No Setup.INI beside the program: refused.
    CHECK(setupmenu::LocateConfigFile(""));
    CHECK_EQ(std::string(g_state.szIniPath), dir / "Setup.INI");
    CHECK(!setupmenu::HasVersionMark());
    // "menu" finds menu.ini (the file system ignores the case of .INI).
    CHECK(setupmenu::LocateConfigFile("menu  "));
    CHECK_EQ(std::string(g_state.szIniPath), dir / "menu.INI");
    CHECK(setupmenu::HasVersionMark());
    // A full path behind the program directory names no file.
    CHECK(setupmenu::LocateConfigFile((dir / "menu.ini").c_str()));
    CHECK_EQ(std::string(g_state.szIniPath), dir.path() + dir.path() + "menu.ini");
    CHECK(!setupmenu::HasVersionMark());
}

TEST(HasVersionMarkOnFiles) {
    TempDir dir;
    struct Row {
        const char* name;
        const char* content;  // null: no file at all
        bool accepted;
    } const rows[] = {
        {"no file", nullptr, false},
        {"empty file", "", false},
        {"no Version section", "[Main]\r\nTitle=Setup\r\nRelease=1\r\n", false},
        {"Release in another section", "[Main]\r\nRelease=1\r\n[Version]\r\nBuild=1\r\n", false},
        {"Release without equals sign", "[Version]\r\nRelease\r\n", false},
        {"empty Release", "[Version]\r\nRelease=\r\n", false},
        {"blanks only", "[Version]\r\nRelease=    \r\n", false},
        {"empty quotes", "[Version]\r\nRelease=\"\"\r\n", false},
        {"sentinel", "[Version]\r\nRelease=*NOT*\r\n", false},
        {"sentinel in lower case", "[Version]\r\nRelease=*not*\r\n", false},
        {"sentinel in mixed case", "[Version]\r\nRelease=*nOt*\r\n", false},
        {"a version", "[Version]\r\nRelease=1.0.2\r\n", true},
        {"zero", "[Version]\r\nRelease=0\r\n", true},
        {"sentinel with more", "[Version]\r\nRelease=*NOT*2\r\n", true},
        {"any word", "[Version]\r\nRelease=no\r\n", true},
        {"names in other case", "[VERSION]\r\nrelease=2\r\n", true},
        {"after other sections", "[Main]\r\nTitle=x\r\n\r\n[Version]\r\n  Release = 7 \r\n", true},
    };
    mini_test::ForEachRow(rows, [&](const Row& row) {
        ResetState();
        const std::string ini = row.content ? WriteIni(dir, row.content) : dir / "absent.ini";
        UseConfig(dir.path(), ini);
        CHECK_EQ(setupmenu::HasVersionMark(), row.accepted);
    });
}

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], kReportSwitch) == 0) return ReportLocation(argv[2]);
    return mini_test::RunTests(argc, argv);
}
