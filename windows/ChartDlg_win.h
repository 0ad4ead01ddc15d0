#pragma once

#include <windows.h>

#include <vector>

#include "controls/ImageButton_win.h"
#include "framework/Dialog.h"
#include "plan/Chart.h"
#include "plan/PlanSettings.h"
#include "plan/Usage.h"
#include "res/resource.h"

// The current cycle day by day: a bar for each day's time online, the allowance's even pace as
// a dashed line, the days to come as empty boxes, and under the chart the figures of one day:
// today at first, then the day under the pointer or the one the arrow keys move to. Shows what
// the statistics window hands it.
class CChartDlg : public CDialog {
public:
    CChartDlg(const plan::Cycle& cycle, const std::vector<plan::Connection>& connections,
              const plan::PlanSettings& plan, CWnd* pParent = nullptr);
    ~CChartDlg() override;

    enum { IDD = IDD_CHART };

    // The arrow keys (and Home, End) choose a day wherever the focus is, and the pointer over
    // the chart chooses the day under it: both are seen here before the dialog manager.
    BOOL PreTranslateMessage(MSG* pMsg) override;

    CImageButton m_btnReturn;

protected:
    BOOL OnInitDialog() override;
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    BOOL OnButtonClicked(UINT nID) override;

private:
    // Places the plot in the chart's area, leaving room for the labels in the dialog's font.
    void LayOutChart();
    void DrawChart(const DRAWITEMSTRUCT& draw) const;
    void Select(int day);

    plan::Cycle m_cycle;
    plan::PlanSettings m_plan;
    plan::Date m_today;
    std::vector<plan::DayUsage> m_days;
    long long m_nPaceSeconds = 0;
    plan::ChartScale m_scale;
    plan::ChartGeometry m_geometry;
    int m_nSelected = -1; // none before the opening
};
