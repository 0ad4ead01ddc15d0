#include "dialer/DialerDlg_win.h"

#include <cstring>

#include "dialer/TrayArea.h"
#include "framework/Handles.h"
#include "framework/WinApp.h"
#include "windows/PlanDlg_win.h"

// The tray icon, its menus, and the caption animation between the window and the tray.

// The tray logic's mouse messages are the system's.
static_assert(dialer::kLeftButtonDoubleClick == WM_LBUTTONDBLCLK);
static_assert(dialer::kRightButtonDown == WM_RBUTTONDOWN);
// The callback's message number, and the record's first, 88-byte form.
static_assert(WM_TRAYNOTIFY == WM_APP + 100);
static_assert(NOTIFYICONDATAA_V1_SIZE == 88);

namespace {
bool IsMinimizeCommand(WPARAM wParam) {
    return (wParam & 0xFFF0) == SC_MINIMIZE;
}

// The shell broadcasts it when it starts; a registered number, which the message table cannot
// name. 0 when it cannot be registered.
UINT TaskbarCreatedMessage() {
    static const UINT message = ::RegisterWindowMessageA("TaskbarCreated");
    return message;
}

dialer::ScreenRect ToScreenRect(const RECT& rect) {
    return dialer::ScreenRect{rect.left, rect.top, rect.right, rect.bottom};
}

RECT ToRect(const dialer::ScreenRect& rect) {
    return RECT{rect.left, rect.top, rect.right, rect.bottom};
}
} // namespace

void CDialerDlg::FillTrayIconRecord() {
    m_nid = NOTIFYICONDATAA{};
    m_nid.cbSize = NOTIFYICONDATAA_V1_SIZE;
    m_nid.hWnd = m_hWnd;
    m_nid.uID = IDR_MAINFRAME;
    m_nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    m_nid.uCallbackMessage = WM_TRAYNOTIFY;
    m_nid.hIcon = ::LoadIconA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME));
    std::strncpy(m_nid.szTip, dialer::kTrayTip, sizeof(m_nid.szTip) - 1);
}

// The tray icon is added again on every minimise and connect. The shell keeps one icon per
// window and id and refuses a second add, so a refused add asks with a modify that changes
// nothing whether the icon is there.
bool CDialerDlg::AddTrayIcon() {
    FillTrayIconRecord();
    const bool added = ::Shell_NotifyIconA(NIM_ADD, &m_nid) != FALSE;
    OnTrayIconAdded(added);
    NOTIFYICONDATAA probe = m_nid;
    probe.uFlags = 0;
    m_bTrayIconShown = added || ::Shell_NotifyIconA(NIM_MODIFY, &probe) != FALSE;
    return m_bTrayIconShown;
}

// A restarted shell (Explorer ended, or not yet ready at log-on) holds no icon: the program's
// comes back, with the tip as it stands, once it has had one or tried to add one.
void CDialerDlg::OnTaskbarCreated() {
    if (m_nid.hWnd == nullptr) {
        return;
    }
    if (!AddTrayIcon()) {
        ShowWindow(SW_SHOW); // never hidden without an icon to come back by
    }
}

LRESULT CDialerDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    // The same test as OnSysCommand's, which hides the window only when the icon is there to
    // bring it back; else the window is minimised on the taskbar.
    if (message == WM_SYSCOMMAND && IsMinimizeCommand(wParam) && AddTrayIcon()) {
        AnimateToTray();
    }
    if (message == TaskbarCreatedMessage() && message != 0) {
        OnTaskbarCreated();
        return 0;
    }
    return CDialog::WindowProc(message, wParam, lParam);
}

void CDialerDlg::OnSysCommand(UINT nID, LPARAM) {
    if (IsMinimizeCommand(nID) && m_bTrayIconShown) {
        ShowWindow(SW_HIDE);
        return;
    }
    Default();
}

LRESULT CDialerDlg::OnTrayNotify(WPARAM wParam, LPARAM lParam) {
    switch (
        dialer::ClassifyTrayNotify(static_cast<unsigned>(wParam), static_cast<unsigned>(lParam))) {
    case dialer::TrayRequest::ShowWindow:
        OnShowMain();
        break;
    case dialer::TrayRequest::OpenMenu:
        ShowTrayMenu();
        break;
    case dialer::TrayRequest::None:
        break;
    }
    return 0;
}

void CDialerDlg::ShowTrayMenu() {
    const fw::UniqueMenu menu(
        ::LoadMenuA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(dialer::TrayMenuFor(Mode()))));
    if (menu == nullptr) {
        return;
    }
    POINT cursor{};
    ::GetCursorPos(&cursor);
    ::SetForegroundWindow(m_hWnd);
    ::TrackPopupMenu(::GetSubMenu(menu, 0), TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, m_hWnd,
                     nullptr);
    // Without a message after the menu, the next click beside it would not close it.
    PostMessage(WM_NULL);
}

void CDialerDlg::OnShowMain() {
    AnimateFromTray();
    ShowWindow(SW_SHOW);
}

void CDialerDlg::OnShowAndDial() {
    OnShowMain();
    OnDial();
}

// From the tray menus, like the statistics window: over the main window, or over the work area
// while it is hidden.
void CDialerDlg::OnPlanSettings() {
    CPlanDlg dlg(m_settings);
    dlg.DoModal();
}

bool CDialerDlg::GetTrayAreaRect(RECT* rect) const {
    HWND hTaskbar = ::FindWindowA("Shell_TrayWnd", nullptr);
    if (hTaskbar == nullptr) {
        return false;
    }
    RECT taskbar{};
    ::GetWindowRect(hTaskbar, &taskbar);
    dialer::TrayAreaWalk walk(ToScreenRect(taskbar));
    ::EnumChildWindows(hTaskbar, &CDialerDlg::EnumTrayChildProc, reinterpret_cast<LPARAM>(&walk));
    *rect = ToRect(walk.Rect());
    return true;
}

BOOL CALLBACK CDialerDlg::EnumTrayChildProc(HWND hwnd, LPARAM lParam) {
    auto* walk = reinterpret_cast<dialer::TrayAreaWalk*>(lParam);
    char className[255] = "";
    ::GetClassNameA(hwnd, className, sizeof(className));
    RECT rect{};
    ::GetWindowRect(hwnd, &rect);
    return walk->Visit(className, ToScreenRect(rect)) ? TRUE : FALSE;
}

void CDialerDlg::AnimateToTray() const {
    AnimateCaption(true);
}

void CDialerDlg::AnimateFromTray() const {
    AnimateCaption(false);
}

// The window's rectangle is its last one also while it is hidden.
void CDialerDlg::AnimateCaption(bool toTray) const {
    RECT tray;
    if (!GetTrayAreaRect(&tray)) {
        return;
    }
    RECT window;
    ::GetWindowRect(m_hWnd, &window);
    ::DrawAnimatedRects(m_hWnd, IDANI_CAPTION, toTray ? &window : &tray, toTray ? &tray : &window);
}
