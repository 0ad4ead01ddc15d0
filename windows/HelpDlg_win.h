#pragma once

#include "controls/ImageButton_win.h"
#include "framework/Controls.h"
#include "framework/DataExchange.h"
#include "framework/Dialog.h"
#include "res/resource.h"
#include "windows/AppendEdit_win.h"

// The help window: what the program is for and how to use it. The text is built afresh at
// every opening; whatever the user types into it is dropped with the window.
class CHelpDlg : public CDialog {
public:
    explicit CHelpDlg(CWnd* pParent = nullptr);
    ~CHelpDlg() override;

    enum { IDD = IDD_HELP };

    CImageButton m_btnReturn;
    CAppendEdit m_editHelp;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    BOOL OnButtonClicked(UINT nID) override;
};
