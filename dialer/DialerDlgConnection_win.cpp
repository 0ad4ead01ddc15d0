#include "dialer/DialerDlg_win.h"

#include "dialer/RasService_win.h"
#include "framework/WinApp.h"
#include "windows/Notice_win.h"

// Dialing and the connection as the main window shows it.

// The connection tells the RAS states apart by their numbers.
static_assert(dialer::kRasWaitForCallback == RASCS_WaitForCallback);
static_assert(dialer::kRasInteractive == RASCS_Interactive);
static_assert(dialer::kRasPasswordExpired == RASCS_PasswordExpired);
static_assert(dialer::kRasDoneBit == RASCS_DONE);
static_assert(dialer::kRasConnected == RASCS_Connected);
static_assert(dialer::kRasDisconnected == RASCS_Disconnected);

int CDialerDlg::Mode() const {
    return m_connection.Mode();
}

void CDialerDlg::OnDial() {
    if (!ConfirmDialWithinPlan()) {
        return;
    }
    m_redialer.Cancel();
    dialer::DialRequest request;
    request.entry = GetDlgItemText(IDC_ENTRY_COMBO).Str();
    request.user = GetDlgItemText(IDC_USER_EDIT).Str();
    request.password = GetDlgItemText(IDC_PASSWORD_EDIT).Str();
    m_connection.Dial(request);
}

void CDialerDlg::OnHangUp() {
    m_redialer.Cancel();
    m_connection.HangUp();
    // Every way out hangs up here: what could not be stored is shown before the window ends.
    ShowHeldNotices();
}

// Never reads the window object, which the user-interface thread may be deleting at exit: the
// service hands the event to the window handle it was given before the first dial.
void WINAPI CDialerDlg::RasDialNotify(UINT, RASCONNSTATE state, DWORD error) {
    dialer::RasService::PostDialEvent(static_cast<UINT>(state), error);
}

// The dial events have no entry in the message table: they reach the default processing.
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

// The counter runs on through a sleep and the line does not survive it: the connection ends as
// the system goes to sleep, or at the wake-up when no notice of the sleep came.
LRESULT CDialerDlg::OnPowerBroadcast(WPARAM event) {
    switch (event) {
    case PBT_APMSUSPEND:
        m_redialer.Cancel();
        m_endCause = dialer::EndCause::Suspend;
        m_connection.OnSuspend();
        m_endCause = dialer::EndCause::UserHangUp;
        break;
    case PBT_APMRESUMECRITICAL:
    case PBT_APMRESUMESUSPEND:
    case PBT_APMRESUMEAUTOMATIC:
        m_endCause = dialer::EndCause::Suspend;
        m_connection.OnResume();
        m_endCause = dialer::EndCause::UserHangUp;
        break;
    default:
        break;
    }
    return TRUE; // grants any request to sleep
}

void CDialerDlg::OnTimer(UINT_PTR nIDEvent) {
    if (nIDEvent == ID_TIMER_SECONDS) {
        m_connection.OnTick();
    } else if (nIDEvent == ID_TIMER_WATCH) {
        m_connection.OnWatch();
        OnRedialTimer();
    }
    Default();
}

void CDialerDlg::OnDestroy() {
    dialer::RasService::SetEventWindow(nullptr);
    KillTimer(ID_TIMER_SECONDS);
    KillTimer(ID_TIMER_WATCH);
    m_countdown.Close();
    ::Shell_NotifyIconA(NIM_DELETE, &m_nid);
    Default();
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
    OnPlanTick();
    OnGuardTick();
}

void CDialerDlg::StartSecondsTimer() {
    SetTimer(ID_TIMER_SECONDS, 1000);
}

void CDialerDlg::StopSecondsTimer() {
    KillTimer(ID_TIMER_SECONDS);
}

void CDialerDlg::ShowConnected() {
    OnPlanConnected();
    OnGuardConnected();
    // Without an icon the window stays on screen: it is the only way back.
    if (AddTrayIcon()) {
        ShowWindow(SW_HIDE);
    }
}

// The window is left as it is: the user did not start this connection here.
void CDialerDlg::ShowFollowing(const std::string& entry) {
    const int index = m_comboEntry.FindStringExact(-1, entry.c_str());
    if (index >= 0) {
        m_comboEntry.SetCurSel(index);
    }
    OnPlanConnected();
    OnGuardConnected();
    AddTrayIcon();
}

// A box shown from inside a dial event or tick would let the next tick run under it, and hold
// back the rest of that event (the icon, the timer) until it was answered.
void CDialerDlg::ReportUnsavedRecord(const std::string& message) {
    m_heldNotices.push_back(message);
    PostMessage(WM_UNSAVEDNOTICE);
}

void CDialerDlg::ShowHeldNotices() {
    // One box at a time: a notice reported while one is open follows it.
    if (m_bShowingNotice) {
        return;
    }
    m_bShowingNotice = true;
    while (!m_heldNotices.empty()) {
        const std::string message = std::move(m_heldNotices.front());
        m_heldNotices.pop_front();
        ShowNotice(*this, message.c_str());
    }
    m_bShowingNotice = false;
}
