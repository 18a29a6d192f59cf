// The reading of an autorun.inf's entries: the program and command tail of
// open=, the launcher's name, the file of icon=.
#include "checker/autorun_rules.h"

#include <gtest/gtest.h>

#include <string>

namespace setupmenu {
namespace check {
namespace {

bool NoLeadBytes(unsigned char) { return false; }

TEST(AutorunRules, SplitsOpenAsTheLauncherCutsItsTail) {
    const struct {
        const char* value;
        const char* program;
        const char* tail;
    } cases[] = {
        {"SetupMenu.exe", "SetupMenu.exe", ""},
        {"SetupMenu.exe menu", "SetupMenu.exe", "menu"},
        {"SetupMenu.exe\t menu.cfg  ", "SetupMenu.exe", "menu.cfg  "},
        {"\"My Setup.exe\" menu", "My Setup.exe", "menu"},
        {"\"My Setup.exe\"menu", "My Setup.exe", "menu"},
        {"My Setup.exe", "My", "Setup.exe"},
        {"sub\\Setup.exe a b", "sub\\Setup.exe", "a b"},
        {"\"unclosed menu", "unclosed menu", ""},
    };
    for (const auto& c : cases) {
        const OpenCommand command = SplitOpenCommand(c.value, NoLeadBytes);
        EXPECT_EQ(std::string(command.program), c.program) << c.value;
        EXPECT_EQ(std::string(command.tail), c.tail) << c.value;
    }
}

TEST(AutorunRules, TellsTheLauncherByItsName) {
    const struct {
        const char* program;
        const char* baseName;
        bool launcher;
    } cases[] = {
        {"SetupMenu.exe", "SetupMenu", true},  {"SETUPMENU.EXE", "SetupMenu", true},
        {"SetupMenu", "SetupMenu", true},      {"Setup.v2.exe", "Setup.v2", true},
        {"Setup.v2", "Setup.v2", false},       {"SetupMenu.com", "SetupMenu", false},
        {"SetupMenu.exe", "Setup", false},     {"sub\\SetupMenu.exe", "SetupMenu", false},
        {"D:SetupMenu.exe", "SetupMenu", false}, {"", "", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsLauncherName(c.program, c.baseName), c.launcher) << c.program << " / " << c.baseName;
    }
}

TEST(AutorunRules, IconFileWithoutItsIndex) {
    const struct {
        const char* value;
        const char* file;
    } cases[] = {
        {"SetupMenu.exe,0", "SetupMenu.exe"},
        {"SetupMenu.exe, -3 ", "SetupMenu.exe"},
        {"disc.ico", "disc.ico"},
        {"\"my disc.ico\"", "my disc.ico"},
        {"icons\\a,b.ico", "icons\\a,b.ico"},
        {" disc.ico ", "disc.ico"},
    };
    for (const auto& c : cases) EXPECT_EQ(std::string(IconFileOf(c.value)), c.file) << c.value;
}

}  // namespace
}  // namespace check
}  // namespace setupmenu
