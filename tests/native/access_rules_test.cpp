// What a key does in the menu, and the name a screen reader reads out.
#include "ui/access_rules.h"

#include <gtest/gtest.h>

#include <string>

namespace setupmenu {
namespace {

TEST(ActionOfKey, MovesWithTabAndArrowsAndPressesWithEnterAndSpace) {
    const struct {
        uint32_t key;
        bool shift;
        KeyAction expected;
    } cases[] = {
        {0x09, false, KeyAction::Forward},  {0x09, true, KeyAction::Backward}, {0x28, false, KeyAction::Forward},
        {0x27, true, KeyAction::Forward},   {0x26, false, KeyAction::Backward}, {0x25, false, KeyAction::Backward},
        {0x0D, false, KeyAction::Press},    {0x20, true, KeyAction::Press},     {0x1B, false, KeyAction::None},
        {0x41, false, KeyAction::None},     {0x10, true, KeyAction::None},
    };
    for (const auto& c : cases) EXPECT_EQ(ActionOfKey(c.key, c.shift), c.expected) << c.key << " " << c.shift;
}

TEST(ComposeAccessibleName, TakesNameThenTextThenLabelThenTheButtonsNumber) {
    const struct {
        const char* name;
        const char* text;
        const char* label;
        int button;
        size_t capacity;
        const char* expected;
    } cases[] = {
        {"Given", "Text", "Label", 1, 64, "Given"},
        {nullptr, "Text", "Label", 2, 64, "Text"},
        {nullptr, "Two\r\nlines\rand\nmore", "Label", 1, 64, "Two lines and more"},
        {nullptr, "\r\n\r\n", nullptr, 1, 64, "  "},
        {nullptr, nullptr, "Label", 3, 64, "Label"},
        {nullptr, nullptr, nullptr, 3, 64, "Button 3"},
        {nullptr, "Text", "Quit", kCancelSelection, 64, "Quit"},  // Cancel shows its Label
        {"Leave", nullptr, "Quit", kCancelSelection, 64, "Leave"},
        {nullptr, "Install", nullptr, 1, 4, "Ins"},
        {nullptr, nullptr, nullptr, 2, 1, ""},
    };
    for (const auto& c : cases) {
        char out[64];
        ComposeAccessibleName(c.name, c.text, c.label, c.button, out, c.capacity);
        EXPECT_EQ(std::string(out), c.expected) << c.expected;
    }
}

}  // namespace
}  // namespace setupmenu
