// Fuzz target: the arithmetic of the menu dialog's layout.
//
// Properties, for any styles, rectangles and metrics:
//  - a picture makes the type SS_BITMAP (low four bits 0xE) and leaves every
//    bit above them as it was; so does OR-ing the bitmap type onto SS_LEFT;
//  - an alignment sets the two low bits to SS_CENTER or SS_RIGHT, the Cancel
//    label to SS_CENTER, and neither touches any other bit; every style
//    operation gives the same style when applied a second time;
//  - a position needs both numbers and does not depend on their order;
//  - the default placement has the normal control's client width and height,
//    and adding back the frame and caption gives the control's screen
//    position (in 32-bit wrapping arithmetic); the other rectangle edges play
//    no part;
//  - the centred place does not depend on where the dialog stands, moves with
//    the desktop, and, away from the limits of the range, lies halfway with
//    the odd pixel given up toward zero.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "tests/fuzz/fuzz_check.h"
#include "ui/layout_math.h"

namespace {

using namespace setupmenu;

int32_t Add(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

IntRect Moved(const IntRect& r, int32_t dx, int32_t dy) {
    return IntRect{Add(r.left, dx), Add(r.top, dy), Add(r.right, dx), Add(r.bottom, dy)};
}

IntRect ConsumeRect(FuzzedDataProvider& fdp, int32_t limit) {
    IntRect r;
    r.left = fdp.ConsumeIntegralInRange<int32_t>(-limit, limit);
    r.top = fdp.ConsumeIntegralInRange<int32_t>(-limit, limit);
    r.right = fdp.ConsumeIntegralInRange<int32_t>(-limit, limit);
    r.bottom = fdp.ConsumeIntegralInRange<int32_t>(-limit, limit);
    return r;
}

void CheckStyles(uint32_t style) {
    const uint32_t picture = StyleForPicture(style);
    FUZZ_CHECK((picture & 0xFu) == 0xEu);
    FUZZ_CHECK((picture & ~0xFu) == (style & ~0xFu));
    FUZZ_CHECK(StyleForPicture(picture) == picture);

    const uint32_t ored = StyleWithBitmapOr(style);
    FUZZ_CHECK((ored & 0xEu) == 0xEu);
    FUZZ_CHECK((ored & ~0xEu) == (style & ~0xEu));
    if ((style & 0x1Fu) == 0) FUZZ_CHECK((ored & 0x1Fu) == 0xEu);
    FUZZ_CHECK(StyleWithBitmapOr(ored) == ored);

    for (int32_t align = 1; align <= 2; ++align) {
        const uint32_t aligned = StyleForAlignment(style, align);
        FUZZ_CHECK((aligned & 3u) == static_cast<uint32_t>(align));
        FUZZ_CHECK((aligned & ~3u) == (style & ~3u));
        FUZZ_CHECK(StyleForAlignment(aligned, align) == aligned);
        FUZZ_CHECK(StyleForPicture(aligned) == picture);  // whatever the alignment
    }

    const uint32_t cancel = StyleForCancelText(style);
    FUZZ_CHECK((cancel & 3u) == 1u);
    FUZZ_CHECK((cancel & ~3u) == (style & ~3u));
    FUZZ_CHECK(StyleForCancelText(cancel) == cancel);
}

void CheckPlacement(FuzzedDataProvider& fdp) {
    const int32_t limit = fdp.ConsumeBool() ? INT32_MAX : 100000;
    const IntRect window = ConsumeRect(fdp, limit);
    const IntRect client = ConsumeRect(fdp, limit);
    const int32_t cx = fdp.ConsumeIntegralInRange<int32_t>(-limit, limit);
    const int32_t cy = fdp.ConsumeIntegralInRange<int32_t>(-limit, limit);
    const int32_t caption = fdp.ConsumeIntegralInRange<int32_t>(-limit, limit);

    const Placement p = DefaultSelectedPlacement(window, client, cx, cy, caption);
    FUZZ_CHECK(p.width == client.right && p.height == client.bottom);
    FUZZ_CHECK(Add(p.x, cx) == window.left);
    FUZZ_CHECK(Add(Add(p.y, cy), caption) == window.top);

    // The other edges play no part.
    const IntRect otherWindow{window.left, window.top, window.right ^ 0x55, window.bottom ^ 0x2A};
    const IntRect otherClient{client.left ^ 0x13, client.top ^ 0x31, client.right, client.bottom};
    const Placement q = DefaultSelectedPlacement(otherWindow, otherClient, cx, cy, caption);
    FUZZ_CHECK(q.x == p.x && q.y == p.y && q.width == p.width && q.height == p.height);
}

void CheckCentring(FuzzedDataProvider& fdp) {
    const bool bounded = fdp.ConsumeBool();
    const int32_t limit = bounded ? (1 << 28) : INT32_MAX;
    const IntRect desktop = ConsumeRect(fdp, limit);
    const IntRect dialog = ConsumeRect(fdp, limit);
    const int32_t dx = fdp.ConsumeIntegral<int32_t>();
    const int32_t dy = fdp.ConsumeIntegral<int32_t>();

    const IntPoint at = CenterOnDesktop(desktop, dialog);
    const IntPoint again = CenterOnDesktop(desktop, Moved(dialog, dx, dy));
    FUZZ_CHECK(again.x == at.x && again.y == at.y);
    const IntPoint moved = CenterOnDesktop(Moved(desktop, dx, dy), dialog);
    FUZZ_CHECK(moved.x == Add(at.x, dx) && moved.y == Add(at.y, dy));

    if (bounded) {
        // Away from the limits: the offset is half the spare room, toward zero.
        const int64_t spareX = (int64_t{desktop.right} - desktop.left) - (int64_t{dialog.right} - dialog.left);
        const int64_t spareY = (int64_t{desktop.bottom} - desktop.top) - (int64_t{dialog.bottom} - dialog.top);
        const int64_t offX = int64_t{at.x} - desktop.left;
        const int64_t offY = int64_t{at.y} - desktop.top;
        FUZZ_CHECK(std::llabs(spareX - 2 * offX) <= 1 && std::llabs(2 * offX) <= std::llabs(spareX));
        FUZZ_CHECK(std::llabs(spareY - 2 * offY) <= 1 && std::llabs(2 * offY) <= std::llabs(spareY));
        FUZZ_CHECK(offX == 0 || (offX < 0) == (spareX < 0));
        FUZZ_CHECK(offY == 0 || (offY < 0) == (spareY < 0));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider fdp(data, size);
    CheckStyles(fdp.ConsumeIntegral<uint32_t>());
    const int32_t x = fdp.ConsumeIntegral<int32_t>();
    const int32_t y = fdp.ConsumeIntegral<int32_t>();
    FUZZ_CHECK(HasPosition(x, y) == HasPosition(y, x));
    FUZZ_CHECK(!HasPosition(x, 0) && !HasPosition(0, y));
    if (x != 0 && y != 0) FUZZ_CHECK(HasPosition(x, y));
    CheckPlacement(fdp);
    CheckCentring(fdp);
    return 0;
}
