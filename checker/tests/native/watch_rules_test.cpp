// The live preview's decisions: when a change is read, and what --assume
// makes of a ShowIf.
#include "checker/watch_rules.h"

#include <gtest/gtest.h>

#include <string>

namespace setupmenu {
namespace check {
namespace {

TEST(WatchRules, RebuildsOnceAChangeHasHeldStillForAPoll) {
    constexpr FileStamp kOld{true, 10, 100}, kGrown{true, 20, 100}, kSaved{true, 20, 200}, kGone{false, 0, 0};
    const struct {
        const char* what;
        FileStamp polls[4][2];  // two files, four polls
        WatchAction actions[4];
    } cases[] = {
        {"nothing changes", {{kOld, kOld}, {kOld, kOld}, {kOld, kOld}, {kOld, kOld}},
         {WatchAction::None, WatchAction::None, WatchAction::None, WatchAction::None}},
        {"one save", {{kOld, kSaved}, {kOld, kSaved}, {kOld, kSaved}, {kOld, kSaved}},
         {WatchAction::Wait, WatchAction::Rebuild, WatchAction::None, WatchAction::None}},
        {"written in pieces", {{kGrown, kOld}, {kSaved, kOld}, {kSaved, kOld}, {kSaved, kOld}},
         {WatchAction::Wait, WatchAction::Wait, WatchAction::Rebuild, WatchAction::None}},
        {"only the time moves", {{kOld, kOld}, {{true, 10, 300}, kOld}, {{true, 10, 300}, kOld}, {{true, 10, 300}, kOld}},
         {WatchAction::None, WatchAction::Wait, WatchAction::Rebuild, WatchAction::None}},
        {"deleted, then saved again", {{kGone, kOld}, {kSaved, kOld}, {kSaved, kOld}, {kSaved, kOld}},
         {WatchAction::Wait, WatchAction::Wait, WatchAction::Rebuild, WatchAction::None}},
        {"both files, one after the other", {{kSaved, kOld}, {kSaved, kSaved}, {kSaved, kSaved}, {kSaved, kSaved}},
         {WatchAction::Wait, WatchAction::Wait, WatchAction::Rebuild, WatchAction::None}},
    };
    for (const auto& c : cases) {
        WatchList list{};
        ASSERT_TRUE(AddWatchedFile(&list, "Z:\\m\\SETUP.INI", kOld));
        ASSERT_TRUE(AddWatchedFile(&list, "Z:\\m\\logo.bmp", kOld));
        for (int poll = 0; poll < 4; ++poll) {
            EXPECT_EQ(NextWatchAction(&list, c.polls[poll]), c.actions[poll]) << c.what << ", poll " << poll;
        }
    }
}

TEST(WatchRules, KeepsEachFileOnceAndWithinItsBounds) {
    WatchList list{};
    const FileStamp stamp{true, 1, 1};
    EXPECT_TRUE(AddWatchedFile(&list, "Z:\\m\\logo.bmp", stamp));
    EXPECT_TRUE(AddWatchedFile(&list, "z:\\M\\LOGO.BMP", stamp));
    EXPECT_EQ(list.count, 1u);
    EXPECT_FALSE(AddWatchedFile(&list, std::string(kWatchedPathChars, 'a').c_str(), stamp));
    for (size_t i = list.count; i < kMaxWatchedFiles; ++i) {
        EXPECT_TRUE(AddWatchedFile(&list, ("Z:\\m\\" + std::to_string(i) + ".bmp").c_str(), stamp));
    }
    EXPECT_FALSE(AddWatchedFile(&list, "Z:\\m\\one-too-many.bmp", stamp));
    EXPECT_EQ(list.count, kMaxWatchedFiles);
}

Truth TruthOf(const Assumptions& assumed, const char* text) {
    std::string copy(text);
    Condition condition;
    EXPECT_EQ(ParseCondition(&copy[0], &condition), ConditionError::None) << text;
    return AssumedTruth(assumed, condition);
}

TEST(WatchRules, AnswersShowIfForTheAssumedMachine) {
    const struct {
        const char* assume;
        const char* condition;
        Truth truth;
    } cases[] = {
        {"arch=x86;windows<6.2", "arch=x86", Truth::True},
        {"arch=x86;windows<6.2", "arch=x64", Truth::False},
        {"arch=x86;windows<6.2", "windows>=6.2", Truth::False},
        {"arch=x86;windows<6.2", "windows>=6.1", Truth::True},
        {"arch=x86;windows<6.2", "windows<6.2", Truth::True},
        {"arch=x86;windows<6.2", "windows<6.1.7601", Truth::False},
        {"windows<6.0", "windows>=5.1.2600", Truth::True},
        {"windows>=10.0.22000; windows<11.0", "windows>=10.0.19041", Truth::True},
        {"windows>=10.0.22000; windows<11.0", "windows>=10.0.22001", Truth::False},
        {"!windows>=6.2", "windows<6.2", Truth::True},
        {"arch=arm64", "windows>=6.2", Truth::Unknown},
        {"windows>=10.0", "arch=x64", Truth::Unknown},
        {"exists:%ProgramFiles%\\Vendor", "exists:%programfiles%\\VENDOR", Truth::True},
        {"!exists:runtime.dll", "exists:runtime.dll", Truth::False},
        {"exists:runtime.dll", "exists:other.dll", Truth::Unknown},
        {"reg:HKLM\\SOFTWARE\\V@Installed>=2", "reg:hklm\\software\\v@installed>=2", Truth::True},
        {"reg:HKLM\\SOFTWARE\\V@Installed>=2", "reg:HKLM\\SOFTWARE\\V@Installed>=3", Truth::Unknown},
        {"reg:HKLM\\SOFTWARE\\V@Installed>=2", "reg:HKCU\\SOFTWARE\\V@Installed>=2", Truth::Unknown},
        {"!reg:HKLM\\SOFTWARE\\V", "reg:HKLM\\SOFTWARE\\V", Truth::False},
    };
    for (const auto& c : cases) {
        std::string text(c.assume);
        Assumptions assumed;
        const char* bad = nullptr;
        ASSERT_EQ(ParseAssumptions(&text[0], &assumed, &bad), AssumeError::None) << c.assume;
        EXPECT_EQ(TruthOf(assumed, c.condition), c.truth) << c.assume << " / " << c.condition;
    }
}

TEST(WatchRules, RefusesAssumptionsThatNameNoMachine) {
    const struct {
        const char* assume;
        AssumeError error;
        const char* bad;
    } cases[] = {
        {"arch=x86; arhc=x64", AssumeError::Unreadable, "arhc=x64"},
        {"!arch=x64", AssumeError::NegatedArch, "!arch=x64"},
        {"arch=x86;arch=x64", AssumeError::Contradiction, "arch=x64"},
        {"windows>=10.0;windows<6.2", AssumeError::Contradiction, "windows<6.2"},
        {"windows<0.0", AssumeError::Contradiction, "windows<0.0"},
        {"exists:1;exists:2;exists:3;exists:4;exists:5;exists:6;exists:7;exists:8;exists:9", AssumeError::TooMany,
         "exists:9"},
    };
    for (const auto& c : cases) {
        std::string text(c.assume);
        Assumptions assumed;
        const char* bad = nullptr;
        EXPECT_EQ(ParseAssumptions(&text[0], &assumed, &bad), c.error) << c.assume;
        ASSERT_NE(bad, nullptr) << c.assume;
        EXPECT_EQ(std::string(bad), c.bad) << c.assume;
    }
}

}  // namespace
}  // namespace check
}  // namespace setupmenu
