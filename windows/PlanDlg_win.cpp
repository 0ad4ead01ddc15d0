#include "windows/PlanDlg_win.h"

#include <string>

#include "framework/WinApp.h"
#include "plan/PlanSettings.h"
#include "res/messages.h"
#include "windows/Notice_win.h"

namespace {
constexpr const char* kNotSaved = "套餐设置没有保存：设置文件无法写入。";
// Longer than any number the fields take, short enough to keep typing sane.
constexpr int kFieldChars = 16;

struct LimitChoice {
    plan::LimitAction action;
    int radioId;
};
constexpr LimitChoice kLimitChoices[] = {
    {plan::LimitAction::Warn, IDC_PLAN_WARN_RADIO},
    {plan::LimitAction::Ask, IDC_PLAN_ASK_RADIO},
    {plan::LimitAction::HangUp, IDC_PLAN_HANG_UP_RADIO},
};
} // namespace

CPlanDlg::CPlanDlg(store::ProfileStore& settings, CWnd* pParent)
    : CDialog(IDD, pParent), m_settings(settings) {}

CPlanDlg::~CPlanDlg() = default;

BOOL CPlanDlg::OnButtonClicked(UINT nID) {
    static constexpr CommandEntry<CPlanDlg> kCommands[] = {
        {IDC_PLAN_SAVE_BUTTON, &CPlanDlg::OnSave},
        {IDC_RETURN_BUTTON, &CPlanDlg::OnCancel},
    };
    return RunCommand(this, kCommands, nID) || CDialog::OnButtonClicked(nID);
}

BOOL CPlanDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    DressImageButton(m_btnSave, this, IDC_PLAN_SAVE_BUTTON, IDI_DIAL, "保存套餐设置");
    DressImageButton(m_btnReturn, this, IDC_RETURN_BUTTON, IDI_BACK, "不保存，返回");

    const plan::PlanSettings plan = plan::LoadPlanSettings(m_settings);
    SendDlgItemMessage(IDC_PLAN_HOURS_EDIT, EM_LIMITTEXT, kFieldChars);
    SendDlgItemMessage(IDC_PLAN_FIRST_DAY_EDIT, EM_LIMITTEXT, kFieldChars);
    SetDlgItemText(IDC_PLAN_HOURS_EDIT, std::to_string(plan.hours).c_str());
    SetDlgItemText(IDC_PLAN_FIRST_DAY_EDIT, std::to_string(plan.firstDay).c_str());
    // Checking a radio button also gives it the group's tab stop.
    for (const LimitChoice& choice : kLimitChoices) {
        SendDlgItemMessage(choice.radioId, BM_SETCHECK,
                           choice.action == plan.atLimit ? BST_CHECKED : BST_UNCHECKED);
    }
    return TRUE;
}

void CPlanDlg::OnOK() {
    OnSave();
}

void CPlanDlg::OnSave() {
    const plan::FieldValue hours = plan::ReadHoursField(GetDlgItemText(IDC_PLAN_HOURS_EDIT).Str());
    if (!hours.valid) {
        RefuseField(*this, IDC_PLAN_HOURS_EDIT, hours.message);
        return;
    }
    const plan::FieldValue firstDay =
        plan::ReadFirstDayField(GetDlgItemText(IDC_PLAN_FIRST_DAY_EDIT).Str());
    if (!firstDay.valid) {
        RefuseField(*this, IDC_PLAN_FIRST_DAY_EDIT, firstDay.message);
        return;
    }
    plan::PlanSettings plan;
    plan.hours = hours.value;
    plan.firstDay = firstDay.value;
    for (const LimitChoice& choice : kLimitChoices) {
        if (SendDlgItemMessage(choice.radioId, BM_GETCHECK) == BST_CHECKED) {
            plan.atLimit = choice.action;
        }
    }
    if (!plan::SavePlanSettings(m_settings, plan)) {
        ShowNotice(*this, kNotSaved);
        return;
    }
    PostPlanChangedToMainWindow();
    EndDialog(IDOK);
}

void PostPlanChangedToMainWindow() {
    CWnd* pMain = AfxGetApp() != nullptr ? AfxGetApp()->m_pMainWnd : nullptr;
    if (pMain != nullptr && pMain->GetSafeHwnd() != nullptr) {
        pMain->PostMessage(WM_PLANCHANGED);
    }
}

void RefuseField(const CWnd& dialog, int nID, const std::string& message) {
    ShowNotice(dialog, message.c_str());
    HWND field = dialog.GetDlgItem(nID);
    ::SetFocus(field);
    ::SendMessageA(field, EM_SETSEL, 0, -1);
}
