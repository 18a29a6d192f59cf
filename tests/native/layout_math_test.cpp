// Arithmetic of the menu dialog's layout: style changes of the static
// controls, the default place of a selected control, and centring.
#include "ui/layout_math.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

namespace {

using namespace setupmenu;

// Style bits as the dialog templates use them.
constexpr uint32_t kSsLeft = 0x00, kSsCenter = 0x01, kSsRight = 0x02, kSsBitmap = 0x0E;
constexpr uint32_t kSsNotify = 0x100, kSsCenterImage = 0x200, kSsSunken = 0x1000;
constexpr uint32_t kWsChild = 0x40000000, kWsVisible = 0x10000000, kWsGroup = 0x00020000;
constexpr uint32_t kOtherBits = kWsChild | kWsVisible | kWsGroup | kSsNotify | kSsCenterImage | kSsSunken;

struct StyleCase {
    const char* name;
    uint32_t before;
    uint32_t after;
};

TEST(StyleOperations, PictureMakesABitmapStaticFromLeftCenterOrRight) {
    const StyleCase cases[] = {
        {"SS_LEFT", kSsLeft, kSsBitmap},
        {"SS_CENTER", kSsCenter, kSsBitmap},
        {"SS_RIGHT", kSsRight, kSsBitmap},
        {"SS_BITMAP already", kSsBitmap, kSsBitmap},
        {"SS_LEFT with other bits", kOtherBits | kSsLeft, kOtherBits | kSsBitmap},
        {"SS_CENTER with other bits", kOtherBits | kSsCenter, kOtherBits | kSsBitmap},
        {"SS_RIGHT with other bits", kOtherBits | kSsRight, kOtherBits | kSsBitmap},
        {"Cancel pair keeps SS_CENTERIMAGE", kWsChild | kSsNotify | kSsCenterImage | kSsCenter,
         kWsChild | kSsNotify | kSsCenterImage | kSsBitmap},
    };
    for (const StyleCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(StyleForPicture(c.before), c.after);
    }
}

TEST(StyleOperations, MainPictureOrsTheBitmapTypeOntoSsLeft) {
    const StyleCase cases[] = {
        {"SS_LEFT", kSsLeft, kSsBitmap},
        {"SS_LEFT with other bits", kOtherBits, kOtherBits | kSsBitmap},
        {"already a bitmap", kWsChild | kSsBitmap, kWsChild | kSsBitmap},
    };
    for (const StyleCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(StyleWithBitmapOr(c.before), c.after);
    }
}

TEST(StyleOperations, AlignmentReplacesTheTwoLowBits) {
    struct Case {
        const char* name;
        uint32_t before;
        int32_t align;
        uint32_t after;
    };
    const Case cases[] = {
        {"left to center", kSsLeft, 1, kSsCenter},
        {"left to right", kSsLeft, 2, kSsRight},
        {"right to center", kSsRight, 1, kSsCenter},
        {"center to right", kSsCenter, 2, kSsRight},
        {"center to center", kSsCenter, 1, kSsCenter},
        {"left to center, other bits kept", kOtherBits | kSsLeft, 1, kOtherBits | kSsCenter},
        {"right to center, other bits kept", kOtherBits | kSsRight, 1, kOtherBits | kSsCenter},
        {"center to right, other bits kept", kOtherBits | kSsCenter, 2, kOtherBits | kSsRight},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(StyleForAlignment(c.before, c.align), c.after);
    }
}

TEST(StyleOperations, CancelLabelIsAlwaysCentred) {
    const StyleCase cases[] = {
        {"SS_LEFT", kSsLeft, kSsCenter},
        {"SS_CENTER", kSsCenter, kSsCenter},
        {"SS_RIGHT", kSsRight, kSsCenter},
        {"SS_LEFT with other bits", kOtherBits | kSsLeft, kOtherBits | kSsCenter},
        {"SS_RIGHT with other bits", kOtherBits | kSsRight, kOtherBits | kSsCenter},
    };
    for (const StyleCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(StyleForCancelText(c.before), c.after);
    }
}

TEST(StyleOperations, TextThenPictureEndsAsBitmapKeepingOtherBits) {
    const uint32_t cancelTemplate = kWsChild | kWsVisible | kSsNotify | kSsCenterImage | kSsLeft;
    EXPECT_EQ(StyleForPicture(StyleForCancelText(cancelTemplate)),
              kWsChild | kWsVisible | kSsNotify | kSsCenterImage | kSsBitmap);
    const uint32_t buttonTemplate = kWsChild | kSsNotify | kSsLeft;
    EXPECT_EQ(StyleForPicture(StyleForAlignment(buttonTemplate, 2)), kWsChild | kSsNotify | kSsBitmap);
}

TEST(Positions, AppliedOnlyWhenBothNumbersAreNonZero) {
    struct Case {
        int32_t x, y;
        bool applied;
    };
    const Case cases[] = {
        {0, 0, false}, {5, 0, false}, {0, 5, false}, {5, 7, true}, {-3, 4, true}, {-3, -4, true}, {1, -1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
        EXPECT_EQ(HasPosition(c.x, c.y), c.applied);
    }
}

TEST(DefaultSelectedPlacement, OverTheNormalControlLessFrameAndCaption) {
    struct Case {
        const char* name;
        IntRect window;  // normal control, screen coordinates
        IntRect client;
        int32_t cx, cy, caption;
        Placement expected;
    };
    const Case cases[] = {
        {"frame 3/3, caption 19", {100, 200, 180, 230}, {0, 0, 80, 30}, 3, 3, 19, {97, 178, 80, 30}},
        {"control at the dialog's client origin", {3, 22, 53, 42}, {0, 0, 50, 20}, 3, 3, 19, {0, 0, 50, 20}},
        {"control at the screen origin", {0, 0, 10, 10}, {0, 0, 10, 10}, 3, 3, 19, {-3, -22, 10, 10}},
        {"client size, not window size", {10, 40, 100, 80}, {0, 0, 86, 36}, 3, 3, 19, {7, 18, 86, 36}},
        {"negative screen position", {-50, -60, -10, -20}, {0, 0, 40, 40}, 3, 3, 19, {-53, -82, 40, 40}},
        {"other metrics", {100, 100, 150, 120}, {0, 0, 50, 20}, 4, 5, 23, {96, 72, 50, 20}},
        {"zero metrics", {100, 100, 150, 120}, {0, 0, 50, 20}, 0, 0, 0, {100, 100, 50, 20}},
        {"empty control", {7, 30, 7, 30}, {0, 0, 0, 0}, 3, 3, 19, {4, 8, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Placement p = DefaultSelectedPlacement(c.window, c.client, c.cx, c.cy, c.caption);
        EXPECT_EQ(p.x, c.expected.x);
        EXPECT_EQ(p.y, c.expected.y);
        EXPECT_EQ(p.width, c.expected.width);
        EXPECT_EQ(p.height, c.expected.height);
    }
}

TEST(DefaultSelectedPlacement, WrapsAtTheEdgeOfTheRange) {
    constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
    constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
    const Placement p = DefaultSelectedPlacement({kMin, kMin + 1, 0, 0}, {0, 0, 1, 1}, 3, 3, 19);
    EXPECT_EQ(p.x, kMax - 2);
    EXPECT_EQ(p.y, kMax - 20);
}

TEST(CenterOnDesktop, HalvesTheSpareRoomTowardZero) {
    struct Case {
        const char* name;
        IntRect desktop;
        IntRect dialog;
        IntPoint expected;
    };
    const Case cases[] = {
        {"even spare room", {0, 0, 1024, 768}, {0, 0, 400, 300}, {312, 234}},
        {"where the dialog stands plays no part", {0, 0, 1024, 768}, {50, 60, 450, 360}, {312, 234}},
        {"dialog at a negative place", {0, 0, 1024, 768}, {-500, -400, -100, -100}, {312, 234}},
        {"odd spare room rounds down", {0, 0, 1024, 768}, {0, 0, 401, 301}, {311, 233}},
        {"odd screen size", {0, 0, 1023, 767}, {0, 0, 400, 300}, {311, 233}},
        {"same size as the screen", {0, 0, 800, 600}, {0, 0, 800, 600}, {0, 0}},
        {"five wider and seven taller than the screen", {0, 0, 800, 600}, {0, 0, 805, 607}, {-2, -3}},
        {"one wider and one taller: -1/2 is 0", {0, 0, 800, 600}, {10, 10, 811, 611}, {0, 0}},
        {"much larger than the screen", {0, 0, 640, 480}, {0, 0, 1641, 1481}, {-500, -500}},
        {"desktop origin left of the primary screen", {-1280, 0, 0, 1024}, {0, 0, 400, 300}, {-840, 362}},
        {"desktop origin not at zero", {100, 50, 900, 650}, {0, 0, 400, 300}, {300, 200}},
        {"larger than a shifted desktop", {100, 50, 900, 650}, {0, 0, 805, 605}, {98, 48}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const IntPoint p = CenterOnDesktop(c.desktop, c.dialog);
        EXPECT_EQ(p.x, c.expected.x);
        EXPECT_EQ(p.y, c.expected.y);
    }
}

}  // namespace
