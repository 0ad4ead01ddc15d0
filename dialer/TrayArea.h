#pragma once

#include <string>

#include "res/resource.h"

namespace dialer {

struct ScreenRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const ScreenRect& other) const {
        return left == other.left && top == other.top && right == other.right &&
               bottom == other.bottom;
    }
};

// Where the window's caption animates to and from, found by a walk over the taskbar's
// descendant windows in the system's order: the notification area up to the clock's left
// edge; the whole taskbar when it has no notification area.
class TrayAreaWalk {
public:
    explicit TrayAreaWalk(const ScreenRect& taskbar) : m_rect(taskbar) {}
    // One descendant window; false stops the walk.
    bool Visit(const std::string& className, const ScreenRect& rect);
    const ScreenRect& Rect() const { return m_rect; }

private:
    ScreenRect m_rect;
};

// The tray menu resource for the connection's mode: idle (1) or connected (2).
unsigned TrayMenuFor(int mode);

// The mouse messages a tray icon callback carries that the window answers.
inline constexpr unsigned kLeftButtonDoubleClick = 0x0203;
inline constexpr unsigned kRightButtonDown = 0x0204;

// What a tray icon callback asks of the window. The icon's id is the program icon's.
enum class TrayRequest { None, ShowWindow, OpenMenu };
TrayRequest ClassifyTrayNotify(unsigned iconId, unsigned mouseMessage);

} // namespace dialer
