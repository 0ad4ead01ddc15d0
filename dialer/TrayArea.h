#pragma once

#include <optional>
#include <string>
#include <vector>

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

// A descendant window of the taskbar, in the order the system walks them.
struct TaskbarChild {
    std::string className;
    ScreenRect rect;
};

// Where the window's caption animates to and from: the notification area up to the clock's
// left edge; the whole taskbar when it has no notification area; nothing without a taskbar.
class TrayAreaWalk {
public:
    explicit TrayAreaWalk(const ScreenRect& taskbar) : m_rect(taskbar) {}
    // False stops the walk.
    bool Visit(const std::string& className, const ScreenRect& rect);
    const ScreenRect& Rect() const { return m_rect; }

private:
    ScreenRect m_rect;
};

std::optional<ScreenRect> TrayAreaRect(const std::optional<ScreenRect>& taskbar,
                                       const std::vector<TaskbarChild>& children);

// Tray menu resources: idle and connected.
inline constexpr unsigned kIdleTrayMenu = 136;
inline constexpr unsigned kConnectedTrayMenu = 138;
unsigned TrayMenuFor(int mode);

// What a tray icon callback asks of the window.
enum class TrayRequest { None, ShowWindow, OpenMenu };
inline constexpr unsigned kTrayIconId = 128;
TrayRequest ClassifyTrayNotify(unsigned iconId, unsigned mouseMessage);

} // namespace dialer
