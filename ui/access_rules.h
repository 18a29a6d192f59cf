// Decisions of the keyboard and screen-reader access that need no platform:
// what a key does and the name a control is read out by.
#pragma once

#include <cstddef>
#include <cstdint>

namespace setupmenu {

// The selectable controls, in the order the keyboard visits them: the three
// buttons (1 to 3), then Cancel (4); 0 is no selection.
constexpr int kSelectableCount = 4;
constexpr int kCancelSelection = 4;

enum class KeyAction { None, Forward, Backward, Press };

// What a key pressed in the menu does (virtual-key code, Shift held or not):
// Tab, Down and Right move forward, Shift+Tab, Up and Left backward, Enter
// and Space press the selection; every other key is left to the dialog.
KeyAction ActionOfKey(uint32_t virtualKey, bool shift);

// The name of a selectable control: its Name key (`name`, null when the key
// gives no value), else the button's Text with line breaks read as blanks,
// else its Label, else "Button n"; for Cancel (`button` 4) its Name, else its
// Label. Written to `out` (capacity at least 1), cut to fit.
void ComposeAccessibleName(const char* name, const char* text, const char* label, int button, char* out,
                           size_t capacity);

}  // namespace setupmenu
