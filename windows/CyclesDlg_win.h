#pragma once

#include <windows.h>

#include <vector>

#include "controls/ImageButton_win.h"
#include "framework/DataExchange.h"
#include "framework/Dialog.h"
#include "framework/ListCtrl.h"
#include "plan/PlanSettings.h"
#include "plan/Usage.h"
#include "res/resource.h"

// The table of billing cycles, newest first: the cycle, its connections, the time used and,
// with an allowance, the share of it; the time used elsewhere when a cycle has some, the cost
// with a fee or a price. Shows what the statistics window hands it.
class CCyclesDlg : public CDialog {
public:
    CCyclesDlg(std::vector<plan::CycleUsage> usage, const plan::PlanSettings& plan,
               CWnd* pParent = nullptr);
    ~CCyclesDlg() override;

    enum { IDD = IDD_CYCLES };

    INT_PTR DoModal() override;

    CImageButton m_btnReturn;
    CListCtrl m_list;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    BOOL OnButtonClicked(UINT nID) override;

private:
    std::vector<plan::CycleUsage> m_usage;
    plan::PlanSettings m_plan;
};
