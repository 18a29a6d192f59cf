// The three button sections and the Cancel section.
#include <cstring>

#include "config/condition_checks.h"
#include "config/heap_text.h"
#include "config/loaders.h"
#include "config/profile.h"
#include "config/text_rules.h"
#include "startup/bounded_format.h"
#include "startup/setup_state.h"

namespace setupmenu {
namespace {

constexpr size_t kDefaultCancelLabelBlock = 20;

// Bgcolor, Fgcolor, Position and PositionSel mean the same for a button and for
// Cancel. Without a Bgcolor the section takes the Main colour and the very
// same Main brush handle, not a copy.
void LoadColoursAndPositions(const char* section, ControlPair& r) {
    if (ReadSetting(section, "Bgcolor")) {
        r.crBackground = ParseColor(g_state.szValue);
        r.hbrBackground = CreateSolidBrush(r.crBackground);
    } else {
        r.crBackground = g_state.main.crBackground;
        r.hbrBackground = g_state.main.hbrBackground;
    }
    r.crText = ReadSetting(section, "Fgcolor") ? ParseColor(g_state.szValue) : 0;
    int32_t first, second;
    if (ReadSetting(section, "Position")) {
        ParsePosition(g_state.szValue, &first, &second);
        r.xPos = first;
        r.yPos = second;
    }
    if (ReadSetting(section, "PositionSel")) {
        ParsePosition(g_state.szValue, &first, &second);
        r.xPosSel = first;
        r.yPosSel = second;
    }
}

int AlignmentOf(const char* word) {
    if (EqualsNoCase(word, "left")) return 0;
    if (EqualsNoCase(word, "center")) return 1;
    if (EqualsNoCase(word, "right")) return 2;
    return 0;
}

}  // namespace

void LoadButtonSettings(int n) {
    char section[16];
    FormatBounded(section, sizeof section, "Button%1d", n);
    ButtonInfo& button = g_state.buttons[n - 1];
    std::memset(&button, 0, sizeof button);

    if (int length = ReadSetting(section, "Label")) {
        button.pszLabel = CopyText(g_state.szValue, static_cast<size_t>(length));
    }
    if (ReadSetting(section, "Command")) {
        button.pszCommand = CopyProgramRelativePath(g_state.szValue);
    }
    if (int length = ReadSetting(section, "Text")) {
        button.pszText = AllocText(static_cast<size_t>(length) + 1);
        ProcessButtonText(g_state.szValue, static_cast<size_t>(length), button.pszText);
    }
    // Image is the fallback only when ImageText gives no value at all, not
    // when the file ImageText names cannot be loaded.
    if (ReadSetting(section, "ImageText") || ReadSetting(section, "Image")) {
        button.hbmImage = LoadBitmapSetting(g_state.szValue);
    }
    if (ReadSetting(section, "ImageSel")) {
        button.hbmImageSel = LoadBitmapSetting(g_state.szValue);
    }
    if (ReadSetting(section, "AlignText")) {
        button.nAlign = AlignmentOf(g_state.szValue);
    }
    LoadColoursAndPositions(section, button);
    // A button whose conditions do not hold is hidden like one with nothing to show.
    const bool shown = !ReadSetting(section, "ShowIf") || ConditionsHold(g_state.szValue, ConditionIsTrue);
    button.bVisible = (shown && (button.pszText != nullptr || button.hbmImage != nullptr)) ? 1 : 0;
}

void LoadCancelSettings() {
    CancelInfo& cancel = g_state.cancel;
    std::memset(&cancel, 0, sizeof cancel);

    if (int length = ReadSetting("Cancel", "Label")) {
        cancel.pszLabel = CopyText(g_state.szValue, static_cast<size_t>(length));
    } else {
        cancel.pszLabel = AllocText(kDefaultCancelLabelBlock);
        std::memcpy(cancel.pszLabel, "Cancel", sizeof "Cancel");
    }
    if (ReadSetting("Cancel", "Image")) {
        cancel.hbmImage = LoadBitmapSetting(g_state.szValue);
    }
    if (ReadSetting("Cancel", "ImageSel")) {
        cancel.hbmImageSel = LoadBitmapSetting(g_state.szValue);
    }
    LoadColoursAndPositions("Cancel", cancel);
}

void LoadAllButtonSettings() {
    for (int n = 1; n <= kButtonCount; ++n) LoadButtonSettings(n);
    LoadCancelSettings();
}

}  // namespace setupmenu
