#include "dialer/TrayArea.h"

namespace dialer {

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

unsigned TrayMenuFor(int mode) {
    return mode == 2 ? IDR_TRAY_CONNECTED : IDR_TRAY_IDLE;
}

TrayRequest ClassifyTrayNotify(unsigned iconId, unsigned mouseMessage) {
    if (iconId != IDR_MAINFRAME) {
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
