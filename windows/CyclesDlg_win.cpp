#include "windows/CyclesDlg_win.h"

#include <utility>

#include "plan/PlanTexts.h"

namespace {
// Pixels: the cycle column holds "2026年12月15日—2027年1月14日".
int ColumnWidth(plan::CycleColumn column) {
    switch (column) {
    case plan::CycleColumn::Cycle:
        return 200;
    case plan::CycleColumn::Connections:
        return 70;
    case plan::CycleColumn::Used:
        return 90;
    case plan::CycleColumn::Share:
        return 60;
    case plan::CycleColumn::Elsewhere:
    case plan::CycleColumn::Cost:
        break;
    }
    return 80;
}
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
    const std::vector<plan::CycleColumn> columns = plan::CycleColumns(m_usage, m_plan);
    for (std::size_t column = 0; column < columns.size(); ++column) {
        m_list.InsertColumn(static_cast<int>(column), plan::CycleHeading(columns[column]),
                            column == 0 ? LVCFMT_LEFT : LVCFMT_RIGHT, ColumnWidth(columns[column]));
    }
    m_list.SetRedraw(FALSE);
    int row = 0;
    for (const plan::CycleUsage& usage : m_usage) {
        const plan::CycleCells cells = plan::CycleRow(usage, m_plan);
        if (m_list.InsertItem(row, cells.cycle.c_str()) < 0) {
            break;
        }
        for (std::size_t column = 1; column < columns.size(); ++column) {
            m_list.SetItemText(row, static_cast<int>(column),
                               plan::CycleCell(cells, columns[column]).c_str());
        }
        ++row;
    }
    m_list.SetRedraw(TRUE);
    return TRUE;
}
