#pragma once

// A notification area of the driver's own, on a desktop without a taskbar: a window of the
// taskbar's class that the platform's Shell_NotifyIcon requests reach, so that a case sees
// every request as the shell gets it (the tip, a balloon's title and text) and the icons it
// would show. It answers as Wine's shell does: an add fails for an icon already there, a
// modify or delete for one that is not.
//
// Wine's shell32 hands each request to the "Shell_TrayWnd" window of the caller's desktop as
// WM_COPYDATA: dwData the NIM_ code, the data its own fixed record of Unicode fields (read in
// SimulatedShell.cpp), followed by the icon's bits. This is Wine's, not the system's, layout:
// the cases that use it run only under Wine.

#include "Threads.h"
#include "Wait.h"

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace e2e {

// One request as the shell got it; texts in code page 936.
struct ShellRequest {
    DWORD message = 0; // NIM_ADD, NIM_MODIFY, NIM_DELETE, ...
    HWND window = nullptr;
    UINT id = 0;
    UINT flags = 0;
    UINT callbackMessage = 0;
    std::string tip;       // with NIF_TIP
    std::string infoTitle; // with NIF_INFO
    std::string info;
    DWORD infoFlags = 0;
    UINT timeoutMs = 0;
};

class SimulatedShell {
public:
    // Starts the shell on a thread of its own on the calling thread's desktop (DesktopName()),
    // which must have no taskbar. Ends the case when the shell's window cannot be made.
    SimulatedShell();
    ~SimulatedShell();
    SimulatedShell(const SimulatedShell&) = delete;
    SimulatedShell& operator=(const SimulatedShell&) = delete;

    // Every request of the window so far, in order (the driver's own probes included).
    std::vector<ShellRequest> Requests(HWND window) const;
    // The requests that carried a balloon.
    std::vector<ShellRequest> Balloons(HWND window) const;
    // The tip the icon shows now; empty when the shell holds no such icon.
    std::optional<std::string> Tip(HWND window, UINT id) const;

    // While refusing, every add fails, as before the shell is ready at log-on.
    void RefuseAdds(bool refuse);
    // A restart: every icon is gone, and "TaskbarCreated" is broadcast as a starting shell does.
    void Restart();

    bool WaitBalloonCount(HWND window, size_t count, unsigned timeoutMs = DefaultTimeoutMs()) const;
    bool WaitTip(HWND window, UINT id, const std::string& tip,
                 unsigned timeoutMs = DefaultTimeoutMs()) const;

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void Run();
    BOOL Receive(DWORD message, const void* data, DWORD bytes);

    struct Icon {
        HWND window;
        UINT id;
        std::string tip;
    };

    mutable Lock m_lock;
    std::vector<ShellRequest> m_requests;
    std::vector<Icon> m_icons;
    HWND m_hwnd = nullptr;
    DWORD m_threadId = 0;
    bool m_ready = false;
    bool m_refuseAdds = false;
    std::string m_error;
    Thread m_thread;
};

} // namespace e2e
