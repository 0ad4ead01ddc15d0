#include "windows/CyclesDlg_win.h"

#include <utility>

#include "plan/PlanTexts.h"

namespace {
// Pixels: the cycle column holds "2026年12月15日—2027年1月14日".
constexpr int kColumnWidths[4] = {200, 70, 90, 60};
} // namespace

CCyclesDlg::CCyclesDlg(std::vector<plan::CycleUsage> usage, const plan::PlanSettings& plan,
                       CWnd* pParent)
    : CDialog(IDD, pParent), m_usage(std::move(usage)), m_plan(plan) {}

CCyclesDlg::~CCyclesDlg() = default;

INT_PTR CCyclesDlg::DoModal() {
    AfxInitCommonControls(ICC_LISTVIEW_CLASSES);
    return CDialog::DoModal();
}

void CCyclesDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_CYCLES_LIST, m_list);
}

BOOL CCyclesDlg::OnButtonClicked(UINT nID) {
    static constexpr CommandEntry<CCyclesDlg> kCommands[] = {
        {IDC_RETURN_BUTTON, &CCyclesDlg::OnCancel},
    };
    return RunCommand(this, kCommands, nID) || CDialog::OnButtonClicked(nID);
}

BOOL CCyclesDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    DressImageButton(m_btnReturn, this, IDC_RETURN_BUTTON, IDI_BACK, "返回时间统计");

    m_list.SetExtendedStyle(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    for (int column = 0; column < 4; ++column) {
        m_list.InsertColumn(column, plan::kCycleHeadings[column],
                            column == 0 ? LVCFMT_LEFT : LVCFMT_RIGHT, kColumnWidths[column]);
    }
    m_list.SetRedraw(FALSE);
    int row = 0;
    for (const plan::CycleUsage& usage : m_usage) {
        const plan::CycleCells cells = plan::CycleRow(usage, m_plan);
        if (m_list.InsertItem(row, cells.cycle.c_str()) < 0) {
            break;
        }
        m_list.SetItemText(row, 1, cells.connections.c_str());
        m_list.SetItemText(row, 2, cells.used.c_str());
        m_list.SetItemText(row, 3, cells.share.c_str());
        ++row;
    }
    m_list.SetRedraw(TRUE);
    return TRUE;
}
