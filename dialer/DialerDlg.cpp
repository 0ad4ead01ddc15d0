#include "dialer/DialerDlg.h"

#include <cstring>
#include <vector>

#include "dialer/TrayArea.h"
#include "framework/Handles.h"
#include "framework/WinApp.h"
#include "store/Options.h"
#include "store/SettingsPath_win.h"
#include "windows/HelpDlg.h"
#include "windows/StatsDlg.h"

namespace {
constexpr const char* kReadyText = "准备就绪，等待连接...";
constexpr const char* kNoticeCaption = "提示";
constexpr const char* kTrayTip = "拨号网络计时器";
constexpr const char* kExitQuestion = "注意：关闭程序前请确保网络连接已经被断开，"
                                      "否则本次上网时间将不会被保存！继续退出吗？";
constexpr const char* kShutdownPrivilege = "SeShutdownPrivilege";
constexpr DWORD kExitSystemPauseMs = 3000;
constexpr const char* kNoEntriesText =
    "提示：由于在当前系统中没有检测到任何拨号网络连接，所以本程序无法继续工作！\n\n"
    "请在[控制面板]->[网络连接]中进行拨号网络连接设置！";
} // namespace

CDialerDlg::CDialerDlg(const DialerServices& services, CWnd* pParent)
    : CDialog(IDD, pParent), m_strStatus(kReadyText), m_hIcon(AfxGetApp()->LoadIcon(IDR_MAINFRAME)),
      m_ras(services.ras), m_settings(services.settings), m_protector(services.protector),
      m_connection(services.ras, services.clock, services.settings,
                   static_cast<dialer::ConnectionView&>(*this)) {}

CDialerDlg::~CDialerDlg() = default;

void CDialerDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_ENTRY_COMBO, m_comboEntry);
    DDX_Control(pDX, IDC_SAVE_CHECK, m_chkSave);
    DDX_Text(pDX, IDC_STATUS_STATIC, m_strStatus);
}

BOOL CDialerDlg::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    switch (message) {
    case WM_PAINT:
        OnPaint();
        return TRUE;
    case WM_QUERYDRAGICON:
        *pResult = reinterpret_cast<LRESULT>(OnQueryDragIcon());
        return TRUE;
    case WM_TIMER:
        OnTimer(wParam);
        return TRUE;
    case WM_DESTROY:
        OnDestroy();
        return TRUE;
    case WM_SYSCOMMAND:
        OnSysCommand(static_cast<UINT>(wParam), lParam);
        return TRUE;
    case WM_TRAYNOTIFY:
        *pResult = OnTrayNotify(wParam, lParam);
        return TRUE;
    case WM_CLOSE:
        OnClose();
        return TRUE;
    case WM_ENDSESSION:
        OnEndSession(static_cast<BOOL>(wParam));
        return TRUE;
    default:
        return CDialog::OnWndMsg(message, wParam, lParam, pResult);
    }
}

// A tray menu item with a button's id runs the button's handler.
BOOL CDialerDlg::OnButtonClicked(UINT nID) {
    static constexpr CommandEntry<CDialerDlg> kCommands[] = {
        {IDC_SAVE_CHECK, &CDialerDlg::OnSaveCredentials},
        {IDC_DIAL_BUTTON, &CDialerDlg::OnDial},
        {IDC_HANGUP_BUTTON, &CDialerDlg::OnHangUp},
        {IDC_STATS_BUTTON, &CDialerDlg::OnShowStatistics},
        {IDC_HELP_BUTTON, &CDialerDlg::OnShowHelp},
        {ID_TRAY_SHOW_MAIN, &CDialerDlg::OnShowMain},
        {ID_TRAY_SHOW_AND_DIAL, &CDialerDlg::OnShowAndDial},
        {ID_TRAY_EXIT, &CDialerDlg::OnExit},
        {ID_TRAY_RESTART, &CDialerDlg::OnRestart},
        {ID_TRAY_SHUT_DOWN, &CDialerDlg::OnShutDown},
    };
    return RunCommand(this, kCommands, nID) || CDialog::OnButtonClicked(nID);
}

BOOL CDialerDlg::OnSelChange(UINT nID) {
    static constexpr CommandEntry<CDialerDlg> kCommands[] = {
        {IDC_ENTRY_COMBO, &CDialerDlg::OnSelchangeEntry},
    };
    return RunCommand(this, kCommands, nID) || CDialog::OnSelChange(nID);
}

BOOL CDialerDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);

    const std::string path = store::SettingsFilePath();
    std::strncpy(m_szIniPath, path.c_str(), sizeof(m_szIniPath) - 1);

    DressImageButton(m_btnDial, this, IDC_DIAL_BUTTON, IDI_DIAL, "连接网络，开始计时");
    DressImageButton(m_btnHangUp, this, IDC_HANGUP_BUTTON, IDI_HANG_UP, "断开网络连接");
    DressImageButton(m_btnStats, this, IDC_STATS_BUTTON, IDI_STATISTICS, "统计计时时间");
    DressImageButton(m_btnHelp, this, IDC_HELP_BUTTON, IDI_HELP, "软件使用说明");

    if (!ListPhoneBookEntries()) {
        MessageBox(kNoEntriesText, kNoticeCaption, MB_OK | MB_ICONINFORMATION);
        ::ExitProcess(1);
    }
    RestoreSavedAccount();
    return TRUE;
}

bool CDialerDlg::ListPhoneBookEntries() {
    const std::vector<std::string> names = m_ras.ListEntries();
    for (const std::string& name : names) {
        m_comboEntry.AddString(name.c_str());
    }
    if (names.empty()) {
        return false;
    }
    m_comboEntry.SetCurSel(0);
    return true;
}

void CDialerDlg::RestoreSavedAccount() {
    const store::SavedAccount saved = store::LoadSavedAccount(m_settings, m_protector);
    if (!saved.restore) {
        return;
    }
    m_chkSave.SetCheck(BST_CHECKED);
    // A stored index the list no longer has leaves nothing selected (not every system's combo
    // box clears the selection itself).
    const bool inList = saved.entryIndex >= 0 && saved.entryIndex < m_comboEntry.GetCount();
    m_comboEntry.SetCurSel(inList ? saved.entryIndex : -1);
    SetDlgItemText(IDC_USER_EDIT, saved.user.c_str());
    SetDlgItemText(IDC_PASSWORD_EDIT, saved.password.c_str());
}

void CDialerDlg::OnSaveCredentials() {
    if (m_chkSave.GetCheck() == BST_CHECKED) {
        m_chkSave.SetCheck(BST_CHECKED);
        store::RememberAccount(m_settings, m_protector, GetDlgItemText(IDC_USER_EDIT).Str(),
                               GetDlgItemText(IDC_PASSWORD_EDIT).Str());
    } else {
        store::ForgetAccount(m_settings);
        m_chkSave.SetCheck(BST_UNCHECKED);
    }
}

void CDialerDlg::OnSelchangeEntry() {
    store::ForgetAccount(m_settings);
    m_chkSave.SetCheck(BST_UNCHECKED);
    store::StoreEntryIndex(m_settings, m_comboEntry.GetCurSel());
}

void CDialerDlg::OnPaint() {
    if (!IsIconic()) {
        Default();
        return;
    }
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
    const int cxIcon = ::GetSystemMetrics(SM_CXICON);
    const int cyIcon = ::GetSystemMetrics(SM_CYICON);
    RECT rect;
    GetClientRect(&rect);
    const int x = (rect.right - rect.left - cxIcon + 1) / 2;
    const int y = (rect.bottom - rect.top - cyIcon + 1) / 2;
    dc.DrawIcon(x, y, m_hIcon);
}

HCURSOR CDialerDlg::OnQueryDragIcon() {
    return static_cast<HCURSOR>(m_hIcon);
}

HBRUSH CDialerDlg::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
    return CDialog::OnCtlColor(pDC, pWnd, nCtlColor);
}

int CDialerDlg::Mode() const {
    return m_connection.Mode();
}

void CDialerDlg::OnDial() {
    dialer::DialRequest request;
    request.entry = GetDlgItemText(IDC_ENTRY_COMBO).Str();
    request.user = GetDlgItemText(IDC_USER_EDIT).Str();
    request.password = GetDlgItemText(IDC_PASSWORD_EDIT).Str();
    m_connection.Dial(request);
}

void CDialerDlg::OnHangUp() {
    m_connection.HangUp();
}

void WINAPI CDialerDlg::RasDialNotify(UINT, RASCONNSTATE state, DWORD error) {
    CWinApp* pApp = AfxGetApp();
    CWnd* pMainWnd = pApp != nullptr ? pApp->m_pMainWnd : nullptr;
    if (pMainWnd != nullptr && pMainWnd->m_hWnd != nullptr) {
        ::PostMessageA(pMainWnd->m_hWnd, WM_RASDIALEVENT, static_cast<WPARAM>(state),
                       static_cast<LPARAM>(error));
    }
}

// The dial events have no entry in the message map: they reach the default processing.
LRESULT CDialerDlg::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_RASDIALEVENT) {
        return OnRasDialEvent(wParam, lParam);
    }
    return CDialog::DefWindowProc(message, wParam, lParam);
}

LRESULT CDialerDlg::OnRasDialEvent(WPARAM state, LPARAM error) {
    m_connection.OnDialEvent(static_cast<unsigned>(state), static_cast<unsigned>(error));
    return 0;
}

void CDialerDlg::OnTimer(UINT_PTR nIDEvent) {
    if (nIDEvent == ID_TIMER_SECONDS) {
        m_connection.OnTick();
    }
    Default();
}

void CDialerDlg::OnDestroy() {
    KillTimer(ID_TIMER_SECONDS);
    ::Shell_NotifyIconA(NIM_DELETE, &m_nid);
    Default();
}

void CDialerDlg::FillTrayIconRecord() {
    m_nid = NOTIFYICONDATAA{};
    m_nid.cbSize = NOTIFYICONDATAA_V1_SIZE;
    m_nid.hWnd = m_hWnd;
    m_nid.uID = IDR_MAINFRAME;
    m_nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    m_nid.uCallbackMessage = WM_TRAYNOTIFY;
    m_nid.hIcon = ::LoadIconA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME));
    std::strncpy(m_nid.szTip, kTrayTip, sizeof(m_nid.szTip) - 1);
}

void CDialerDlg::ApplyControls(const dialer::ControlStates& states) {
    EnableDlgItem(IDC_DIAL_BUTTON, states.dial);
    EnableDlgItem(IDC_HANGUP_BUTTON, states.hangUp);
    EnableDlgItem(IDC_ENTRY_COMBO, states.entry);
    EnableDlgItem(IDC_USER_EDIT, states.user);
    EnableDlgItem(IDC_PASSWORD_EDIT, states.password);
}

void CDialerDlg::ShowStatus(const std::string& text) {
    SetDlgItemText(IDC_STATUS_STATIC, text.c_str());
}

void CDialerDlg::ShowStageText(unsigned stringId) {
    char text[256] = "";
    ::LoadStringA(AfxGetInstanceHandle(), stringId, text, sizeof(text));
    SetDlgItemText(IDC_STATUS_STATIC, "");
    SetDlgItemText(IDC_STATUS_STATIC, text);
}

void CDialerDlg::ShowTickStatus(const std::string& text) {
    m_strStatus = CString(text);
    UpdateData(FALSE);
}

void CDialerDlg::StartSecondsTimer() {
    SetTimer(ID_TIMER_SECONDS, 1000);
}

void CDialerDlg::StopSecondsTimer() {
    KillTimer(ID_TIMER_SECONDS);
}

void CDialerDlg::ShowConnected() {
    AddTrayIcon();
    ShowWindow(SW_HIDE);
}

void CDialerDlg::ReportUnsavedRecord(const std::string& message) {
    MessageBox(message.c_str(), kNoticeCaption, MB_OK | MB_ICONINFORMATION);
}

void CDialerDlg::OnShowStatistics() {
    CStatsDlg dlg;
    dlg.DoModal();
}

void CDialerDlg::OnShowHelp() {
    CHelpDlg dlg;
    dlg.DoModal();
}

// The tray icon is added again on every minimise and connect; the shell keeps one icon per
// window and id, so a repeated add changes nothing.
void CDialerDlg::AddTrayIcon() {
    FillTrayIconRecord();
    ::Shell_NotifyIconA(NIM_ADD, &m_nid);
}

static bool IsMinimizeCommand(WPARAM wParam) {
    return (wParam & 0xFFF0) == SC_MINIMIZE;
}

LRESULT CDialerDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    // The same test as OnSysCommand's, so that no minimise hides the window without an icon
    // to bring it back.
    if (message == WM_SYSCOMMAND && IsMinimizeCommand(wParam)) {
        AnimateToTray();
        AddTrayIcon();
    }
    return CDialog::WindowProc(message, wParam, lParam);
}

void CDialerDlg::OnSysCommand(UINT nID, LPARAM) {
    if (IsMinimizeCommand(nID)) {
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

namespace {
dialer::ScreenRect ToScreenRect(const RECT& rect) {
    return dialer::ScreenRect{rect.left, rect.top, rect.right, rect.bottom};
}
RECT ToRect(const dialer::ScreenRect& rect) {
    return RECT{rect.left, rect.top, rect.right, rect.bottom};
}
} // namespace

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

bool CDialerDlg::ConfirmExit() {
    return MessageBox(kExitQuestion, kNoticeCaption, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void CDialerDlg::EndProgram() {
    OnHangUp();
    CDialog::OnCancel();
}

void CDialerDlg::OnExit() {
    if (ConfirmExit()) {
        EndProgram();
    }
}

// On yes the window ends here rather than through the default processing, which would turn
// the close into a Cancel command and ask a second time.
void CDialerDlg::OnClose() {
    if (ConfirmExit()) {
        EndProgram();
    }
}

// Enter and Esc take the close box's path: a running connection is never left unrecorded.
void CDialerDlg::OnOK() {
    OnClose();
}

void CDialerDlg::OnCancel() {
    OnClose();
}

void CDialerDlg::OnEndSession(BOOL bEnding) {
    // The session ends without asking; the process will not get another chance to store the
    // running connection.
    if (bEnding) {
        OnHangUp();
    }
}

void CDialerDlg::OnRestart() {
    ExitSystem(EWX_REBOOT | EWX_FORCE);
}

void CDialerDlg::OnShutDown() {
    ExitSystem(EWX_SHUTDOWN | EWX_FORCE | EWX_POWEROFF);
}

void CDialerDlg::ExitSystem(UINT uFlags) {
    OnHangUp();
    ::Sleep(kExitSystemPauseMs);
    HANDLE token = nullptr;
    if (::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
        fw::UniqueHandle tokenOwner(token);
        TOKEN_PRIVILEGES privileges{};
        if (::LookupPrivilegeValueA(nullptr, kShutdownPrivilege, &privileges.Privileges[0].Luid)) {
            privileges.PrivilegeCount = 1;
            privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
            ::AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
        }
    }
    ::ExitWindowsEx(uFlags, 0);
}
