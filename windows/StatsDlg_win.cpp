#include "windows/StatsDlg_win.h"

#include <cstring>
#include <string>

#include "plan/CsvExport.h"
#include "plan/PlanTexts.h"
#include "store/ConnectionRecord.h"
#include "store/SettingsFile.h"
#include "store/SettingsPath_win.h"
#include "windows/CyclesDlg_win.h"
#include "windows/CsvFile_win.h"
#include "windows/Notice_win.h"
#include "windows/PlanDlg_win.h"
#include "windows/StatsModel.h"

namespace {
constexpr const char* kResetQuestion =
    "注意：该操作将删除所有拨号上网记录，删除后将无法恢复，继续吗？";
} // namespace

CStatsDlg::CStatsDlg(CWnd* pParent) : CDialog(IDD, pParent) {}

CStatsDlg::~CStatsDlg() = default;

INT_PTR CStatsDlg::DoModal() {
    AfxInitCommonControls(ICC_LISTVIEW_CLASSES);
    return CDialog::DoModal();
}

void CStatsDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_STATS_LIST, m_list);
}

BOOL CStatsDlg::OnButtonClicked(UINT nID) {
    static constexpr CommandEntry<CStatsDlg> kCommands[] = {
        {IDC_RETURN_BUTTON, &CStatsDlg::OnCancel},
        {IDC_TOTAL_BUTTON, &CStatsDlg::OnTotal},
        {IDC_RESET_BUTTON, &CStatsDlg::OnResetAndRecount},
        {IDC_PLAN_BUTTON, &CStatsDlg::OnPlanSettings},
        {IDC_CYCLES_BUTTON, &CStatsDlg::OnShowCycles},
        {IDC_EXPORT_BUTTON, &CStatsDlg::OnExport},
    };
    return RunCommand(this, kCommands, nID) || CDialog::OnButtonClicked(nID);
}

BOOL CStatsDlg::OnNotify(const NMHDR* pHeader, LRESULT* pResult) {
    // Clearing or closing the list: no notice per row wanted (see LoadRecords).
    if (pHeader->idFrom == IDC_STATS_LIST && pHeader->code == LVN_DELETEALLITEMS) {
        *pResult = TRUE;
        return TRUE;
    }
    return CDialog::OnNotify(pHeader, pResult);
}

BOOL CStatsDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    const std::string path = store::SettingsFilePath();
    std::strncpy(m_szIniPath, path.c_str(), sizeof(m_szIniPath) - 1);

    m_list.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    for (int column = 0; column < 3; ++column) {
        m_list.InsertColumn(column, stats::kColumns[column].heading, LVCFMT_LEFT,
                            stats::kColumns[column].width);
    }

    DressImageButton(m_btnReturn, this, IDC_RETURN_BUTTON, IDI_BACK, "返回程序主界面");
    DressImageButton(m_btnTotal, this, IDC_TOTAL_BUTTON, IDI_HANG_UP, "统计数据，查看使用状况");
    DressImageButton(m_btnReset, this, IDC_RESET_BUTTON, IDI_CLEAR, "清空表格数据");
    DressImageButton(m_btnPlan, this, IDC_PLAN_BUTTON, IDI_STATISTICS,
                     "设置每期套餐时数和计费周期");
    DressImageButton(m_btnCycles, this, IDC_CYCLES_BUTTON, IDI_HANG_UP, "按计费周期查看上网时间");
    DressImageButton(m_btnExport, this, IDC_EXPORT_BUTTON, IDI_DIAL, "把上网记录导出为 CSV 文件");

    LoadRecords();
    UpdateCycleLine();
    return TRUE;
}

void CStatsDlg::LoadRecords() {
    // One read of the section instead of one read of the file per key; and one repaint for
    // the whole list instead of one per row.
    const store::SettingsFile settings(store::SystemFileBytes(), m_szIniPath);
    const std::vector<std::string> records = store::ReadConnectionRecords(settings);
    m_list.SetRedraw(FALSE);
    for (const std::string& record : records) {
        AddRecordRow(record.c_str());
    }
    m_list.SetRedraw(TRUE);
}

void CStatsDlg::AddRecordRow(const char* pszRecord) {
    const std::optional<stats::Row> row = stats::RowFromRecord(pszRecord);
    if (!row) {
        return;
    }
    if (m_list.InsertItem(0, row->date.c_str()) < 0) {
        return;
    }
    m_list.SetItemText(0, 1, row->seconds.c_str());
    m_list.SetItemText(0, 2, row->time.c_str());
}

void CStatsDlg::OnTotal() {
    CListCtrl list;
    list.Attach(GetDlgItem(IDC_STATS_LIST));
    const int rows = list.GetItemCount();
    stats::SecondsTotal total;
    for (int row = 0; row < rows; ++row) {
        total.Add(list.GetItemText(row, stats::kSecondsColumn).Str());
    }
    list.Detach();
    m_nTotalSeconds = total.Value();
    ShowNotice(*this, stats::TotalMessage(m_nTotalSeconds).c_str());
}

void CStatsDlg::OnReset() {
    if (!AskYesNo(*this, kResetQuestion)) {
        return;
    }
    store::SettingsFile settings(store::SystemFileBytes(), m_szIniPath);
    store::ClearConnectionRecords(settings);
    m_list.DeleteAllItems();
}

namespace {

// The records as the plan sees them: spans of time, the settings, and today's cycle.
struct PlanView {
    plan::PlanSettings settings;
    plan::ReadRecords records;
    plan::Cycle current;
};

PlanView ReadPlanView(const store::ProfileStore& settings) {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    PlanView view;
    view.settings = plan::LoadPlanSettings(settings);
    view.records = plan::ReadConnections(store::ReadConnectionRecords(settings));
    view.current =
        plan::CycleOf(plan::Date{now.wYear, now.wMonth, now.wDay}, view.settings.firstDay);
    return view;
}

} // namespace

void CStatsDlg::UpdateCycleLine() {
    const store::SettingsFile settings(store::SystemFileBytes(), m_szIniPath);
    const PlanView view = ReadPlanView(settings);
    const plan::CycleUsage usage = plan::UsageIn(view.current, view.records.connections);
    SetDlgItemText(IDC_CYCLE_LINE_STATIC,
                   plan::CycleLine(view.current, view.settings, usage.seconds).c_str());
}

void CStatsDlg::OnResetAndRecount() {
    OnReset();
    UpdateCycleLine();
}

void CStatsDlg::OnPlanSettings() {
    store::SettingsFile settings(store::SystemFileBytes(), m_szIniPath);
    CPlanDlg dlg(settings, this);
    if (dlg.DoModal() == IDOK) {
        UpdateCycleLine();
    }
}

void CStatsDlg::OnShowCycles() {
    const store::SettingsFile settings(store::SystemFileBytes(), m_szIniPath);
    const PlanView view = ReadPlanView(settings);
    CCyclesDlg dlg(
        plan::UsageByCycle(view.records.connections, view.settings.firstDay, view.current),
        view.settings, this);
    dlg.DoModal();
}

void CStatsDlg::OnExport() {
    const std::optional<std::string> path = AskCsvPath(*this);
    if (!path) {
        return;
    }
    const store::SettingsFile settings(store::SystemFileBytes(), m_szIniPath);
    if (!WriteUtf8File(*path, plan::ExportCsv(store::ReadConnectionRecords(settings)))) {
        ShowNotice(*this, CsvNotWrittenNotice(*path).c_str());
    }
}
