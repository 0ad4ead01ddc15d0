#include "probes/TaskbarlessDesktop.h"

#include "probes/Desktop.h"
#include "TestRunner.h"
#include "Text.h"
#include "Threads.h"
#include "Wait.h"

#include <windows.h>

namespace e2e {
namespace {

const unsigned kPrepareTimeoutMs = ScaledMs(20000);

// On the calling thread, which must be on the new desktop and own no window yet.
bool RemoveTaskbar(std::string* error) {
    // The first window on a desktop makes the system start the desktop's shell.
    HWND foster = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    if (!foster) {
        *error = "cannot create a window on the new desktop";
        return false;
    }
    HWND taskbar = WaitFor([] { return FindWindowA("Shell_TrayWnd", nullptr); }, kPrepareTimeoutMs);
    if (!taskbar) {
        DestroyWindow(foster);
        *error = "the new desktop's shell made no taskbar window";
        return false;
    }
    SetParent(taskbar, foster);
    DestroyWindow(foster);
    if (!WaitUntil([&] { return !IsWindow(taskbar) && !FindWindowA("Shell_TrayWnd", nullptr); },
                   kPrepareTimeoutMs)) {
        *error = "the taskbar window did not go away";
        return false;
    }
    return true;
}

} // namespace

bool RunOnDesktopWithoutTaskbar(const std::function<void()>& body, std::string* error) {
    const std::string previous = DesktopName();
    const std::string name = UniqueName("kelvorin-e2e-notaskbar");
    HDESK desktop = CreateDesktopA(name.c_str(), nullptr, nullptr, 0, GENERIC_ALL, nullptr);
    if (!desktop) {
        *error = "cannot create the desktop " + name;
        return false;
    }
    bool prepared = false;
    // A thread that has owned a window cannot change its desktop, so the case runs on a
    // thread of its own, and another one puts the driver's desktop name back afterwards.
    Thread worker([&] {
        if (!JoinDesktop(name, kPrepareTimeoutMs)) {
            *error = "cannot join the desktop " + name;
            return;
        }
        if (!RemoveTaskbar(error)) {
            return;
        }
        prepared = true;
        RunGuarded(body, __FILE__, __LINE__);
    });
    worker.Join();
    Thread restore([&] { JoinDesktop(previous, kPrepareTimeoutMs); });
    restore.Join();
    if (DesktopName() != previous) {
        ReportFailure(__FILE__, __LINE__, "cannot return to the desktop " + previous);
    }
    CloseDesktop(desktop);
    return prepared;
}

} // namespace e2e
