#include "dialer/DialerDlg_win.h"

#include <cstring>
#include <vector>

#include "dialer/RasService_win.h"
#include "framework/WinApp.h"
#include "store/Options.h"
#include "store/SettingsPath_win.h"
#include "windows/HelpDlg_win.h"
#include "windows/Notice_win.h"
#include "windows/StatsDlg_win.h"

// The main window itself: its messages and commands, the start, the account fields, and the
// two windows it opens. Dialing, the tray and leaving have files of their own.

namespace {
constexpr const char* kReadyText = "准备就绪，等待连接...";
constexpr const char* kNoEntriesText =
    "提示：由于在当前系统中没有检测到任何拨号网络连接，所以本程序无法继续工作！\n\n"
    "请在[控制面板]->[网络连接]中进行拨号网络连接设置！";
} // namespace

CDialerDlg::CDialerDlg(const DialerServices& services, CWnd* pParent)
    : CDialog(IDD, pParent), m_strStatus(kReadyText), m_hIcon(AfxGetApp()->LoadIcon(IDR_MAINFRAME)),
      m_ras(services.ras), m_clock(services.clock), m_settings(services.settings),
      m_protector(services.protector), m_processes(services.processes),
      m_connection(services.ras, services.clock, services.settings,
                   static_cast<dialer::ConnectionView&>(*this), services.processes.Current()) {}

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
    case WM_POWERBROADCAST:
        *pResult = OnPowerBroadcast(wParam);
        return TRUE;
    case WM_PLANCHANGED:
        OnPlanChanged();
        return TRUE;
    case WM_PLANASKLIMIT:
        OnPlanAskLimit(wParam);
        return TRUE;
    case WM_UNSAVEDNOTICE:
        ShowHeldNotices();
        return TRUE;
    case WM_GUARDANSWER:
        OnGuardAnswer(wParam);
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
        {IDC_PLAN_BUTTON, &CDialerDlg::OnPlanSettings},
        {IDC_GUARD_BUTTON, &CDialerDlg::OnGuardSettings},
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
        ShowNotice(*this, kNoEntriesText);
        ::ExitProcess(1);
    }
    // Before the window is used: a settings file it must leave alone, or a connection of a run
    // that never ended it.
    for (const std::string& notice : m_connection.Start(&m_processes)) {
        ShowNotice(*this, notice.c_str());
    }
    RestoreSavedAccount();
    dialer::RasService::SetEventWindow(GetSafeHwnd());
    m_connection.FollowOnStart();
    SetTimer(ID_TIMER_WATCH, WATCH_INTERVAL_MS);
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
    // A password that cannot be opened is not shown as remembered. The file stays as it is: on a
    // shared system directory it may hold another user's.
    m_chkSave.SetCheck(saved.passwordUnreadable ? BST_UNCHECKED : BST_CHECKED);
    // A stored index the list no longer has leaves nothing selected (not every system's combo
    // box clears the selection itself).
    const bool inList = saved.entryIndex >= 0 && saved.entryIndex < m_comboEntry.GetCount();
    m_comboEntry.SetCurSel(inList ? saved.entryIndex : -1);
    SetDlgItemText(IDC_USER_EDIT, saved.user.c_str());
    SetDlgItemText(IDC_PASSWORD_EDIT, saved.password.c_str());
    if (saved.passwordUnreadable) {
        ShowNotice(*this, store::kPasswordUnreadableNotice);
    }
}

void CDialerDlg::OnSaveCredentials() {
    if (m_chkSave.GetCheck() == BST_CHECKED) {
        m_chkSave.SetCheck(BST_CHECKED);
        if (!store::RememberAccount(m_settings, m_protector, GetDlgItemText(IDC_USER_EDIT).Str(),
                                    GetDlgItemText(IDC_PASSWORD_EDIT).Str())) {
            m_chkSave.SetCheck(BST_UNCHECKED);
            ShowNotice(*this, store::kPasswordNotSealedNotice);
        }
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

void CDialerDlg::OnShowStatistics() {
    CStatsDlg dlg;
    dlg.SetTrafficFigures(m_ras.HasStatistics());
    dlg.DoModal();
}

void CDialerDlg::OnShowHelp() {
    CHelpDlg dlg;
    dlg.DoModal();
}
