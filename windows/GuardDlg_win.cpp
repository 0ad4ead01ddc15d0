#include "windows/GuardDlg_win.h"

#include <string>
#include <string_view>

#include "dialer/Guards.h"
#include "windows/Notice_win.h"
#include "windows/PlanDlg_win.h"

namespace {
constexpr const char* kNotSaved = "连接保护设置没有保存：设置文件无法写入。";
constexpr const char* kNoTrafficFigures = "本机的拨号服务不提供流量数据，无法判断空闲";
// Longer than any value the fields take, short enough to keep typing sane.
constexpr int kFieldChars = 16;

// The fields in the order they are read (and the first bad one refused).
enum Field { Idle, Threshold, Hours, Minutes, Daily, Tries, Pause, kFieldCount };
struct FieldReader {
    int id;
    plan::FieldValue (*read)(std::string_view typed);
};
constexpr FieldReader kFields[kFieldCount] = {
    {IDC_GUARD_IDLE_EDIT, &dialer::ReadIdleMinutesField},
    {IDC_GUARD_THRESHOLD_EDIT, &dialer::ReadIdleThresholdField},
    {IDC_GUARD_HOURS_EDIT, &dialer::ReadSessionHoursField},
    {IDC_GUARD_MINUTES_EDIT, &dialer::ReadSessionMinutesField},
    {IDC_GUARD_DAILY_EDIT, &dialer::ReadDailyTimeField},
    {IDC_GUARD_TRIES_EDIT, &dialer::ReadRedialTriesField},
    {IDC_GUARD_PAUSE_EDIT, &dialer::ReadRedialPauseField},
};
} // namespace

CGuardDlg::CGuardDlg(store::ProfileStore& settings, bool trafficFigures, CWnd* pParent)
    : CDialog(IDD, pParent), m_settings(settings), m_bTrafficFigures(trafficFigures) {}

CGuardDlg::~CGuardDlg() = default;

BOOL CGuardDlg::OnButtonClicked(UINT nID) {
    static constexpr CommandEntry<CGuardDlg> kCommands[] = {
        {IDC_GUARD_SAVE_BUTTON, &CGuardDlg::OnSave},
        {IDC_RETURN_BUTTON, &CGuardDlg::OnCancel},
    };
    return RunCommand(this, kCommands, nID) || CDialog::OnButtonClicked(nID);
}

BOOL CGuardDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    DressImageButton(m_btnSave, this, IDC_GUARD_SAVE_BUTTON, IDI_DIAL, "保存连接保护设置");
    DressImageButton(m_btnReturn, this, IDC_RETURN_BUTTON, IDI_BACK, "不保存，返回");

    const dialer::GuardSettings guards = dialer::LoadGuardSettings(m_settings);
    const std::string shown[kFieldCount] = {
        std::to_string(guards.idleMinutes),
        std::to_string(guards.idleThresholdBytes),
        std::to_string(guards.sessionMinutes / 60),
        std::to_string(guards.sessionMinutes % 60),
        guards.dailyMinute ? dialer::DailyTimeText(*guards.dailyMinute) : std::string(),
        std::to_string(guards.redialTries),
        std::to_string(guards.redialPauseSeconds),
    };
    for (int field = 0; field < kFieldCount; ++field) {
        SendDlgItemMessage(kFields[field].id, EM_LIMITTEXT, kFieldChars);
        SetDlgItemText(kFields[field].id, shown[field].c_str());
    }
    // The idle fields keep what is stored, which a save writes back unchanged.
    if (!m_bTrafficFigures) {
        EnableDlgItem(IDC_GUARD_IDLE_EDIT, FALSE);
        EnableDlgItem(IDC_GUARD_THRESHOLD_EDIT, FALSE);
        SetDlgItemText(IDC_GUARD_NO_FIGURES_STATIC, kNoTrafficFigures);
    }
    // The focus goes to the first field that is enabled.
    return TRUE;
}

void CGuardDlg::OnOK() {
    OnSave();
}

void CGuardDlg::OnSave() {
    int values[kFieldCount] = {};
    for (int field = 0; field < kFieldCount; ++field) {
        const plan::FieldValue read = kFields[field].read(GetDlgItemText(kFields[field].id).Str());
        if (!read.valid) {
            RefuseField(*this, kFields[field].id, read.message);
            return;
        }
        values[field] = read.value;
    }
    dialer::GuardSettings guards;
    guards.idleMinutes = values[Idle];
    guards.idleThresholdBytes = values[Threshold];
    guards.sessionMinutes = values[Hours] * 60 + values[Minutes];
    if (values[Daily] >= 0) {
        guards.dailyMinute = values[Daily];
    }
    guards.redialTries = values[Tries];
    guards.redialPauseSeconds = values[Pause];
    if (!dialer::SaveGuardSettings(m_settings, guards)) {
        ShowNotice(*this, kNotSaved);
        return;
    }
    EndDialog(IDOK);
}
