#include "dialer/DialerDlg_win.h"

#include <cstring>

#include "plan/PlanTexts.h"
#include "plan/Usage.h"
#include "plan/Warnings.h"
#include "store/ConnectionRecord.h"
#include "windows/Notice_win.h"

// The monthly allowance as the main window and the tray show it: the tip tells what remains,
// balloons warn at 80 % and 90 %, and at the limit a question offers to hang up. With no
// allowance set none of this shows, and the icon keeps its own record.

static_assert(plan::kTipBytes < sizeof(NOTIFYICONDATAA{}.szTip));
static_assert(plan::kTipBytes < 64); // the tip field of the first record form
static_assert(plan::kBalloonTitleBytes < sizeof(NOTIFYICONDATAA{}.szInfoTitle));
static_assert(plan::kBalloonTextBytes < sizeof(NOTIFYICONDATAA{}.szInfo));

namespace {
constexpr UINT kBalloonTimeoutMs = 15000;

template <std::size_t N> void CopyText(char (&field)[N], const std::string& text) {
    std::memset(field, 0, N);
    std::strncpy(field, text.c_str(), N - 1);
}
} // namespace

plan::PlanSettings CDialerDlg::LoadPlan() const {
    return plan::LoadPlanSettings(m_settings);
}

plan::Cycle CDialerDlg::CurrentCycle(const plan::PlanSettings& plan) const {
    const store::LocalTime now = m_clock.LocalNow();
    return plan::CycleOf(plan::Date{now.year, now.month, now.day}, plan.firstDay);
}

plan::PlanSettings CDialerDlg::PlanNow() const {
    return Mode() == 2 && m_planWatch.Loaded() ? m_planWatch.Plan() : LoadPlan();
}

long long CDialerDlg::RunningSecondsIn(const plan::Cycle& cycle) const {
    return plan::SecondsIn(cycle,
                           plan::RunningConnection(m_clock.LocalNow(), m_connection.Seconds()));
}

long long CDialerDlg::PlanUsedSeconds(const plan::PlanSettings& plan) const {
    if (!plan.HasAllowance()) {
        return 0;
    }
    if (Mode() == 2 && m_planWatch.Loaded()) {
        return m_planWatch.Used(RunningSecondsIn(m_planWatch.CycleNow()));
    }
    return dialer::CycleRecordSeconds(store::ReadConnectionRecords(m_settings), CurrentCycle(plan),
                                      plan);
}

// The log is read here, once a connection (and again when the plan changes, the records are
// cleared or a new cycle begins), never on a tick.
void CDialerDlg::LoadPlanWatch(const plan::PlanSettings& plan) {
    const plan::Cycle cycle = CurrentCycle(plan);
    if (!plan.HasAllowance()) {
        m_planWatch.Load(plan, cycle, 0, 0);
        return;
    }
    m_planWatch.Load(
        plan, cycle,
        dialer::CycleRecordSeconds(store::ReadConnectionRecords(m_settings), cycle, plan),
        plan::LoadWarnedLevel(m_settings, cycle));
}

void CDialerDlg::OnPlanConnected() {
    ++m_nPlanConnection;
    LoadPlanWatch(LoadPlan());
}

void CDialerDlg::OnPlanTick() {
    if (!m_planWatch.Loaded()) {
        return;
    }
    const plan::PlanSettings plan = m_planWatch.Plan();
    if (plan.HasAllowance() && !(CurrentCycle(plan) == m_planWatch.CycleNow())) {
        LoadPlanWatch(plan); // a new cycle began while connected
    }
    const long long running = RunningSecondsIn(m_planWatch.CycleNow());
    const long long used = m_planWatch.Used(running);
    RefreshPlanTip(plan, used);
    // A tick while the question is up (its box runs its own loop) neither warns nor asks.
    if (m_bAskingAtLimit) {
        return;
    }
    const dialer::PlanStep step = m_planWatch.Step(running);
    if (step.warning == dialer::PlanWarning::None) {
        return;
    }
    plan::StoreWarnedLevel(m_settings, m_planWatch.CycleNow(), step.level);
    if (step.warning == dialer::PlanWarning::Balloon) {
        WarnWithBalloon(step.level, plan, used);
        return;
    }
    if (step.warning == dialer::PlanWarning::HangUpNow) {
        HangUpAtLimit();
        return;
    }
    m_bAskingAtLimit = true;
    PostMessage(WM_PLANASKLIMIT, static_cast<WPARAM>(m_nPlanConnection));
}

void CDialerDlg::OnPlanChanged() {
    const plan::PlanSettings plan = LoadPlan();
    if (Mode() == 2) {
        LoadPlanWatch(plan);
        OnPlanTick();
        return;
    }
    RefreshPlanTip(plan, PlanUsedSeconds(plan));
}

bool CDialerDlg::ConfirmDialWithinPlan() {
    if (m_connection.Handle() != 0) {
        return true; // the dial is ignored while one is held
    }
    const plan::PlanSettings plan = LoadPlan();
    if (!plan.HasAllowance()) {
        return true;
    }
    const plan::Cycle cycle = CurrentCycle(plan);
    const long long used =
        dialer::CycleRecordSeconds(store::ReadConnectionRecords(m_settings), cycle, plan);
    if (!plan::AsksBeforeDial(plan, used)) {
        return true;
    }
    // Where the plan hangs up at the allowance, No is the default: a stray Enter dials nothing.
    const UINT defaultButton =
        plan.atLimit == plan::LimitAction::HangUp ? MB_DEFBUTTON2 : MB_DEFBUTTON1;
    if (MessageBox(plan::DialQuestion(plan, used).c_str(), kNoticeCaption,
                   MB_YESNO | MB_ICONQUESTION | defaultButton) != IDYES) {
        return false;
    }
    m_bDialOverLimit = true; // for this connection only
    // The user dials knowing the allowance is used up: the limit's warning is given.
    plan::StoreWarnedLevel(m_settings, cycle, 100);
    return true;
}

void CDialerDlg::OnTrayIconAdded(bool added) {
    if (added) {
        m_strPlanTip.clear(); // the new icon shows the record's own tip
    }
    const plan::PlanSettings plan = PlanNow();
    RefreshPlanTip(plan, PlanUsedSeconds(plan));
}

// Only a change of text reaches the shell; the minutes it shows change once a minute.
void CDialerDlg::RefreshPlanTip(const plan::PlanSettings& plan, long long usedSeconds) {
    if (m_nid.hWnd == nullptr) {
        return; // no icon yet
    }
    const std::string tip = GuardTip(dialer::PlanTrayTip(plan, usedSeconds));
    if (tip == (m_strPlanTip.empty() ? std::string(dialer::kTrayTip) : m_strPlanTip)) {
        return;
    }
    NOTIFYICONDATAA nid = m_nid;
    nid.uFlags = NIF_TIP;
    CopyText(nid.szTip, tip);
    ::Shell_NotifyIconA(NIM_MODIFY, &nid);
    m_strPlanTip = tip;
}

// A shell without balloons ignores the request. Only this call uses the larger record form
// that carries a balloon; the icon itself keeps the first form.
void CDialerDlg::WarnWithBalloon(int level, const plan::PlanSettings& plan, long long usedSeconds) {
    if (m_nid.hWnd == nullptr) {
        return;
    }
    const store::LocalTime now = m_clock.LocalNow();
    const plan::Balloon balloon = plan::WarningBalloon(
        level, plan, usedSeconds, m_planWatch.CycleNow(), plan::Date{now.year, now.month, now.day});
    ShowBalloon(balloon.title, balloon.text, level >= 90 ? NIIF_WARNING : NIIF_INFO);
}

void CDialerDlg::ShowBalloon(const std::string& title, const std::string& text, DWORD flags) {
    if (m_nid.hWnd == nullptr) {
        return;
    }
    NOTIFYICONDATAA nid = m_nid;
    nid.cbSize = NOTIFYICONDATAA_V2_SIZE;
    nid.uFlags = NIF_INFO;
    CopyText(nid.szInfoTitle, title);
    CopyText(nid.szInfo, text);
    nid.uTimeout = kBalloonTimeoutMs;
    nid.dwInfoFlags = flags;
    ::Shell_NotifyIconA(NIM_MODIFY, &nid);
}

// The box runs its own message loop: the seconds go on counting, and the connection may end
// or another begin before the answer comes. Yes hangs up only the connection it was asked for.
void CDialerDlg::OnPlanAskLimit(WPARAM connection) {
    const int asked = static_cast<int>(connection);
    if (Mode() != 2 || asked != m_nPlanConnection) {
        m_bAskingAtLimit = false; // ended before the question came up
        return;
    }
    const plan::PlanSettings plan = m_planWatch.Plan();
    const std::string question = plan::HangUpQuestion(plan, PlanUsedSeconds(plan));
    const bool hangUp = AskYesNo(*this, question.c_str());
    m_bAskingAtLimit = false;
    if (hangUp && Mode() == 2 && asked == m_nPlanConnection) {
        OnHangUp();
    }
}
