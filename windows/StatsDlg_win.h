#pragma once

#include <windows.h>

#include "controls/ImageButton_win.h"
#include "framework/Controls.h"
#include "framework/DataExchange.h"
#include "framework/Dialog.h"
#include "framework/ListCtrl.h"
#include "res/resource.h"

// The statistics window: every stored connection as a row (newest on top), their total, and
// clearing them. Each opening reads the settings file afresh; nothing is kept between openings.
class CStatsDlg : public CDialog {
public:
    explicit CStatsDlg(CWnd* pParent = nullptr);
    ~CStatsDlg() override;

    enum { IDD = IDD_STATS };

    // The list view's window class is registered before the template is created.
    INT_PTR DoModal() override;

    void LoadRecords();
    void AddRecordRow(const char* pszRecord);
    void OnTotal();
    void OnReset();

    // The plan: the current cycle's line, its settings, the table of cycles, the export.
    void UpdateCycleLine();
    void OnPlanSettings();
    void OnShowCycles();
    void OnExport();
    // The reset button: the records cleared (when confirmed), then the cycle's line anew.
    void OnResetAndRecount();

    // Sum of the seconds column at the last press of the total button. 64-bit: hand-edited
    // cells near the 32-bit limit must not wrap the sum.
    long long m_nTotalSeconds = 0;
    char m_szIniPath[MAX_PATH]{};
    CImageButton m_btnReset;
    CImageButton m_btnTotal;
    CImageButton m_btnReturn;
    CImageButton m_btnPlan;
    CImageButton m_btnCycles;
    CImageButton m_btnExport;
    CListCtrl m_list;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    BOOL OnButtonClicked(UINT nID) override;
    BOOL OnNotify(const NMHDR* pHeader, LRESULT* pResult) override;
};
