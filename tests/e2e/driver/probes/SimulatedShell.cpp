#include "probes/SimulatedShell.h"

#include "probes/Desktop.h"
#include "TestRunner.h"
#include "Text.h"

#include <algorithm>
#include <cstring>

namespace e2e {
namespace {

constexpr const char* kTaskbarClass = "Shell_TrayWnd";

// The record Wine's shell32 (Shell_NotifyIconW) sends, the same for 32- and 64-bit callers.
struct WineNotifyData {
    LONG hWnd;
    UINT uID;
    UINT uFlags;
    UINT uCallbackMessage;
    WCHAR szTip[128];
    DWORD dwState;
    DWORD dwStateMask;
    WCHAR szInfo[256];
    UINT uTimeout; // or uVersion
    WCHAR szInfoTitle[64];
    DWORD dwInfoFlags;
    GUID guidItem;
    UINT width; // the icon's bitmap, whose bits follow
    UINT height;
    UINT planes;
    UINT bpp;
};

template <size_t N> std::string FieldText(const WCHAR (&field)[N]) {
    return Narrow(std::wstring(field, std::find(field, field + N, L'\0')));
}

} // namespace

SimulatedShell::SimulatedShell() {
    const std::string desktop = DesktopName();
    m_thread.Start([this, desktop] {
        if (!JoinDesktop(desktop, DefaultTimeoutMs())) {
            std::lock_guard<Lock> hold(m_lock);
            m_error = "the shell cannot join the desktop " + desktop;
            m_ready = true;
            return;
        }
        Run();
    });
    WaitUntil([this] {
        std::lock_guard<Lock> hold(m_lock);
        return m_ready;
    });
    std::string error;
    {
        std::lock_guard<Lock> hold(m_lock);
        error = m_ready ? m_error : "the shell did not start";
    }
    REQUIRE_MSG(error.empty(), error);
}

SimulatedShell::~SimulatedShell() {
    DWORD threadId = 0;
    {
        std::lock_guard<Lock> hold(m_lock);
        threadId = m_threadId;
    }
    if (threadId != 0) {
        PostThreadMessageA(threadId, WM_QUIT, 0, 0);
    }
    m_thread.Join();
}

void SimulatedShell::Run() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = &SimulatedShell::WindowProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kTaskbarClass;
    RegisterClassA(&windowClass); // fails harmlessly when a former shell registered it
    HWND hwnd = CreateWindowExA(WS_EX_TOOLWINDOW, kTaskbarClass, "", WS_POPUP, 0, 0, 1, 1, nullptr,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
    if (hwnd) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    {
        std::lock_guard<Lock> hold(m_lock);
        m_hwnd = hwnd;
        m_threadId = GetCurrentThreadId();
        m_error = hwnd ? "" : "cannot make the shell's window";
        m_ready = true;
    }
    if (!hwnd) {
        return;
    }
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        DispatchMessageA(&msg);
    }
    DestroyWindow(hwnd);
}

LRESULT CALLBACK SimulatedShell::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* shell = reinterpret_cast<SimulatedShell*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (message == WM_COPYDATA && shell) {
        const auto* copy = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        return shell->Receive(static_cast<DWORD>(copy->dwData), copy->lpData, copy->cbData);
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

BOOL SimulatedShell::Receive(DWORD message, const void* data, DWORD bytes) {
    if (bytes < sizeof(WineNotifyData)) {
        return FALSE;
    }
    WineNotifyData record;
    std::memcpy(&record, data, sizeof record);
    ShellRequest request;
    request.message = message;
    request.window = reinterpret_cast<HWND>(static_cast<LONG_PTR>(record.hWnd));
    request.id = record.uID;
    request.flags = record.uFlags;
    request.callbackMessage = record.uCallbackMessage;
    if (record.uFlags & NIF_TIP) {
        request.tip = FieldText(record.szTip);
    }
    if (record.uFlags & NIF_INFO) {
        request.infoTitle = FieldText(record.szInfoTitle);
        request.info = FieldText(record.szInfo);
        request.infoFlags = record.dwInfoFlags;
        request.timeoutMs = record.uTimeout;
    }
    std::lock_guard<Lock> hold(m_lock);
    m_requests.push_back(request);
    auto icon = std::find_if(m_icons.begin(), m_icons.end(), [&](const Icon& known) {
        return known.window == request.window && known.id == request.id;
    });
    switch (message) {
    case NIM_ADD:
        if (icon != m_icons.end() || m_refuseAdds) {
            return FALSE;
        }
        m_icons.push_back({request.window, request.id, request.tip});
        return TRUE;
    case NIM_MODIFY:
        if (icon == m_icons.end()) {
            return FALSE;
        }
        if (request.flags & NIF_TIP) {
            icon->tip = request.tip;
        }
        return TRUE;
    case NIM_DELETE:
        if (icon == m_icons.end()) {
            return FALSE;
        }
        m_icons.erase(icon);
        return TRUE;
    default:
        return icon != m_icons.end();
    }
}

std::vector<ShellRequest> SimulatedShell::Requests(HWND window) const {
    std::lock_guard<Lock> hold(m_lock);
    std::vector<ShellRequest> found;
    std::copy_if(m_requests.begin(), m_requests.end(), std::back_inserter(found),
                 [&](const ShellRequest& request) { return request.window == window; });
    return found;
}

std::vector<ShellRequest> SimulatedShell::Balloons(HWND window) const {
    std::vector<ShellRequest> found = Requests(window);
    found.erase(std::remove_if(found.begin(), found.end(),
                               [](const ShellRequest& r) { return !(r.flags & NIF_INFO); }),
                found.end());
    return found;
}

std::optional<std::string> SimulatedShell::Tip(HWND window, UINT id) const {
    std::lock_guard<Lock> hold(m_lock);
    for (const Icon& icon : m_icons) {
        if (icon.window == window && icon.id == id) {
            return icon.tip;
        }
    }
    return std::nullopt;
}

void SimulatedShell::RefuseAdds(bool refuse) {
    std::lock_guard<Lock> hold(m_lock);
    m_refuseAdds = refuse;
}

void SimulatedShell::Restart() {
    {
        std::lock_guard<Lock> hold(m_lock);
        m_icons.clear();
    }
    PostMessageA(HWND_BROADCAST, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
}

bool SimulatedShell::WaitBalloonCount(HWND window, size_t count, unsigned timeoutMs) const {
    return WaitUntil([&] { return Balloons(window).size() >= count; }, timeoutMs);
}

bool SimulatedShell::WaitTip(HWND window, UINT id, const std::string& tip,
                             unsigned timeoutMs) const {
    return WaitUntil([&] { return Tip(window, id) == tip; }, timeoutMs);
}

} // namespace e2e
