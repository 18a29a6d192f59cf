// See layout_math.h. Sums are taken in 64 bits and brought back to 32, so
// rectangles at the edges of the range wrap as the platform's 32-bit
// arithmetic would instead of overflowing.
#include "ui/layout_math.h"

namespace setupmenu {
namespace {

int32_t Wrap(int64_t value) { return static_cast<int32_t>(static_cast<uint32_t>(value)); }

}  // namespace

Placement DefaultSelectedPlacement(const IntRect& normalWindow, const IntRect& normalClient,
                                   int32_t cxDlgFrame, int32_t cyDlgFrame, int32_t cyCaption) {
    Placement p;
    p.x = Wrap(int64_t{normalWindow.left} - cxDlgFrame);
    p.y = Wrap(int64_t{normalWindow.top} - cyDlgFrame - cyCaption);
    p.width = normalClient.right;
    p.height = normalClient.bottom;
    return p;
}

IntPoint CenterOnDesktop(const IntRect& desktop, const IntRect& dialog) {
    const int32_t spareWidth = Wrap((int64_t{desktop.right} - desktop.left) - (int64_t{dialog.right} - dialog.left));
    const int32_t spareHeight = Wrap((int64_t{desktop.bottom} - desktop.top) - (int64_t{dialog.bottom} - dialog.top));
    return IntPoint{Wrap(int64_t{desktop.left} + spareWidth / 2), Wrap(int64_t{desktop.top} + spareHeight / 2)};
}

}  // namespace setupmenu
