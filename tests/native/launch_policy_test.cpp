// The launcher's decisions after a failed start, where it loads the library
// that asks for administrator rights, and what an Open value names.
#include "ui/launch_policy.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace setupmenu {
namespace {

struct FailureCase {
    uint32_t error;
    StartFailure expected;
    const char* what;
};

TEST(ClassifyStartFailure, RetriesElevatedOnlyWhenElevationIsRequired) {
    const FailureCase cases[] = {
        {740, StartFailure::RetryElevated, "ERROR_ELEVATION_REQUIRED"},
        {0, StartFailure::Report, "no error recorded"},
        {2, StartFailure::Report, "ERROR_FILE_NOT_FOUND"},
        {3, StartFailure::Report, "ERROR_PATH_NOT_FOUND"},
        {5, StartFailure::Report, "ERROR_ACCESS_DENIED"},
        {193, StartFailure::Report, "ERROR_BAD_EXE_FORMAT"},
        {216, StartFailure::Report, "ERROR_EXE_MACHINE_TYPE_MISMATCH"},
        {739, StartFailure::Report, "the code before"},
        {741, StartFailure::Report, "the code after"},
        {1223, StartFailure::Report, "ERROR_CANCELLED"},
        {740u + 0x10000u, StartFailure::Report, "740 in the low 16 bits only"},
        {0x800702E4u, StartFailure::Report, "740 as an HRESULT"},
    };
    for (const FailureCase& c : cases) {
        EXPECT_EQ(ClassifyStartFailure(c.error), c.expected) << c.what << " (" << c.error << ")";
    }
}

struct PathCase {
    const char* systemDir;
    const char* file;
    size_t capacity;
    bool fits;
    const char* expected;
};

TEST(ComposeSystemLibraryPath, JoinsTheSystemFolderAndTheFile) {
    const PathCase cases[] = {
        {"C:\\Windows\\system32", "shell32.dll", 64, true, "C:\\Windows\\system32\\shell32.dll"},
        {"C:\\Windows\\system32\\", "shell32.dll", 64, true, "C:\\Windows\\system32\\shell32.dll"},
        {"C:\\", "shell32.dll", 64, true, "C:\\shell32.dll"},
        {"C:/Windows/system32/", "shell32.dll", 64, true, "C:/Windows/system32/shell32.dll"},
        // A bare name would be searched for, starting in the launcher's own folder.
        {"", "shell32.dll", 64, false, ""},
        {"C:\\Windows\\system32", "", 64, false, ""},
        // Exactly full: 8 + 1 + 11 characters and the terminator.
        {"C:\\a\\b\\c", "shell32.dll", 21, true, "C:\\a\\b\\c\\shell32.dll"},
        {"C:\\a\\b\\c", "shell32.dll", 20, false, ""},
        // With its own backslash the folder needs no other: the same 20 characters.
        {"C:\\a\\b\\c\\", "shell32.dll", 21, true, "C:\\a\\b\\c\\shell32.dll"},
        {"C:\\a\\b\\c\\", "shell32.dll", 20, false, ""},
    };
    for (const PathCase& c : cases) {
        char out[80];
        std::memset(out, 'x', sizeof out);
        ASSERT_LE(c.capacity, sizeof out);
        EXPECT_EQ(ComposeSystemLibraryPath(out, c.capacity, c.systemDir, c.file), c.fits)
            << c.systemDir << " + " << c.file << " in " << c.capacity;
        EXPECT_EQ(std::string(out), c.expected) << c.systemDir << " + " << c.file << " in " << c.capacity;
    }
}

TEST(ComposeSystemLibraryPath, ZeroCapacityWritesNothing) {
    char out[4] = {'x', 'x', 'x', 'x'};
    EXPECT_FALSE(ComposeSystemLibraryPath(out, 0, "C:\\Windows\\system32", "shell32.dll"));
    EXPECT_EQ(out[0], 'x');
}

TEST(ClassifyOpenTarget, OpensWebAndMailAddressesAndFilesOnly) {
    const char* const files[] = {"manual.pdf", "docs\\read me.html", "C:\\manual.pdf" /* a drive */,
                                 "\\\\server\\share\\x.msi", "1http://x" /* no leading letter */, "my file:x"};
    const char* const addresses[] = {"http://example.com/", "HTTPS://example.com/a?b=c", "mailto:a@example.com"};
    const char* const refused[] = {"ftp://example.com", "file:///C:/setup.exe", "ms-settings:windowsupdate",
                                   "httpx:", "http+x.y-z:", "readme.txt:stream"};
    for (const char* value : files) EXPECT_EQ(ClassifyOpenTarget(value), OpenTarget::File) << value;
    for (const char* value : addresses) EXPECT_EQ(ClassifyOpenTarget(value), OpenTarget::Address) << value;
    for (const char* value : refused) EXPECT_EQ(ClassifyOpenTarget(value), OpenTarget::Refused) << value;
}

}  // namespace
}  // namespace setupmenu
