#include "dialer/DialerDlg_win.h"

#include "windows/GuardDlg_win.h"
#include "windows/Notice_win.h"

// The guards of a connection (idle, session limit, time of day) with their countdown window,
// the redial of a dropped line, and the hang-up at the allowance when the plan says so.

namespace {
constexpr const char* kGuardBalloonTitle = "连接保护";
constexpr const char* kLimitHangUpText = "本期套餐时长已用完，已按设置自动挂断";
// Posted with WM_GUARDANSWER beside the window's two answers.
constexpr WPARAM kGuardRanOut = 3;
constexpr WPARAM kLimitReached = 4;
constexpr std::size_t kTipField = 64; // the tip of the first record form, its NUL included
} // namespace

dialer::GuardTick CDialerDlg::GuardTickNow() const {
    dialer::GuardTick tick;
    tick.monotonicMs = m_clock.MonotonicMs();
    tick.local = m_clock.LocalNow();
    tick.connectedSeconds = m_connection.Seconds();
    const store::ConnectionDetail detail = m_connection.Detail();
    if (detail.received && detail.sent) {
        tick.bytes = *detail.received + *detail.sent;
    }
    return tick;
}

void CDialerDlg::OnGuardConnected() {
    m_redialer.OnConnected();
    m_planWatch.AllowOverLimit(m_bDialOverLimit);
    m_bDialOverLimit = false;
    m_guardWatch.Start(dialer::LoadGuardSettings(m_settings), GuardTickNow());
}

void CDialerDlg::OnGuardTick() {
    if (!m_guardWatch.Running()) {
        return;
    }
    const dialer::GuardStep step = m_guardWatch.Tick(GuardTickNow());
    switch (step.action) {
    case dialer::GuardAction::Balloon:
        ShowBalloon(kGuardBalloonTitle, step.text, NIIF_INFO);
        break;
    case dialer::GuardAction::StartCountdown:
        m_countdown.Open(this, step.text);
        ShowBalloon(kGuardBalloonTitle, step.text, NIIF_WARNING);
        break;
    case dialer::GuardAction::UpdateCountdown:
        m_countdown.Update(step.text);
        break;
    case dialer::GuardAction::EndCountdown:
        m_countdown.Close();
        break;
    case dialer::GuardAction::HangUp:
        // Outside the tick that found it due: the hang-up ends the connection this tick serves.
        m_countdown.Close();
        m_strGuardHangUp = step.text;
        PostMessage(WM_GUARDANSWER, kGuardRanOut);
        break;
    case dialer::GuardAction::None:
        break;
    }
}

void CDialerDlg::OnGuardAnswer(WPARAM answer) {
    if (Mode() != 2) {
        return; // the connection ended before the answer came
    }
    switch (answer) {
    case GUARD_ANSWER_KEEP_ONLINE:
        m_guardWatch.KeepOnline(GuardTickNow());
        break;
    case GUARD_ANSWER_HANG_UP_NOW:
        HangUpFor(dialer::EndCause::GuardHangUp,
                  dialer::GuardHangUpText(m_guardWatch.CountdownReason(), m_guardWatch.Settings()));
        break;
    case kGuardRanOut:
        HangUpFor(dialer::EndCause::GuardHangUp, m_strGuardHangUp);
        break;
    case kLimitReached:
        HangUpFor(dialer::EndCause::LimitHangUp, kLimitHangUpText);
        break;
    default:
        break;
    }
}

// The allowance is used up and the plan says to hang up at once: a balloon says why.
void CDialerDlg::HangUpAtLimit() {
    ShowBalloon(kGuardBalloonTitle, kLimitHangUpText, NIIF_WARNING);
    PostMessage(WM_GUARDANSWER, kLimitReached);
}

void CDialerDlg::HangUpFor(dialer::EndCause cause, const std::string& status) {
    m_endCause = cause;
    m_connection.HangUp();
    m_endCause = dialer::EndCause::UserHangUp;
    ShowStatus(status);
}

void CDialerDlg::ConnectionEnded(bool dropped) {
    m_guardWatch.Stop();
    m_countdown.Close();
    const dialer::EndCause cause = dropped ? dialer::EndCause::Dropped : m_endCause;
    const plan::PlanSettings plan = LoadPlan();
    const bool usedUpHangUp = plan.atLimit == plan::LimitAction::HangUp && plan.HasAllowance() &&
                              PlanUsedSeconds(plan) >= plan.AllowanceSeconds();
    m_redialer.OnEnded(cause, dialer::LoadGuardSettings(m_settings), usedUpHangUp,
                       m_clock.MonotonicMs());
    if (m_redialer.Waiting()) {
        ShowStatus(m_redialer.StatusText(m_clock.MonotonicMs()));
    }
}

void CDialerDlg::DialFailed(unsigned error) {
    if (!m_redialer.Dialing()) {
        return;
    }
    const std::int64_t now = m_clock.MonotonicMs();
    m_redialer.OnDialFailed(error, now);
    const std::string text = m_redialer.StatusText(now);
    if (!text.empty()) {
        ShowStatus(text);
    }
}

// Once a second while idle: the pause before the next try, then the try.
void CDialerDlg::OnRedialTimer() {
    if (!m_redialer.Waiting() || m_connection.Handle() != 0) {
        return;
    }
    const std::int64_t now = m_clock.MonotonicMs();
    if (!m_redialer.DialDue(now)) {
        ShowStatus(m_redialer.StatusText(now));
        return;
    }
    dialer::DialRequest request;
    request.entry = GetDlgItemText(IDC_ENTRY_COMBO).Str();
    request.user = GetDlgItemText(IDC_USER_EDIT).Str();
    request.password = GetDlgItemText(IDC_PASSWORD_EDIT).Str();
    m_connection.Dial(request);
    if (m_redialer.Dialing() && m_connection.Handle() != 0) {
        ShowStatus(m_redialer.StatusText(now));
    }
}

void CDialerDlg::OnGuardSettings() {
    CGuardDlg dlg(m_settings, m_ras.HasStatistics(), this);
    if (dlg.DoModal() == IDOK && Mode() == 2) {
        m_guardWatch.Start(dialer::LoadGuardSettings(m_settings), GuardTickNow());
    }
}

// The guard nearest to acting, after the plan's tip while connected.
std::string CDialerDlg::GuardTip(const std::string& planTip) const {
    if (Mode() != 2 || !m_guardWatch.Running()) {
        return planTip;
    }
    const std::string guard = m_guardWatch.TipText(GuardTickNow());
    if (guard.empty() || planTip.size() + 1 + guard.size() >= kTipField) {
        return planTip;
    }
    return planTip + "\n" + guard;
}
