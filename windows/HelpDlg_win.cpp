#include "windows/HelpDlg_win.h"

#include "windows/HelpText.h"

CHelpDlg::CHelpDlg(CWnd* pParent) : CDialog(IDD, pParent) {}

CHelpDlg::~CHelpDlg() = default;

void CHelpDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_HELP_EDIT, m_editHelp);
}

BOOL CHelpDlg::OnButtonClicked(UINT nID) {
    static constexpr CommandEntry<CHelpDlg> kCommands[] = {
        {IDC_RETURN_BUTTON, &CHelpDlg::OnCancel},
    };
    return RunCommand(this, kCommands, nID) || CDialog::OnButtonClicked(nID);
}

BOOL CHelpDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    DressImageButton(m_btnReturn, this, IDC_RETURN_BUTTON, IDI_BACK, "返回程序主界面");
    for (const char* piece : help::Pieces()) {
        m_editHelp.AppendLine(piece);
    }
    return TRUE;
}
