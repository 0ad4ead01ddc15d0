#include "windows/PlanDlg_win.h"

#include <cstddef>
#include <string>
#include <string_view>

#include "framework/WinApp.h"
#include "plan/PlanSettings.h"
#include "res/messages.h"
#include "windows/Notice_win.h"

namespace {
constexpr const char* kNotSaved = "套餐设置没有保存：设置文件无法写入。";
// Longer than any number the fields take, short enough to keep typing sane.
constexpr int kFieldChars = 16;

// One radio button of a set of choices.
template <typename Value> struct Choice {
    Value value;
    int radioId;
};
constexpr Choice<plan::LimitAction> kLimitChoices[] = {
    {plan::LimitAction::Warn, IDC_PLAN_WARN_RADIO},
    {plan::LimitAction::Ask, IDC_PLAN_ASK_RADIO},
    {plan::LimitAction::HangUp, IDC_PLAN_HANG_UP_RADIO},
};
constexpr Choice<plan::Billing> kBillingChoices[] = {
    {plan::Billing::PerSecond, IDC_PLAN_BILL_SECOND_RADIO},
    {plan::Billing::PerMinute, IDC_PLAN_BILL_MINUTE_RADIO},
    {plan::Billing::PerUnit, IDC_PLAN_BILL_UNIT_RADIO},
};
constexpr Choice<plan::Overage> kOverageChoices[] = {
    {plan::Overage::PerStartedHour, IDC_PLAN_STARTED_HOUR_RADIO},
    {plan::Overage::ProRata, IDC_PLAN_PRO_RATA_RADIO},
};

// Checking a radio button also gives it the group's tab stop.
template <typename Value, std::size_t N>
void CheckChoice(const CWnd& dialog, const Choice<Value> (&choices)[N], Value value) {
    for (const Choice<Value>& choice : choices) {
        dialog.SendDlgItemMessage(choice.radioId, BM_SETCHECK,
                                  choice.value == value ? BST_CHECKED : BST_UNCHECKED);
    }
}

template <typename Value, std::size_t N>
Value CheckedChoice(const CWnd& dialog, const Choice<Value> (&choices)[N], Value fallback) {
    for (const Choice<Value>& choice : choices) {
        if (dialog.SendDlgItemMessage(choice.radioId, BM_GETCHECK) == BST_CHECKED) {
            return choice.value;
        }
    }
    return fallback;
}

// The fields in the order they are read (and the first bad one refused); the unit's minutes
// only when that choice is checked.
enum Field { Hours, FirstDay, Unit, ElsewhereHours, ElsewhereMinutes, Fee, HourPrice, kFieldCount };
struct FieldReader {
    int id;
    plan::FieldValue (*read)(std::string_view typed);
};
constexpr FieldReader kFields[kFieldCount] = {
    {IDC_PLAN_HOURS_EDIT, &plan::ReadHoursField},
    {IDC_PLAN_FIRST_DAY_EDIT, &plan::ReadFirstDayField},
    {IDC_PLAN_UNIT_EDIT, &plan::ReadUnitMinutesField},
    {IDC_PLAN_ELSEWHERE_HOURS_EDIT, &plan::ReadElsewhereHoursField},
    {IDC_PLAN_ELSEWHERE_MINUTES_EDIT, &plan::ReadElsewhereMinutesField},
    {IDC_PLAN_FEE_EDIT, &plan::ReadFeeField},
    {IDC_PLAN_HOUR_PRICE_EDIT, &plan::ReadHourPriceField},
};

// No fee shows as "0", as no allowance does.
std::string MoneyShown(int cents) {
    return cents == 0 ? std::string("0") : plan::FormatCents(cents);
}

// The cycle that holds today with cycles from firstDay.
plan::Cycle CycleToday(int firstDay) {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    return plan::CycleOf(plan::Date{now.wYear, now.wMonth, now.wDay}, firstDay);
}
} // namespace

CPlanDlg::CPlanDlg(store::ProfileStore& settings, CWnd* pParent)
    : CDialog(IDD, pParent), m_settings(settings) {}

CPlanDlg::~CPlanDlg() = default;

BOOL CPlanDlg::OnButtonClicked(UINT nID) {
    static constexpr CommandEntry<CPlanDlg> kCommands[] = {
        {IDC_PLAN_SAVE_BUTTON, &CPlanDlg::OnSave},
        {IDC_RETURN_BUTTON, &CPlanDlg::OnCancel},
        {IDC_PLAN_BILL_SECOND_RADIO, &CPlanDlg::OnBillingChosen},
        {IDC_PLAN_BILL_MINUTE_RADIO, &CPlanDlg::OnBillingChosen},
        {IDC_PLAN_BILL_UNIT_RADIO, &CPlanDlg::OnBillingChosen},
    };
    return RunCommand(this, kCommands, nID) || CDialog::OnButtonClicked(nID);
}

BOOL CPlanDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    DressImageButton(m_btnSave, this, IDC_PLAN_SAVE_BUTTON, IDI_DIAL, "保存套餐设置");
    DressImageButton(m_btnReturn, this, IDC_RETURN_BUTTON, IDI_BACK, "不保存，返回");

    const plan::PlanSettings plan = plan::LoadPlanSettings(m_settings);
    const long long elsewhereMinutes = plan::ElsewhereSeconds(plan, CycleToday(plan.firstDay)) / 60;
    const std::string shown[kFieldCount] = {
        std::to_string(plan.hours),
        std::to_string(plan.firstDay),
        plan.billing == plan::Billing::PerUnit ? std::to_string(plan.unitMinutes) : std::string(),
        std::to_string(elsewhereMinutes / 60),
        std::to_string(elsewhereMinutes % 60),
        MoneyShown(plan.feeCents),
        MoneyShown(plan.hourPriceCents),
    };
    for (int field = 0; field < kFieldCount; ++field) {
        SendDlgItemMessage(kFields[field].id, EM_LIMITTEXT, kFieldChars);
        SetDlgItemText(kFields[field].id, shown[field].c_str());
    }
    CheckChoice(*this, kLimitChoices, plan.atLimit);
    CheckChoice(*this, kBillingChoices, plan.billing);
    CheckChoice(*this, kOverageChoices, plan.overage);
    OnBillingChosen();
    return TRUE;
}

bool CPlanDlg::UnitChosen() const {
    return CheckedChoice(*this, kBillingChoices, plan::Billing::PerSecond) ==
           plan::Billing::PerUnit;
}

// The unit's minutes count only with their choice; otherwise the field stays out of the way.
void CPlanDlg::OnBillingChosen() {
    EnableDlgItem(IDC_PLAN_UNIT_EDIT, UnitChosen() ? TRUE : FALSE);
}

void CPlanDlg::OnOK() {
    OnSave();
}

void CPlanDlg::OnSave() {
    int values[kFieldCount] = {};
    for (int field = 0; field < kFieldCount; ++field) {
        if (field == Unit && !UnitChosen()) {
            continue;
        }
        const plan::FieldValue read = kFields[field].read(GetDlgItemText(kFields[field].id).Str());
        if (!read.valid) {
            RefuseField(*this, kFields[field].id, read.message);
            return;
        }
        values[field] = read.value;
    }
    // Read again: the other cycles' corrections go back as they are in the file.
    plan::PlanSettings plan = plan::LoadPlanSettings(m_settings);
    plan.hours = values[Hours];
    plan.firstDay = values[FirstDay];
    plan.atLimit = CheckedChoice(*this, kLimitChoices, plan::PlanSettings{}.atLimit);
    plan.billing = CheckedChoice(*this, kBillingChoices, plan::PlanSettings{}.billing);
    if (plan.billing == plan::Billing::PerUnit) {
        plan.unitMinutes = values[Unit];
    }
    // The time used elsewhere is this cycle's as the first day being saved makes it.
    plan::SetElsewhereMinutes(plan, CycleToday(plan.firstDay),
                              values[ElsewhereHours] * 60 + values[ElsewhereMinutes]);
    plan.feeCents = values[Fee];
    plan.hourPriceCents = values[HourPrice];
    plan.overage = CheckedChoice(*this, kOverageChoices, plan::PlanSettings{}.overage);
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
