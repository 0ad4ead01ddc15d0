#pragma once

// Where the image button puts its icon and its caption inside the item rectangle. Pure
// arithmetic on rectangles, so that every placement can be checked without a window.

#include <cstdint>

namespace controls {

// Same fields and meaning as the platform's RECT: right and bottom are exclusive.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    Rect Offset(int dx, int dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
    Rect Inflate(int d) const { return {left - d, top - d, right + d, bottom + d}; }
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    bool operator==(const Rect& other) const {
        return left == other.left && top == other.top && right == other.right &&
               bottom == other.bottom;
    }
    bool operator!=(const Rect& other) const { return !(*this == other); }
};

struct Point {
    int x = 0;
    int y = 0;
    bool operator==(const Point& other) const { return x == other.x && y == other.y; }
};

// Values of the button's icon placement; any other value leaves the icon at the item's
// top-left corner.
enum IconPlacement : int {
    ICON_LEFT_OF_TEXT = 0,
    ICON_ABOVE_TEXT = 1,
};

struct IconLayout {
    // The icon's top-left corner is (icon.left, icon.top); right and bottom stay the item's,
    // and the icon is painted unscaled.
    Rect icon;
    // The area the caption is centred in, narrowed by the icon.
    Rect caption;
};

// Places an icon of cx x cy pixels (as the caller declared it) in `item` and narrows the
// caption area `caption` (a copy of the item on entry). Offsets are halved with truncation
// toward zero, so an icon larger than the item gets a negative offset rounded up. Pressed
// buttons show the icon one pixel right and down; the caption area is not moved here.
IconLayout PlaceIcon(int placement, const Rect& item, const Rect& caption, bool hasCaption,
                     std::uint8_t cx, std::uint8_t cy, bool pressed);

// The text box of `measured` size (only its width and height count) moved to the centre of
// `area`, its top-left corner starting at area's; offsets truncate toward zero, so text wider
// than the area overhangs both sides equally.
Rect CentreText(const Rect& area, int measuredWidth, int measuredHeight);

} // namespace controls
