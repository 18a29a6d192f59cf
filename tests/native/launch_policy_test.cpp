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
    const struct {
        const char* value;
        OpenTarget expected;
    } cases[] = {
        {"manual.pdf", OpenTarget::File},
        {"docs\\read me.html", OpenTarget::File},
        {"C:\\manual.pdf", OpenTarget::File},  // a drive, not a scheme
        {"\\\\server\\share\\x.msi", OpenTarget::File},
        {"no colon", OpenTarget::File},
        {"1http://example.com", OpenTarget::File},  // a scheme begins with a letter
        {"my file:x", OpenTarget::File},            // a blank is no scheme character
        {"http://example.com/", OpenTarget::Address},
        {"HTTPS://example.com/a?b=c", OpenTarget::Address},
        {"mailto:support@example.com", OpenTarget::Address},
        {"https:", OpenTarget::Address},
        {"ftp://example.com", OpenTarget::Refused},
        {"file:///C:/setup.exe", OpenTarget::Refused},
        {"ms-settings:windowsupdate", OpenTarget::Refused},
        {"httpx:", OpenTarget::Refused},
        {"http+x.y-z:", OpenTarget::Refused},
        {"readme.txt:stream", OpenTarget::Refused},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ClassifyOpenTarget(c.value), c.expected) << c.value;
    }
}

}  // namespace
}  // namespace setupmenu
