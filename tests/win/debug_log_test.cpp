// The debug log as a file: when it is created, what it holds byte for byte,
// and the two failures (creation, writing) with their one message box each,
// answered by a watcher thread inside this process.
#include <cstring>
#include <string>
#include <vector>

#include "diag/debug_log.h"
#include "startup/setup_state.h"
#include "tests/win/mini_test.h"
#include "tests/win/test_support.h"

using setupmenu::g_state;
using namespace test_support;

namespace {

constexpr char kStarted[] = "Debugging Started!\r\n";
constexpr char kClosed[] = "Debugging Closed!\r\n";
constexpr char kEarlier[] =
    "A log left by an earlier run, longer than a whole run's log so that a\r\n"
    "file that is not emptied first would show it.\r\n";

// A program directory with a configuration whose [Main] holds `debugLine`.
struct LogSetup {
    TempDir dir;
    std::string log;
    explicit LogSetup(const std::string& debugLine) {
        ResetState();
        UseConfig(dir.path(), WriteIni(dir, "[Version]\r\nRelease=1\r\n[Main]\r\n" + debugLine + "\r\n"), "Setup");
        log = dir / "Setup.log";
    }
};

long long OpenFileSize(HANDLE file) {
    LARGE_INTEGER size;
    return GetFileSizeEx(file, &size) ? size.QuadPart : -1;
}

// The names of the .log files in a folder.
std::vector<std::string> LogFiles(const std::string& dir) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((dir + "*.log").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do names.push_back(found.cFileName);
    while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

void CheckErrorBox(const SeenBox& box, const char* text) {
    CHECK_EQ(box.caption, "Setup Error!");
    CHECK_EQ(box.text, text);
    CHECK_EQ(box.owner, nullptr);
    CHECK(box.errorIcon);
    CHECK(box.buttons == std::vector<int>{IDOK});
}

using CloseHandleFunction = BOOL(WINAPI*)(HANDLE);
CloseHandleFunction g_closeHandle = nullptr;
HANDLE g_watchedHandle = nullptr;
int g_watchedCloses = 0;

BOOL WINAPI CountingCloseHandle(HANDLE handle) {
    if (handle && handle == g_watchedHandle) ++g_watchedCloses;
    return g_closeHandle(handle);
}

}  // namespace

TEST(LogStaysOffUnlessDebugIsOn) {
    struct Row {
        const char* name;
        const char* line;
    } const rows[] = {
        {"absent", ""},
        {"empty", "Debug="},
        {"off", "Debug=off"},
        {"1", "Debug=1"},
        {"Yes", "Debug=Yes"},
        {"True", "Debug=True"},
        {"sentinel", "Debug=*NOT*"},
        {"On with more", "Debug=Only"},
        {"in another section", "Title=x\r\n[Debug]\r\nDebug=On"},
    };
    mini_test::ForEachRow(rows, [](const Row& row) {
        BoxWatcher boxes;
        {
            CASE("earlier log");
            LogSetup setup(row.line);
            REQUIRE(WriteText(setup.log, kEarlier));
            setupmenu::StartDebugLog();
            CHECK_EQ(g_state.hLogFile, nullptr);
            setupmenu::WriteDebugLine("a line");
            setupmenu::StopDebugLog();
            CHECK_EQ(ReadText(setup.log), kEarlier);
        }
        {
            CASE("no earlier log");
            LogSetup setup(row.line);
            setupmenu::StartDebugLog();
            setupmenu::StopDebugLog();
            CHECK(!FileExists(setup.log));
        }
        CHECK_EQ(boxes.Stop().size(), 0u);
    });
}

TEST(LogCreatedAfreshWhenDebugIsOn) {
    struct Row {
        const char* name;
        const char* line;
    } const rows[] = {
        {"on", "Debug=on"},
        {"ON", "Debug=ON"},
        {"On", "Debug=On"},
        {"oN with blanks", "Debug =  oN  "},
    };
    mini_test::ForEachRow(rows, [](const Row& row) {
        BoxWatcher boxes;
        LogSetup setup(row.line);
        REQUIRE(WriteText(setup.log, kEarlier));
        setupmenu::StartDebugLog();
        REQUIRE(g_state.hLogFile != nullptr);
        CHECK(g_state.hLogFile != INVALID_HANDLE_VALUE);
        // Open without sharing: nobody else gets in while the run lasts.
        HANDLE other = CreateFileA(setup.log.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_EXISTING, 0, nullptr);
        const DWORD error = GetLastError();
        CHECK_EQ(other, INVALID_HANDLE_VALUE);
        CHECK_EQ(error, static_cast<DWORD>(ERROR_SHARING_VIOLATION));
        if (other != INVALID_HANDLE_VALUE) CloseHandle(other);
        // The earlier content is gone at once: only the first line is there.
        CHECK_EQ(OpenFileSize(g_state.hLogFile), 20);
        setupmenu::StopDebugLog();
        CHECK_EQ(g_state.hLogFile, nullptr);
        const std::vector<uint8_t> bytes = ReadBytes(setup.log);
        CHECK_EQ(bytes.size(), 39u);
        CHECK_EQ(std::string(bytes.begin(), bytes.end()), std::string(kStarted) + kClosed);
        // Named after the program, with ".log" in lower case, and nothing else.
        CHECK(LogFiles(setup.dir.path()) == std::vector<std::string>{"Setup.log"});
        CHECK_EQ(boxes.Stop().size(), 0u);
    });
}

TEST(LogPathFollowsProgramDirectoryAndName) {
    LogSetup setup("Debug=On");
    std::strcpy(g_state.szExeName, "SETUP");
    setupmenu::StartDebugLog();
    setupmenu::StopDebugLog();
    CHECK(LogFiles(setup.dir.path()) == std::vector<std::string>{"SETUP.log"});
    CHECK_EQ(ReadText(setup.dir / "SETUP.log"), std::string(kStarted) + kClosed);
}

TEST(LinesAreWrittenAsGiven) {
    const std::string longLine(5000, 'L');
    struct Row {
        const char* name;
        std::vector<std::string> writes;
        std::string middle;  // between the first and the last line
    } const rows[] = {
        {"nothing", {}, ""},
        {"empty text writes nothing", {""}, ""},
        {"one line", {"Pointer left 1008"}, "Pointer left 1008\r\n"},
        {"text ending in CR LF", {"abc\r\n"}, "abc\r\n\r\n"},
        {"text ending in LF", {"abc\n"}, "abc\n\r\n"},
        {"bytes as they are", {"caf\xE9\t\x01 end"}, "caf\xE9\t\x01 end\r\n"},
        {"long line", {longLine}, longLine + "\r\n"},
        {"several", {"one", "", "two", "three"}, "one\r\ntwo\r\nthree\r\n"},
    };
    mini_test::ForEachRow(rows, [](const Row& row) {
        LogSetup setup("Debug=On");
        setupmenu::StartDebugLog();
        REQUIRE(g_state.hLogFile != nullptr);
        for (const std::string& text : row.writes) {
            const long long before = OpenFileSize(g_state.hLogFile);
            setupmenu::WriteDebugLine(text.c_str());
            const long long growth = text.empty() ? 0 : static_cast<long long>(text.size()) + 2;
            CHECK_EQ(OpenFileSize(g_state.hLogFile), before + growth);
        }
        setupmenu::StopDebugLog();
        CHECK_EQ(ReadText(setup.log), std::string(kStarted) + row.middle + kClosed);
    });
}

TEST(EveryLineGoesToTheEnd) {
    LogSetup setup("Debug=On");
    setupmenu::StartDebugLog();
    REQUIRE(g_state.hLogFile != nullptr);
    // Whoever moved the file position, the next line still goes to the end.
    SetFilePointer(g_state.hLogFile, 0, nullptr, FILE_BEGIN);
    setupmenu::WriteDebugLine("second");
    SetFilePointer(g_state.hLogFile, 3, nullptr, FILE_BEGIN);
    setupmenu::StopDebugLog();
    CHECK_EQ(ReadText(setup.log), std::string(kStarted) + "second\r\n" + kClosed);
}

TEST(WritingWhileOffDoesNothing) {
    BoxWatcher boxes;
    LogSetup setup("Debug=On");
    setupmenu::WriteDebugLine("before the start");
    setupmenu::StopDebugLog();
    CHECK(!FileExists(setup.log));
    CHECK_EQ(g_state.hLogFile, nullptr);
    CHECK_EQ(boxes.Stop().size(), 0u);
}

TEST(CreationFailureShowsOneBox) {
    struct Row {
        const char* name;
        bool holdLog;        // another handle holds the log without sharing
        bool missingFolder;  // the program directory does not exist
    } const rows[] = {
        {"log held by another", true, false},
        {"folder missing", false, true},
    };
    mini_test::ForEachRow(rows, [](const Row& row) {
        LogSetup setup("Debug=On");
        const std::string held = "The first copy's log.\r\n";
        HANDLE holder = INVALID_HANDLE_VALUE;
        if (row.holdLog) {
            holder = CreateFileA(setup.log.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
            REQUIRE(holder != INVALID_HANDLE_VALUE);
            DWORD written = 0;
            WriteFile(holder, held.data(), static_cast<DWORD>(held.size()), &written, nullptr);
        }
        if (row.missingFolder) {
            std::strcpy(g_state.szProgramDir, (setup.dir / "absent\\").c_str());
        }
        BoxWatcher boxes;
        setupmenu::StartDebugLog();
        CHECK_EQ(g_state.hLogFile, nullptr);
        // The run goes on without a log: nothing more, and no second box.
        setupmenu::WriteDebugLine("Pointer left");
        setupmenu::StopDebugLog();
        const std::vector<SeenBox> seen = boxes.Stop();
        REQUIRE(seen.size() == 1);
        CheckErrorBox(seen[0], "Unable to start debugging!");
        if (row.holdLog) {
            CloseHandle(holder);
            CHECK_EQ(ReadText(setup.log), held);
        }
        if (row.missingFolder) CHECK(!FileExists(setup.dir / "absent"));
    });
}

TEST(WriteFailureShowsOneBoxAndStopsTheLog) {
    if (!g_closeHandle) {
        g_closeHandle = reinterpret_cast<CloseHandleFunction>(
            PatchImport("kernel32.dll", "CloseHandle", reinterpret_cast<void*>(&CountingCloseHandle)));
    }
    REQUIRE(g_closeHandle != nullptr);
    LogSetup setup("Debug=On");
    setupmenu::StartDebugLog();
    REQUIRE(g_state.hLogFile != nullptr);
    // The same file, opened for reading only: every write on it really fails.
    CloseHandle(g_state.hLogFile);
    HANDLE readOnly = CreateFileA(setup.log.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    REQUIRE(readOnly != INVALID_HANDLE_VALUE);
    g_state.hLogFile = readOnly;
    g_watchedHandle = readOnly;
    g_watchedCloses = 0;

    // While the box is up: is logging already off, and the file already closed?
    const std::string logPath = setup.log;
    BoxWatcher boxes([logPath] {
        HANDLE exclusive = CreateFileA(logPath.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        const bool closed = exclusive != INVALID_HANDLE_VALUE;
        if (closed) CloseHandle(exclusive);
        return std::string(g_state.hLogFile ? "logging on" : "logging off") + (closed ? ", closed" : ", open");
    });
    setupmenu::WriteDebugLine("Pointer left");
    CHECK_EQ(g_state.hLogFile, nullptr);
    CHECK_EQ(g_watchedCloses, 1);
    // Later lines and the closing line are dropped without a message, and the
    // file is not closed a second time.
    setupmenu::WriteDebugLine("Pointer left again");
    setupmenu::StopDebugLog();
    CHECK_EQ(g_state.hLogFile, nullptr);
    CHECK_EQ(g_watchedCloses, 1);
    g_watchedHandle = nullptr;

    const std::vector<SeenBox> seen = boxes.Stop();
    REQUIRE(seen.size() == 1);
    CheckErrorBox(seen[0], "Debugging disabled due to WriteFile Error!");
    CHECK_EQ(seen[0].probe, "logging off, closed");
    // Only the first line: no text of the failed line, no CR LF, no closing line.
    CHECK_EQ(ReadText(setup.log), kStarted);
}

MINI_TEST_MAIN()
