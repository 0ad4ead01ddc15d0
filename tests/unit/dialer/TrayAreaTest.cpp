#include "dialer/TrayArea.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace dialer {
namespace {

const ScreenRect kTaskbar{0, 738, 1024, 768};
const ScreenRect kNotify{850, 740, 1020, 766};
const ScreenRect kClock{960, 742, 1018, 764};

// The taskbar's descendants, in the order the system walks them: class name and rectangle.
using Children = std::vector<std::pair<std::string, ScreenRect>>;

// The walk as the window runs it over the taskbar: child by child until a visit stops it.
ScreenRect WalkTaskbar(const ScreenRect& taskbar, const Children& children) {
    TrayAreaWalk walk(taskbar);
    for (const auto& [className, rect] : children) {
        if (!walk.Visit(className, rect)) {
            break;
        }
    }
    return walk.Rect();
}

TEST(TrayAreaTest, TaskbarWithoutNotificationAreaIsTheWholeTaskbar) {
    const ScreenRect rect =
        WalkTaskbar(kTaskbar, {{"Button", {0, 740, 60, 766}}, {"Button", {60, 740, 160, 766}}});
    EXPECT_EQ(rect, kTaskbar);
}

TEST(TrayAreaTest, NotificationAreaCutAtTheClock) {
    const auto rect = WalkTaskbar(kTaskbar, {{"Start", {0, 740, 60, 766}},
                                             {"TrayNotifyWnd", kNotify},
                                             {"SysPager", {850, 740, 955, 766}},
                                             {"TrayClockWClass", kClock}});
    EXPECT_EQ(rect, (ScreenRect{850, 740, 960, 766}));
}

TEST(TrayAreaTest, NotificationAreaWithoutClockIsWhole) {
    EXPECT_EQ(WalkTaskbar(kTaskbar, {{"TrayNotifyWnd", kNotify}}), kNotify);
}

TEST(TrayAreaTest, ClockWithoutNotificationAreaCutsTheTaskbar) {
    EXPECT_EQ(WalkTaskbar(kTaskbar, {{"TrayClockWClass", kClock}}), (ScreenRect{0, 738, 960, 768}));
}

TEST(TrayAreaTest, WalkStopsAtTheClock) {
    // A notification area met after the clock no longer counts.
    EXPECT_EQ(WalkTaskbar(kTaskbar, {{"TrayClockWClass", kClock}, {"TrayNotifyWnd", kNotify}}),
              (ScreenRect{0, 738, 960, 768}));
}

TEST(TrayAreaTest, LaterNotificationAreaOverwritesTheWholeRectangle) {
    const ScreenRect second{700, 741, 800, 765};
    EXPECT_EQ(WalkTaskbar(kTaskbar, {{"TrayNotifyWnd", kNotify}, {"TrayNotifyWnd", second}}),
              second);
}

TEST(TrayAreaTest, ClassNamesMatchExactly) {
    EXPECT_EQ(WalkTaskbar(kTaskbar, {{"traynotifywnd", kNotify}, {"TrayClockWClassX", kClock}}),
              kTaskbar);
}

TEST(TrayMenuTest, MenuFollowsTheMode) {
    EXPECT_EQ(TrayMenuFor(1), 136u);
    EXPECT_EQ(TrayMenuFor(2), 138u);
}

TEST(TrayNotifyTest, OnlyDoubleClickAndRightPressOfOurIconAct) {
    EXPECT_EQ(ClassifyTrayNotify(128, 0x0203), TrayRequest::ShowWindow);
    EXPECT_EQ(ClassifyTrayNotify(128, 0x0204), TrayRequest::OpenMenu);
    for (unsigned message : {0x0200u, 0x0201u, 0x0202u, 0x0205u, 0x0206u, 0x0207u}) {
        EXPECT_EQ(ClassifyTrayNotify(128, message), TrayRequest::None) << message;
    }
    EXPECT_EQ(ClassifyTrayNotify(129, 0x0203), TrayRequest::None);
    EXPECT_EQ(ClassifyTrayNotify(0, 0x0204), TrayRequest::None);
}

} // namespace
} // namespace dialer
