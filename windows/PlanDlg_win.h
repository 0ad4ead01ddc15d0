#pragma once

#include <windows.h>

#include <string>

#include "controls/ImageButton_win.h"
#include "framework/Dialog.h"
#include "res/resource.h"
#include "store/ProfileStore.h"

// The plan settings: hours per billing cycle, the cycle's first day of the month, what happens
// when the allowance is used up (a warning, the question to hang up, or a hang-up), how the ISP
// counts a connection, the time used elsewhere in the current cycle, and the cost (a fee, the
// price of an hour beyond the allowance and how it is charged). Opened from the statistics
// window and the tray menus.
// Nothing is stored until every field reads well; a save posts WM_PLANCHANGED to the main
// window and ends the dialog with IDOK.
class CPlanDlg : public CDialog {
public:
    CPlanDlg(store::ProfileStore& settings, CWnd* pParent = nullptr);
    ~CPlanDlg() override;

    enum { IDD = IDD_PLAN };

    void OnSave();
    void OnBillingChosen();

    CImageButton m_btnSave;
    CImageButton m_btnReturn;

protected:
    BOOL OnInitDialog() override;
    BOOL OnButtonClicked(UINT nID) override;
    // Enter in a field saves, as the save button does.
    void OnOK() override;

private:
    bool UnitChosen() const;

    store::ProfileStore& m_settings;
};

// How the settings dialogs refuse a field: the message in a notice, then the focus in the field
// with its text selected.
void RefuseField(const CWnd& dialog, int nID, const std::string& message);

// Posts WM_PLANCHANGED to the main window (from a window modal over it, whose own loop delivers
// it): the plan settings or the records it counts have changed in the file.
void PostPlanChangedToMainWindow();
