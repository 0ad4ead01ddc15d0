#include "windows/StatsDlg_win.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "plan/CsvExport.h"
#include "plan/PlanTexts.h"
#include "store/ConnectionRecord.h"
#include "store/AnsiCodec_win.h"
#include "store/SettingsFile.h"
#include "store/SettingsPath_win.h"
#include "windows/ChartDlg_win.h"
#include "windows/CyclesDlg_win.h"
#include "windows/CsvFile_win.h"
#include "windows/GuardDlg_win.h"
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
        {IDC_GUARD_BUTTON, &CStatsDlg::OnGuardSettings},
        {IDC_CYCLES_BUTTON, &CStatsDlg::OnShowCycles},
        {IDC_CHART_BUTTON, &CStatsDlg::OnShowChart},
        {IDC_EXPORT_BUTTON, &CStatsDlg::OnExport},
    };
    return RunCommand(this, kCommands, nID) || CDialog::OnButtonClicked(nID);
}

BOOL CStatsDlg::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    switch (message) {
    case WM_STATSFILENOTICE:
        OnFileStateNotice();
        *pResult = 0;
        return TRUE;
    default:
        return CDialog::OnWndMsg(message, wParam, lParam, pResult);
    }
}

BOOL CStatsDlg::OnNotify(const NMHDR* pHeader, LRESULT* pResult) {
    if (pHeader->idFrom == IDC_STATS_LIST) {
        // The list owns nothing but asks: its notices carry records of the caller's to fill.
        NMHDR* header = const_cast<NMHDR*>(pHeader);
        switch (pHeader->code) {
        case LVN_GETDISPINFOA:
            OnGetDispInfo(reinterpret_cast<NMLVDISPINFOA*>(header)->item);
            *pResult = 0;
            return TRUE;
        case LVN_GETDISPINFOW:
            OnGetDispInfo(reinterpret_cast<NMLVDISPINFOW*>(header)->item);
            *pResult = 0;
            return TRUE;
        default:
            break;
        }
    }
    return CDialog::OnNotify(pHeader, pResult);
}

void CStatsDlg::OnGetDispInfo(LVITEMA& item) const {
    if (!(item.mask & LVIF_TEXT) || item.pszText == nullptr || item.cchTextMax <= 0) {
        return;
    }
    const std::string_view cell =
        item.iItem < 0 ? std::string_view()
                       : m_rows.Cell(static_cast<std::size_t>(item.iItem), item.iSubItem);
    const std::size_t length = std::min(cell.size(), static_cast<std::size_t>(item.cchTextMax - 1));
    std::memcpy(item.pszText, cell.data(), length);
    item.pszText[length] = '\0';
}

void CStatsDlg::OnGetDispInfo(LVITEMW& item) const {
    if (!(item.mask & LVIF_TEXT) || item.pszText == nullptr || item.cchTextMax <= 0) {
        return;
    }
    const std::string_view cell =
        item.iItem < 0 ? std::string_view()
                       : m_rows.Cell(static_cast<std::size_t>(item.iItem), item.iSubItem);
    const int length =
        cell.empty() || item.cchTextMax < 2
            ? 0
            : ::MultiByteToWideChar(CP_ACP, 0, cell.data(), static_cast<int>(cell.size()),
                                    item.pszText, item.cchTextMax - 1);
    item.pszText[length] = L'\0';
}

BOOL CStatsDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    const std::string path = store::SettingsFilePath();
    std::strncpy(m_szIniPath, path.c_str(), sizeof(m_szIniPath) - 1);
    m_settings = std::make_unique<store::SettingsFile>(store::SystemFileBytes(), m_szIniPath,
                                                       &store::SystemAnsiCodec());

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
    DressImageButton(m_btnGuard, this, IDC_GUARD_BUTTON, IDI_HANG_UP,
                     "空闲、超时或定时自动挂断，断线自动重拨");
    DressImageButton(m_btnCycles, this, IDC_CYCLES_BUTTON, IDI_HANG_UP, "按计费周期查看上网时间");
    DressImageButton(m_btnChart, this, IDC_CHART_BUTTON, IDI_STATISTICS, "按天查看本期上网时间");
    DressImageButton(m_btnExport, this, IDC_EXPORT_BUTTON, IDI_DIAL, "把上网记录导出为 CSV 文件");

    LoadRecords();
    UpdateCycleLine();
    if (m_nFileState != store::FileState::Readable) {
        PostMessage(WM_STATSFILENOTICE);
    }
    return TRUE;
}

void CStatsDlg::LoadRecords() {
    // One read of the file; the list is given the count once and asks for the rows it shows.
    const store::SettingsFile& settings = *m_settings;
    m_nFileState = settings.State();
    m_connections = {};
    store::VisitConnectionRecords(settings, [this](std::string_view record) {
        m_rows.AddRecord(record);
        if (const std::optional<plan::Connection> connection = plan::ReadConnection(record)) {
            m_connections.connections.push_back(*connection);
        } else {
            ++m_connections.unreadable;
        }
    });
    m_list.SetItemCount(static_cast<int>(m_rows.Size()));
}

void CStatsDlg::OnFileStateNotice() {
    // Posted from the opening: the window is on the screen before its notice.
    if (!::IsWindowVisible(m_hWnd)) {
        ::ShowWindow(m_hWnd, SW_SHOW);
        ::UpdateWindow(m_hWnd);
    }
    ShowNotice(*this, store::FileStateNotice(m_nFileState).c_str());
}

void CStatsDlg::OnTotal() {
    m_nTotalSeconds = m_rows.TotalSeconds();
    ShowNotice(*this, stats::TotalMessage(m_nTotalSeconds).c_str());
}

void CStatsDlg::OnReset() {
    store::SettingsFile& settings = *m_settings;
    // A file that cannot be used is not asked about: nothing will be written to it.
    if (settings.State() != store::FileState::Readable) {
        ShowNotice(*this, stats::kResetRefused);
        return;
    }
    if (!AskYesNo(*this, kResetQuestion)) {
        return;
    }
    switch (stats::ResetRecords(settings)) {
    case stats::ResetOutcome::Cleared:
        m_rows.Clear();
        m_connections = {};
        m_list.SetItemCount(0);
        // A running connection's tip and warnings count from the emptied log from now on.
        PostPlanChangedToMainWindow();
        break;
    case stats::ResetOutcome::FileUnusable:
        ShowNotice(*this, stats::kResetRefused);
        break;
    case stats::ResetOutcome::WriteFailed:
        ShowNotice(*this, stats::kResetFailed);
        break;
    }
}

namespace {

// The records as the plan sees them: spans of time, the settings, today and its cycle.
struct PlanView {
    plan::PlanSettings settings;
    plan::ReadRecords records;
    plan::Date today;
    plan::Cycle current;
};

PlanView ReadPlanView(const store::ProfileStore& settings, const plan::ReadRecords& records) {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    PlanView view;
    view.settings = plan::LoadPlanSettings(settings);
    view.records = records;
    view.today = plan::Date{now.wYear, now.wMonth, now.wDay};
    view.current = plan::CycleOf(view.today, view.settings.firstDay);
    return view;
}

} // namespace

void CStatsDlg::UpdateCycleLine() {
    const store::SettingsFile& settings = *m_settings;
    const PlanView view = ReadPlanView(settings, m_connections);
    const plan::CycleUsage usage =
        plan::UsageIn(view.current, view.records.connections, view.settings);
    SetDlgItemText(IDC_CYCLE_LINE_STATIC,
                   plan::CycleLine(view.current, view.settings, usage.Used(), view.today).c_str());
}

void CStatsDlg::OnResetAndRecount() {
    OnReset();
    UpdateCycleLine();
}

void CStatsDlg::OnPlanSettings() {
    store::SettingsFile& settings = *m_settings;
    CPlanDlg dlg(settings, this);
    if (dlg.DoModal() == IDOK) {
        UpdateCycleLine();
    }
}

void CStatsDlg::OnGuardSettings() {
    store::SettingsFile& settings = *m_settings;
    CGuardDlg dlg(settings, m_bTrafficFigures, this);
    dlg.DoModal();
}

void CStatsDlg::OnShowCycles() {
    const store::SettingsFile& settings = *m_settings;
    const PlanView view = ReadPlanView(settings, m_connections);
    CCyclesDlg dlg(plan::UsageByCycle(view.records.connections, view.settings, view.current),
                   view.settings, this);
    dlg.DoModal();
}

void CStatsDlg::OnShowChart() {
    const store::SettingsFile& settings = *m_settings;
    const PlanView view = ReadPlanView(settings, m_connections);
    CChartDlg dlg(view.current, view.records.connections, view.settings, this);
    dlg.DoModal();
}

void CStatsDlg::OnExport() {
    const std::optional<std::string> path = AskCsvPath(*this);
    if (!path) {
        return;
    }
    const store::SettingsFile& settings = *m_settings;
    if (!WriteUtf8File(*path, plan::ExportCsv(store::ReadDetailedRecords(settings)))) {
        ShowNotice(*this, CsvNotWrittenNotice(*path).c_str());
    }
}
