// Arithmetic of the menu dialog's layout: static-control type changes, the
// default place of a selected control and the centring of the dialog.
// Kept apart from the window calls so it can be tested and fuzzed natively.
#pragma once

#include <cstdint>

namespace setupmenu {

struct IntRect {
    int32_t left, top, right, bottom;
};

struct IntPoint {
    int32_t x, y;
};

struct Placement {
    int32_t x, y, width, height;
};

// Static-control types live in the low five bits of the style.
constexpr uint32_t kTypeBitmap = 0x0E;  // SS_BITMAP

// A Position or PositionSel is applied only when both numbers are non-zero.
constexpr bool HasPosition(int32_t x, int32_t y) { return x != 0 && y != 0; }

// Main_Image: OR the bitmap type onto the template's SS_LEFT.
constexpr uint32_t StyleWithBitmapOr(uint32_t style) { return style | kTypeBitmap; }

// A control receiving a picture: clear bit 0, then OR SS_BITMAP, which yields
// SS_BITMAP from SS_LEFT, SS_CENTER or SS_RIGHT alike.
constexpr uint32_t StyleForPicture(uint32_t style) { return (style & ~1u) | kTypeBitmap; }

// A button text with an alignment: clear the two low bits, OR the alignment.
constexpr uint32_t StyleForAlignment(uint32_t style, int32_t align) {
    return (style & ~3u) | static_cast<uint32_t>(align);
}

// The Cancel label is always centred: clear bit 1, set bit 0.
constexpr uint32_t StyleForCancelText(uint32_t style) { return (style & ~2u) | 1u; }

// Where a selected control goes without PositionSel: over its normal control,
// the normal control's screen position turned into dialog client coordinates
// by taking off the frame and the caption, with the normal control's client size.
Placement DefaultSelectedPlacement(const IntRect& normalWindow, const IntRect& normalClient,
                                   int32_t cxDlgFrame, int32_t cyDlgFrame, int32_t cyCaption);

// Top left corner that centres `dialog` on `desktop`; halves truncate toward
// zero, so a dialog larger than the screen gets a negative offset.
IntPoint CenterOnDesktop(const IntRect& desktop, const IntRect& dialog);

}  // namespace setupmenu
