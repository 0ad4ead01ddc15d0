#include "dialer/TrayArea.h"

namespace dialer {

namespace {
constexpr unsigned kLeftButtonDoubleClick = 0x0203;
constexpr unsigned kRightButtonDown = 0x0204;
} // namespace

bool TrayAreaWalk::Visit(const std::string& className, const ScreenRect& rect) {
    if (className == "TrayNotifyWnd") {
        m_rect = rect;
        return true;
    }
    if (className == "TrayClockWClass") {
        m_rect.right = rect.left;
        return false;
    }
    return true;
}

std::optional<ScreenRect> TrayAreaRect(const std::optional<ScreenRect>& taskbar,
                                       const std::vector<TaskbarChild>& children) {
    if (!taskbar) {
        return std::nullopt;
    }
    TrayAreaWalk walk(*taskbar);
    for (const TaskbarChild& child : children) {
        if (!walk.Visit(child.className, child.rect)) {
            break;
        }
    }
    return walk.Rect();
}

unsigned TrayMenuFor(int mode) {
    return mode == 2 ? kConnectedTrayMenu : kIdleTrayMenu;
}

TrayRequest ClassifyTrayNotify(unsigned iconId, unsigned mouseMessage) {
    if (iconId != kTrayIconId) {
        return TrayRequest::None;
    }
    switch (mouseMessage) {
    case kLeftButtonDoubleClick:
        return TrayRequest::ShowWindow;
    case kRightButtonDown:
        return TrayRequest::OpenMenu;
    default:
        return TrayRequest::None;
    }
}

} // namespace dialer
