#include "controls/ButtonGeometry.h"

namespace controls {

namespace {
// Built-in division already truncates toward zero; named so the intent stays visible.
int HalfTowardZero(int value) {
    return value / 2;
}
} // namespace

IconLayout PlaceIcon(int placement, const Rect& item, const Rect& caption, bool hasCaption,
                     std::uint8_t cx, std::uint8_t cy, bool pressed) {
    const int width = cx;
    const int height = cy;
    IconLayout layout{item, caption};
    const int centredLeft = item.left + HalfTowardZero(item.right - width - item.left);
    const int centredTop = item.top + HalfTowardZero(item.bottom - height - item.top);
    switch (placement) {
    case ICON_LEFT_OF_TEXT:
        if (hasCaption) {
            layout.icon.left = item.left + 3;
            layout.caption.left += width + 3;
        } else {
            layout.icon.left = centredLeft;
        }
        layout.icon.top = centredTop;
        break;
    case ICON_ABOVE_TEXT:
        layout.icon.left = centredLeft;
        if (hasCaption) {
            layout.caption.top += height;
        } else {
            layout.icon.top = centredTop;
        }
        break;
    default:
        break;
    }
    if (pressed) {
        layout.icon = layout.icon.Offset(1, 1);
    }
    return layout;
}

Rect CentreText(const Rect& area, int measuredWidth, int measuredHeight) {
    const Rect box{area.left, area.top, area.left + measuredWidth, area.top + measuredHeight};
    return box.Offset(HalfTowardZero(area.Width() - measuredWidth),
                      HalfTowardZero(area.Height() - measuredHeight));
}

} // namespace controls
