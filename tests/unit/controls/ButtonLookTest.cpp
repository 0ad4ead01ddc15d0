// The look and the frame of one draw, row by row of the frame table, with the black focus
// frame of the three-dimensional look and the focus rectangle.

#include "controls/ButtonLook.h"

#include <gtest/gtest.h>

#include <map>
#include <ostream>
#include <set>
#include <utility>

namespace controls {
// Failure messages show the colour and the points.
void PrintTo(const LineList& lines, std::ostream* out) {
    *out << "color " << lines.color;
    for (const Point& p : lines.points) {
        *out << " (" << p.x << ", " << p.y << ")";
    }
}
} // namespace controls

namespace {

using namespace controls;

const Rect kItem{10, 20, 110, 51};

ButtonState Flat(bool hover, bool pressed) {
    ButtonState state;
    state.hover = hover;
    state.pressed = pressed;
    return state;
}

ButtonState ThreeD(bool pressed, bool focused) {
    ButtonState state;
    state.flat = false;
    state.pressed = pressed;
    state.focused = focused;
    return state;
}

LineList Lines(int color, Point a, Point b, Point c) {
    return {color, {{a, b, c}}};
}

// The pixels a line list paints, as the platform draws it: each segment leaves its end point
// out, and later lists paint over earlier ones. Keyed by position, valued by colour.
std::map<std::pair<int, int>, int> Paint(const std::vector<LineList>& lists) {
    std::map<std::pair<int, int>, int> pixels;
    for (const LineList& list : lists) {
        for (size_t i = 1; i < list.points.size(); ++i) {
            Point from = list.points[i - 1];
            const Point to = list.points[i];
            const int dx = (to.x > from.x) - (to.x < from.x);
            const int dy = (to.y > from.y) - (to.y < from.y);
            while (!(from == to)) {
                pixels[{from.x, from.y}] = list.color;
                from.x += dx;
                from.y += dy;
            }
        }
    }
    return pixels;
}

TEST(ButtonLook, ActiveWhileHoveredOrPressed) {
    EXPECT_EQ(ChooseLook(false, false), Look::Idle);
    EXPECT_EQ(ChooseLook(true, false), Look::Active);
    EXPECT_EQ(ChooseLook(false, true), Look::Active);
    EXPECT_EQ(ChooseLook(true, true), Look::Active);
}

TEST(FrameTable, FlatIdleHasNoFrame) {
    const FramePlan plan = PlanFrame(kItem, Flat(false, false));
    EXPECT_EQ(plan.look, Look::Idle);
    EXPECT_FALSE(plan.blackFrame);
    EXPECT_FALSE(plan.frameRect);
    EXPECT_TRUE(plan.lines.empty());
    EXPECT_EQ(plan.face, kItem);
}

TEST(FrameTable, FlatHoveredHasTheRaisedThinFrame) {
    const FramePlan plan = PlanFrame(kItem, Flat(true, false));
    EXPECT_EQ(plan.look, Look::Active);
    ASSERT_EQ(plan.lines.size(), 2u);
    EXPECT_EQ(plan.lines[0], Lines(kColorBtnHighlight, {10, 50}, {10, 20}, {110, 20}));
    EXPECT_EQ(plan.lines[1], Lines(kColorBtnShadow, {10, 50}, {109, 50}, {109, 19}));
}

TEST(FrameTable, FlatPressedHasTheSunkenThinFrameHoveredOrNot) {
    for (bool hover : {false, true}) {
        const FramePlan plan = PlanFrame(kItem, Flat(hover, true));
        EXPECT_EQ(plan.look, Look::Active);
        ASSERT_EQ(plan.lines.size(), 2u);
        EXPECT_EQ(plan.lines[0], Lines(kColorBtnShadow, {10, 50}, {10, 20}, {110, 20}));
        EXPECT_EQ(plan.lines[1], Lines(kColorBtnHighlight, {10, 50}, {109, 50}, {109, 19}));
    }
}

TEST(FrameTable, ThinFramePaintsTheOuterRingOfTheItemOnly) {
    // Raised: the top and left edges light, the bottom and right ones dark; the bottom-left
    // and top-right corners belong to the dark lines, which come second.
    const auto pixels = Paint(PlanFrame(kItem, Flat(true, false)).lines);
    EXPECT_EQ(pixels.size(), static_cast<size_t>(2 * 100 + 2 * 31 - 4));
    for (const auto& [at, color] : pixels) {
        const auto [x, y] = at;
        ASSERT_TRUE(x == 10 || x == 109 || y == 20 || y == 50) << x << "," << y;
        const bool dark = x == 109 || y == 50;
        EXPECT_EQ(color, dark ? kColorBtnShadow : kColorBtnHighlight) << x << "," << y;
    }
    EXPECT_EQ(pixels.at({10, 20}), kColorBtnHighlight);
    EXPECT_EQ(pixels.at({10, 50}), kColorBtnShadow);
    EXPECT_EQ(pixels.at({109, 20}), kColorBtnShadow);
}

TEST(FrameTable, WithoutBorderTheFlatLookDrawsNoFrameEvenHoveredOrPressed) {
    for (const auto& [hover, pressed] : {std::pair{true, false}, {false, true}, {true, true}}) {
        ButtonState state = Flat(hover, pressed);
        state.drawBorder = false;
        const FramePlan plan = PlanFrame(kItem, state);
        EXPECT_TRUE(plan.lines.empty());
        EXPECT_FALSE(plan.frameRect);
        EXPECT_EQ(plan.look, Look::Active);
    }
}

TEST(FrameTable, ThreeDimensionalIdleHasFourLineListsInOrder) {
    const FramePlan plan = PlanFrame(kItem, ThreeD(false, false));
    EXPECT_FALSE(plan.blackFrame);
    EXPECT_EQ(plan.face, kItem);
    ASSERT_EQ(plan.lines.size(), 4u);
    EXPECT_EQ(plan.lines[0], Lines(kColorBtnHighlight, {10, 50}, {10, 20}, {110, 20}));
    EXPECT_EQ(plan.lines[1], Lines(kColor3dLight, {11, 50}, {11, 21}, {110, 21}));
    EXPECT_EQ(plan.lines[2], Lines(kColor3dDkShadow, {10, 50}, {109, 50}, {109, 19}));
    EXPECT_EQ(plan.lines[3], Lines(kColorBtnShadow, {11, 49}, {108, 49}, {108, 20}));
    EXPECT_FALSE(plan.focusRect);
}

TEST(FrameTable, ThreeDimensionalLinesFormTwoRings) {
    const auto pixels = Paint(PlanFrame(kItem, ThreeD(false, false)).lines);
    std::set<int> outer, inner;
    for (const auto& [at, color] : pixels) {
        const auto [x, y] = at;
        const bool onOuter = x == 10 || x == 109 || y == 20 || y == 50;
        (onOuter ? outer : inner).insert(color);
        if (!onOuter) {
            EXPECT_TRUE(x == 11 || x == 108 || y == 21 || y == 49) << x << "," << y;
        }
    }
    EXPECT_EQ(outer, (std::set<int>{kColorBtnHighlight, kColor3dDkShadow}));
    EXPECT_EQ(inner, (std::set<int>{kColor3dLight, kColorBtnShadow}));
    EXPECT_EQ(pixels.at({11, 21}), kColor3dLight);
    EXPECT_EQ(pixels.at({108, 49}), kColorBtnShadow);
    EXPECT_EQ(pixels.at({109, 50}), kColor3dDkShadow);
}

TEST(FrameTable, ThreeDimensionalPressedIsAShadowFrameRect) {
    const FramePlan plan = PlanFrame(kItem, ThreeD(true, false));
    EXPECT_TRUE(plan.frameRect);
    EXPECT_EQ(plan.frameRectColor, kColorBtnShadow);
    EXPECT_TRUE(plan.lines.empty());
    EXPECT_EQ(plan.face, kItem);
    EXPECT_EQ(plan.look, Look::Active);
}

TEST(FrameTable, ThreeDimensionalHoverFlagDoesNotRaiseButColoursStillFollowIt) {
    ButtonState state = ThreeD(false, false);
    state.hover = true;
    const FramePlan plan = PlanFrame(kItem, state);
    EXPECT_EQ(plan.lines.size(), 4u);
    EXPECT_EQ(plan.look, Look::Active);
}

TEST(FocusLook, ThreeDimensionalFocusAddsABlackFrameAndMovesEverythingIn) {
    const FramePlan plan = PlanFrame(kItem, ThreeD(false, true));
    EXPECT_TRUE(plan.blackFrame);
    const Rect inner{11, 21, 109, 50};
    EXPECT_EQ(plan.face, inner);
    ASSERT_EQ(plan.lines.size(), 4u);
    EXPECT_EQ(plan.lines[0], Lines(kColorBtnHighlight, {11, 49}, {11, 21}, {109, 21}));
    EXPECT_EQ(plan.lines[3], Lines(kColorBtnShadow, {12, 48}, {107, 48}, {107, 21}));
    // Four pixels inside the item's edge: one for the black frame, three more.
    ASSERT_TRUE(plan.focusRect);
    EXPECT_EQ(plan.focus, (Rect{14, 24, 106, 47}));
}

TEST(FocusLook, ThreeDimensionalPressedWithFocusFramesTheInnerRect) {
    const FramePlan plan = PlanFrame(kItem, ThreeD(true, true));
    EXPECT_TRUE(plan.blackFrame);
    EXPECT_TRUE(plan.frameRect);
    EXPECT_EQ(plan.face, (Rect{11, 21, 109, 50}));
    EXPECT_TRUE(plan.focusRect);
}

TEST(FocusLook, FlatLookShowsFocusOnlyWhenAskedThreePixelsIn) {
    ButtonState state = Flat(false, false);
    state.focused = true;
    FramePlan plan = PlanFrame(kItem, state);
    EXPECT_FALSE(plan.focusRect);
    EXPECT_FALSE(plan.blackFrame);

    state.flatFocusRect = true;
    plan = PlanFrame(kItem, state);
    EXPECT_FALSE(plan.blackFrame);
    ASSERT_TRUE(plan.focusRect);
    EXPECT_EQ(plan.focus, (Rect{13, 23, 107, 48}));
}

TEST(FocusLook, NoFocusRectangleWithoutFocus) {
    ButtonState state = Flat(true, true);
    state.flatFocusRect = true;
    EXPECT_FALSE(PlanFrame(kItem, state).focusRect);
    EXPECT_FALSE(PlanFrame(kItem, ThreeD(true, false)).focusRect);
}

} // namespace
