#pragma once

// Whether another process's notification-area icon exists. Wine's taskbar paints its icons
// itself (no window per icon), so the icon is asked about through the shell: a modify request
// that changes nothing (no flags) succeeds exactly while the shell holds an icon of that
// window and id.

#include "probes/ProgramFacts.h"

#include <windows.h>
#include <shellapi.h>

namespace e2e {

// True while the shell of this thread's desktop holds an icon of the window with the id.
inline bool TrayIconPresent(HWND window, UINT id = kTrayIconId) {
    NOTIFYICONDATAA probe{};
    probe.cbSize = NOTIFYICONDATAA_V1_SIZE; // 88: the first record form, as the program uses
    probe.hWnd = window;
    probe.uID = id;
    probe.uFlags = 0;
    return window != nullptr && Shell_NotifyIconA(NIM_MODIFY, &probe) != FALSE;
}

// Removes the window's icon as an ended shell loses it; true when there was one.
inline bool DeleteTrayIcon(HWND window, UINT id = kTrayIconId) {
    NOTIFYICONDATAA icon{};
    icon.cbSize = NOTIFYICONDATAA_V1_SIZE;
    icon.hWnd = window;
    icon.uID = id;
    return window != nullptr && Shell_NotifyIconA(NIM_DELETE, &icon) != FALSE;
}

// The message a shell broadcasts when it starts, so that programs add their icons again.
inline UINT TaskbarCreatedMessage() {
    return RegisterWindowMessageA("TaskbarCreated");
}

} // namespace e2e
