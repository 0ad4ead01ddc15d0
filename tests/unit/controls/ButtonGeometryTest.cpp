// Where the image button puts its icon and caption: every placement and the rounding of the
// centring offsets.

#include "controls/ButtonGeometry.h"

#include <gtest/gtest.h>

namespace {

using controls::CentreText;
using controls::ICON_ABOVE_TEXT;
using controls::ICON_LEFT_OF_TEXT;
using controls::PlaceIcon;
using controls::Rect;

// A button of 100 x 31 pixels whose item does not start at the origin, so that every
// offset must be taken from the item's own edges.
const Rect kItem{10, 20, 110, 51};

TEST(IconPlacement, LeftOfCaptionSitsThreePixelsInAndVerticallyCentred) {
    const auto layout = PlaceIcon(ICON_LEFT_OF_TEXT, kItem, kItem, true, 32, 32, false);
    EXPECT_EQ(layout.icon.left, 13);
    // (31 - 32) / 2 truncates to 0: an icon one pixel taller than the item starts at its top.
    EXPECT_EQ(layout.icon.top, 20);
    // Right and bottom stay the item's: the draw is given the rest of the item.
    EXPECT_EQ(layout.icon.right, 110);
    EXPECT_EQ(layout.icon.bottom, 51);
    // The caption area begins where the icon ends.
    EXPECT_EQ(layout.caption, (Rect{45, 20, 110, 51}));
}

TEST(IconPlacement, LeftOfCaptionCentresAnOddHeightDifferenceDownward) {
    const Rect item{0, 0, 80, 45}; // 45 - 32 = 13, half 6
    const auto layout = PlaceIcon(ICON_LEFT_OF_TEXT, item, item, true, 32, 32, false);
    EXPECT_EQ(layout.icon.left, 3);
    EXPECT_EQ(layout.icon.top, 6);
}

TEST(IconPlacement, UsesTheDeclaredSizeNotASquare) {
    const Rect item{0, 0, 80, 40};
    const auto layout = PlaceIcon(ICON_LEFT_OF_TEXT, item, item, true, 16, 10, false);
    EXPECT_EQ(layout.icon.top, 15);
    EXPECT_EQ(layout.caption.left, 19);
}

TEST(IconPlacement, WithoutCaptionTheIconIsCentredBothWays) {
    for (int placement : {ICON_LEFT_OF_TEXT, ICON_ABOVE_TEXT}) {
        const auto layout = PlaceIcon(placement, kItem, kItem, false, 32, 16, false);
        EXPECT_EQ(layout.icon.left, 10 + (100 - 32) / 2) << placement;
        EXPECT_EQ(layout.icon.top, 20 + (31 - 16) / 2) << placement;
        EXPECT_EQ(layout.caption, kItem) << placement;
    }
}

TEST(IconPlacement, AboveCaptionIsCentredAcrossAtTheTopEdge) {
    const Rect item{10, 20, 110, 80};
    const auto layout = PlaceIcon(ICON_ABOVE_TEXT, item, item, true, 32, 24, false);
    EXPECT_EQ(layout.icon.left, 10 + 34);
    EXPECT_EQ(layout.icon.top, 20);
    // The caption is centred in the area below the icon.
    EXPECT_EQ(layout.caption, (Rect{10, 44, 110, 80}));
}

TEST(IconPlacement, AnyOtherPlacementLeavesTheIconAtTheItemCorner) {
    for (int placement : {2, -1, 77}) {
        const auto layout = PlaceIcon(placement, kItem, kItem, true, 32, 32, false);
        EXPECT_EQ(layout.icon, kItem) << placement;
        EXPECT_EQ(layout.caption, kItem) << placement;
    }
}

TEST(IconPlacement, PressedMovesTheIconOnePixelRightAndDown) {
    const auto idle = PlaceIcon(ICON_LEFT_OF_TEXT, kItem, kItem, true, 32, 32, false);
    const auto pressed = PlaceIcon(ICON_LEFT_OF_TEXT, kItem, kItem, true, 32, 32, true);
    EXPECT_EQ(pressed.icon, idle.icon.Offset(1, 1));
    // The caption is shifted by the caption step itself, not here.
    EXPECT_EQ(pressed.caption, idle.caption);
}

TEST(IconPlacement, CaptionNarrowingStartsFromTheGivenCaptionArea) {
    const Rect caption{12, 22, 100, 50};
    const auto layout = PlaceIcon(ICON_LEFT_OF_TEXT, kItem, caption, true, 20, 20, false);
    EXPECT_EQ(layout.caption, (Rect{35, 22, 100, 50}));
}

TEST(IconPlacement, IconLargerThanTheItemGetsANegativeOffsetTruncatedTowardZero) {
    // Width 29 - 32 = -3: -3 / 2 is -1 (toward zero), not -2 (toward minus infinity).
    const Rect item{0, 0, 29, 29};
    const auto centred = PlaceIcon(ICON_LEFT_OF_TEXT, item, item, false, 32, 32, false);
    EXPECT_EQ(centred.icon.left, -1);
    EXPECT_EQ(centred.icon.top, -1);
    const auto above = PlaceIcon(ICON_ABOVE_TEXT, item, item, true, 32, 32, false);
    EXPECT_EQ(above.icon.left, -1);
    EXPECT_EQ(above.icon.top, 0);
    // -1: -1 / 2 is 0.
    const Rect narrow{5, 5, 36, 36};
    EXPECT_EQ(PlaceIcon(ICON_LEFT_OF_TEXT, narrow, narrow, false, 32, 32, false).icon.left, 5);
}

TEST(IconPlacement, TheLargestDeclaredSizeIsUnsigned) {
    const Rect item{0, 0, 300, 300};
    const auto layout = PlaceIcon(ICON_LEFT_OF_TEXT, item, item, true, 255, 255, false);
    EXPECT_EQ(layout.icon.top, 22);
    EXPECT_EQ(layout.caption.left, 258);
}

TEST(CaptionCentring, CentresTheMeasuredBoxInTheArea) {
    const Rect area{45, 20, 110, 51}; // 65 x 31
    const Rect text = CentreText(area, 48, 12);
    EXPECT_EQ(text, (Rect{45 + 8, 20 + 9, 45 + 8 + 48, 20 + 9 + 12}));
}

TEST(CaptionCentring, WiderTextOverhangsBothSidesByTheTruncatedHalf) {
    const Rect area{0, 0, 40, 20};
    const Rect text = CentreText(area, 47, 12); // (40 - 47) / 2 = -3
    EXPECT_EQ(text.left, -3);
    EXPECT_EQ(text.right, 44);
    const Rect taller = CentreText(area, 10, 23); // (20 - 23) / 2 = -1
    EXPECT_EQ(taller.top, -1);
    EXPECT_EQ(taller.bottom, 22);
}

TEST(CaptionCentring, AnEmptyMeasureSitsInTheMiddle) {
    const Rect text = CentreText(Rect{0, 0, 41, 21}, 0, 0);
    EXPECT_EQ(text, (Rect{20, 10, 20, 10}));
}

} // namespace
