#pragma once

#include <windows.h>

#include "controls/ImageButton_win.h"
#include "framework/Controls.h"
#include "framework/DataExchange.h"
#include "framework/Dialog.h"
#include "framework/ListCtrl.h"
#include "res/messages.h"
#include "res/resource.h"
#include <memory>
#include <vector>

#include "plan/Usage.h"
#include "store/ProfileStore.h"
#include "store/SettingsFile.h"
#include "windows/StatsModel.h"

// The statistics window: every stored connection as a row (newest on top), their total, and
// clearing them. Each opening reads the settings file afresh; nothing is kept between openings.
// The rows are held here (m_rows) and the list asks for the cells it shows (owner data): what
// the list costs to fill, scroll and clear does not grow with the number of records.
class CStatsDlg : public CDialog {
public:
    explicit CStatsDlg(CWnd* pParent = nullptr);
    ~CStatsDlg() override;

    enum { IDD = IDD_STATS };

    // The list view's window class is registered before the template is created.
    INT_PTR DoModal() override;

    // Whether the dial-up service reports a connection's bytes, for the guards' settings (their
    // idle fields are off without). Assumed until told otherwise.
    void SetTrafficFigures(bool trafficFigures) { m_bTrafficFigures = trafficFigures; }

    // Reads the records into m_rows and gives the list their count.
    void LoadRecords();
    void OnTotal();
    void OnReset();

    // The plan: the current cycle's line, its settings, the table of cycles, the export.
    void UpdateCycleLine();
    void OnPlanSettings();
    void OnGuardSettings();
    void OnShowCycles();
    void OnShowChart();
    void OnExport();
    // The reset button: the records cleared (when confirmed), then the cycle's line anew.
    void OnResetAndRecount();

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    BOOL OnButtonClicked(UINT nID) override;
    BOOL OnNotify(const NMHDR* pHeader, LRESULT* pResult) override;
    // A cell the list is about to show or was asked for (LVN_GETDISPINFO).
    void OnGetDispInfo(LVITEMA& item) const;
    void OnGetDispInfo(LVITEMW& item) const;
    void OnFileStateNotice();

private:
    // Sum of the seconds column at the last press of the total button. 64-bit: hand-edited
    // cells near the 32-bit limit must not wrap the sum.
    long long m_nTotalSeconds = 0;
    char m_szIniPath[MAX_PATH]{};
    CImageButton m_btnReset;
    CImageButton m_btnTotal;
    CImageButton m_btnReturn;
    CImageButton m_btnPlan;
    CImageButton m_btnGuard;
    CImageButton m_btnCycles;
    CImageButton m_btnChart;
    CImageButton m_btnExport;
    CListCtrl m_list;
    stats::RowTable m_rows;
    // The records read as connections at the opening, for the cycle's line and the table.
    plan::ReadRecords m_connections;
    // One settings file for the window's life: read once at the opening, and again only when
    // the file changes.
    std::unique_ptr<store::SettingsFile> m_settings;
    // The settings file as the opening found it; an unusable one gets its notice once.
    store::FileState m_nFileState = store::FileState::Readable;
    bool m_bTrafficFigures = true;
};
