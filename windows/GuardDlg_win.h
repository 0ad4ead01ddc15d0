#pragma once

#include <windows.h>

#include "controls/ImageButton_win.h"
#include "framework/Dialog.h"
#include "res/resource.h"
#include "store/ProfileStore.h"

// The connection guards' settings: hanging up after an idle time, after a time connected or at
// a time of day, and redialing a dropped line. Opened from the statistics window and the tray
// menus. Without the dial-up service's traffic figures the idle fields are off, with a line
// saying why. Nothing is stored until every field reads well; a save ends the dialog with IDOK.
class CGuardDlg : public CDialog {
public:
    // trafficFigures: the dial-up service reports a connection's bytes.
    CGuardDlg(store::ProfileStore& settings, bool trafficFigures, CWnd* pParent = nullptr);
    ~CGuardDlg() override;

    enum { IDD = IDD_GUARD };

    void OnSave();

    CImageButton m_btnSave;
    CImageButton m_btnReturn;

protected:
    BOOL OnInitDialog() override;
    BOOL OnButtonClicked(UINT nID) override;
    // Enter in a field saves, as the save button does.
    void OnOK() override;

private:
    store::ProfileStore& m_settings;
    bool m_bTrafficFigures;
};
