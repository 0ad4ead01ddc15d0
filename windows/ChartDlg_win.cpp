#include "windows/ChartDlg_win.h"

#include <windowsx.h>

#include <algorithm>
#include <string>

#include "controls/MemoryDC_win.h"
#include "framework/DC.h"

namespace {

// Pixels between a label and the plot, and the plot's edge on the right.
constexpr int kLabelGap = 4;
constexpr int kRightEdge = 8;

RECT ToRECT(const plan::ChartRect& r) {
    return {r.left, r.top, r.right, r.bottom};
}

SIZE TextSize(HDC hDC, const std::string& text) {
    SIZE size{};
    ::GetTextExtentPoint32A(hDC, text.c_str(), static_cast<int>(text.size()), &size);
    return size;
}

void DrawLine(CDC& dc, int x1, int y1, int x2, int y2) {
    dc.MoveTo(x1, y1);
    dc.LineTo(x2, y2);
}

void DrawLabel(const CDC& dc, const std::string& text, RECT area, UINT format) {
    dc.DrawText(text.c_str(), static_cast<int>(text.size()), &area,
                format | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
}

} // namespace

CChartDlg::CChartDlg(const plan::Cycle& cycle, const std::vector<plan::Connection>& connections,
                     const plan::PlanSettings& plan, CWnd* pParent)
    : CDialog(IDD, pParent), m_cycle(cycle), m_plan(plan),
      m_days(plan::DaysOf(cycle, connections)) {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    m_today = plan::Date{now.wYear, now.wMonth, now.wDay};
    m_nPaceSeconds = plan::PaceSeconds(plan, static_cast<int>(m_days.size()));
    m_scale = plan::ScaleFor(m_days, m_nPaceSeconds);
}

CChartDlg::~CChartDlg() = default;

BOOL CChartDlg::OnButtonClicked(UINT nID) {
    static constexpr CommandEntry<CChartDlg> kCommands[] = {
        {IDC_RETURN_BUTTON, &CChartDlg::OnCancel},
    };
    return RunCommand(this, kCommands, nID) || CDialog::OnButtonClicked(nID);
}

BOOL CChartDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    DressImageButton(m_btnReturn, this, IDC_RETURN_BUTTON, IDI_BACK, "返回时间统计");
    SetDlgItemText(IDC_CHART_HEADING_STATIC, plan::ChartHeading(m_cycle, m_plan).c_str());
    LayOutChart();
    if (!m_days.empty()) {
        // A cycle read just before midnight may end before today: its last day then.
        const long long today = plan::DayNumber(m_today) - plan::DayNumber(m_cycle.first);
        Select(static_cast<int>(std::clamp(today, 0LL, static_cast<long long>(m_days.size()) - 1)));
    }
    return TRUE;
}

void CChartDlg::LayOutChart() {
    HWND hArea = GetDlgItem(IDC_CHART_AREA);
    RECT client{};
    ::GetClientRect(hArea, &client);
    HDC hDC = ::GetDC(hArea);
    SIZE hourLabel{};
    SIZE dayLabel{};
    {
        const fw::ScopedSelect font(hDC, reinterpret_cast<HGDIOBJ>(SendMessage(WM_GETFONT)));
        hourLabel = TextSize(hDC, plan::HourLabel(m_scale.topSeconds));
        dayLabel = TextSize(hDC, "30");
    }
    ::ReleaseDC(hArea, hDC);

    plan::ChartMargins margins;
    margins.left = kLabelGap + hourLabel.cx + kLabelGap;
    margins.top = hourLabel.cy / 2 + kLabelGap; // the top label is centred on the top line
    margins.right = kRightEdge;
    margins.bottom = kLabelGap + dayLabel.cy + kLabelGap;
    margins.dayLabelWidth = dayLabel.cx + kLabelGap;
    m_geometry = plan::LayOutChart(m_days, m_today, m_scale, m_nPaceSeconds,
                                   {client.left, client.top, client.right, client.bottom}, margins);
}

BOOL CChartDlg::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    if (message == WM_DRAWITEM && wParam == IDC_CHART_AREA) {
        DrawChart(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        *pResult = TRUE;
        return TRUE;
    }
    return CDialog::OnWndMsg(message, wParam, lParam, pResult);
}

BOOL CChartDlg::PreTranslateMessage(MSG* pMsg) {
    const int last = static_cast<int>(m_days.size()) - 1;
    if (last < 0) {
        return CDialog::PreTranslateMessage(pMsg);
    }
    if (pMsg->message == WM_MOUSEMOVE && pMsg->hwnd == GetDlgItem(IDC_CHART_AREA)) {
        if (const std::optional<int> day = plan::DayAt(m_geometry, GET_X_LPARAM(pMsg->lParam))) {
            Select(*day);
        }
    } else if (pMsg->message == WM_KEYDOWN) {
        switch (pMsg->wParam) {
        case VK_LEFT:
            Select(std::max(m_nSelected - 1, 0));
            return TRUE;
        case VK_RIGHT:
            Select(std::min(m_nSelected + 1, last));
            return TRUE;
        case VK_HOME:
            Select(0);
            return TRUE;
        case VK_END:
            Select(last);
            return TRUE;
        default:
            break;
        }
    }
    return CDialog::PreTranslateMessage(pMsg);
}

void CChartDlg::Select(int day) {
    if (day == m_nSelected) {
        return;
    }
    m_nSelected = day;
    SetDlgItemText(IDC_CHART_DAY_STATIC,
                   plan::DayLine(m_days[static_cast<size_t>(day)], m_today).c_str());
    // The whole chart is drawn again off-screen: no erasing, no flicker.
    ::InvalidateRect(GetDlgItem(IDC_CHART_AREA), nullptr, FALSE);
}

void CChartDlg::DrawChart(const DRAWITEMSTRUCT& draw) const {
    CDC target(draw.hDC);
    CMemoryDC dc(&target);
    const plan::ChartGeometry& geometry = m_geometry;
    const RECT plot = ToRECT(geometry.plot);

    // White with a shadow frame, as the program's lists.
    CBrush window(::GetSysColor(COLOR_WINDOW));
    CBrush shadow(::GetSysColor(COLOR_BTNSHADOW));
    CBrush face(::GetSysColor(COLOR_BTNFACE));
    CBrush bar(::GetSysColor(COLOR_HIGHLIGHT));
    dc.FillRect(&draw.rcItem, &window);
    dc.FrameRect(&draw.rcItem, &shadow);
    if (m_nSelected >= 0 && static_cast<size_t>(m_nSelected) < geometry.columns.size()) {
        const RECT column = ToRECT(geometry.columns[static_cast<size_t>(m_nSelected)]);
        dc.FillRect(&column, &face);
    }

    const fw::ScopedSelect font =
        dc.SelectObject(reinterpret_cast<HGDIOBJ>(SendMessage(WM_GETFONT)));
    ::SetBkMode(dc.GetSafeHdc(), TRANSPARENT);
    dc.SetTextColor(::GetSysColor(COLOR_WINDOWTEXT));
    {
        const CPen grid(PS_SOLID, 0, ::GetSysColor(COLOR_BTNFACE));
        const fw::ScopedSelect gridSelected = dc.SelectObject(grid);
        for (size_t i = 0; i < geometry.gridY.size(); ++i) {
            const int y = geometry.gridY[i];
            if (i > 0) {
                DrawLine(dc, plot.left, y, plot.right, y);
            }
            DrawLabel(dc, plan::HourLabel(static_cast<long long>(i) * m_scale.stepSeconds),
                      {draw.rcItem.left, y - 1, plot.left - kLabelGap, y + 1},
                      DT_RIGHT | DT_VCENTER);
        }
    }

    for (const plan::ChartBar& dayBar : geometry.bars) {
        const RECT rect = ToRECT(dayBar.rect);
        if (dayBar.toCome) {
            dc.FrameRect(&rect, &shadow);
        } else if (rect.bottom > rect.top) {
            dc.FillRect(&rect, &bar);
        }
    }

    {
        const CPen axis(PS_SOLID, 0, ::GetSysColor(COLOR_WINDOWTEXT));
        const fw::ScopedSelect axisSelected = dc.SelectObject(axis);
        DrawLine(dc, plot.left, plot.top, plot.left, plot.bottom);
        DrawLine(dc, plot.left, plot.bottom, plot.right, plot.bottom);
    }
    if (geometry.paceY) {
        // Dashes show the bars behind them in their gaps.
        const CPen pace(PS_DASH, 0, ::GetSysColor(COLOR_WINDOWTEXT));
        const fw::ScopedSelect paceSelected = dc.SelectObject(pace);
        DrawLine(dc, plot.left, *geometry.paceY, plot.right, *geometry.paceY);
    }

    for (size_t i = 0; i < geometry.columns.size(); i += static_cast<size_t>(geometry.labelEvery)) {
        const plan::ChartRect& column = geometry.columns[i];
        const int centre = (column.left + column.right) / 2;
        DrawLabel(dc, std::to_string(m_days[i].date.day),
                  {centre - 1, plot.bottom + kLabelGap, centre + 1, draw.rcItem.bottom},
                  DT_CENTER | DT_TOP);
    }
}
