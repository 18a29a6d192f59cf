// See access_rules.h.
#include "ui/access_rules.h"

namespace setupmenu {
namespace {

// Virtual-key codes, as the platform numbers them.
constexpr uint32_t kKeyTab = 0x09, kKeyReturn = 0x0D, kKeySpace = 0x20;
constexpr uint32_t kKeyLeft = 0x25, kKeyUp = 0x26, kKeyRight = 0x27, kKeyDown = 0x28;

}  // namespace

KeyAction ActionOfKey(uint32_t virtualKey, bool shift) {
    switch (virtualKey) {
        case kKeyTab: return shift ? KeyAction::Backward : KeyAction::Forward;
        case kKeyRight:
        case kKeyDown: return KeyAction::Forward;
        case kKeyLeft:
        case kKeyUp: return KeyAction::Backward;
        case kKeyReturn:
        case kKeySpace: return KeyAction::Press;
        default: return KeyAction::None;
    }
}

void ComposeAccessibleName(const char* name, const char* text, const char* label, int button, char* out,
                           size_t capacity) {
    char fallback[] = "Button 0";
    fallback[sizeof fallback - 2] = static_cast<char>('0' + button % 10);
    const char* chosen = name ? name : button == kCancelSelection ? label : text ? text : label;
    if (!chosen) chosen = fallback;
    // A line break (CR LF, or either alone) reads as one blank.
    size_t used = 0;
    for (const char* c = chosen; *c && used + 1 < capacity; ++c) {
        if (*c == '\n' && c > chosen && c[-1] == '\r') continue;
        out[used++] = (*c == '\r' || *c == '\n') ? ' ' : *c;
    }
    out[used] = '\0';
}

}  // namespace setupmenu
