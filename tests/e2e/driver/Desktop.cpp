#include "Desktop.h"

#include "Wait.h"

#include <windows.h>

namespace e2e {
namespace {
std::string g_name;
}

bool JoinDesktop(const std::string& name, unsigned timeoutMs) {
    HDESK desktop = nullptr;
    WaitUntil(
        [&] {
            desktop = OpenDesktopA(name.c_str(), 0, FALSE, GENERIC_ALL);
            return desktop != nullptr;
        },
        timeoutMs);
    // The handle stays open for the life of the driver: the thread keeps using the desktop.
    if (!desktop || !SetThreadDesktop(desktop)) {
        return false;
    }
    g_name = name;
    return true;
}

const std::string& DesktopName() {
    return g_name;
}

} // namespace e2e
