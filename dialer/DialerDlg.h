#pragma once

#include <windows.h>
#include <ras.h>
#include <shellapi.h>

#include <memory>

#include "framework/Controls.h"
#include "framework/DataExchange.h"
#include "framework/Dialog.h"
#include "res/resource.h"
#include "store/ProfileStore.h"
#include "store/SecretProtector.h"

// The main window: the dial-up entry, the account, the command buttons and the status line.
class CDialerDlg : public CDialog {
public:
    explicit CDialerDlg(CWnd* pParent = nullptr);
    ~CDialerDlg() override;

    enum { IDD = IDD_DIALER };

protected:
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

    void OnPaint();
    HCURSOR OnQueryDragIcon();
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) override;
    void OnSaveCredentials();
    void OnSelchangeEntry();

public:
    char m_szIniPath[MAX_PATH]{};
    int m_nMode = 1;
    NOTIFYICONDATAA m_nid{};
    int m_nSeconds = 0;
    CButton m_btnHelp;
    CButton m_btnStats;
    CButton m_btnHangUp;
    CButton m_btnDial;
    CComboBox m_comboEntry;
    CButton m_chkSave;
    CString m_strStatus;
    HICON m_hIcon = nullptr;
    HRASCONN m_hRasConn = nullptr;

private:
    // Fills the entry list; false when the phone book has no entry.
    bool ListPhoneBookEntries();
    void RestoreSavedAccount();

    std::unique_ptr<store::ProfileStore> m_settings;
    std::unique_ptr<store::SecretProtector> m_protector;
};
