#include "windows/HelpDlg.h"

#include "windows/HelpText.h"

CHelpDlg::CHelpDlg(CWnd* pParent) : CDialog(IDD, pParent) {}

CHelpDlg::~CHelpDlg() = default;

void CHelpDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_HELP_EDIT, m_editHelp);
}

BOOL CHelpDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == IDC_RETURN_BUTTON) {
        OnCancel();
        return TRUE;
    }
    return CDialog::OnCommand(wParam, lParam);
}

BOOL CHelpDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    DressImageButton(m_btnReturn, this, IDC_RETURN_BUTTON, IDI_BACK, "返回程序主界面");
    for (const char* piece : help::Pieces()) {
        m_editHelp.AppendLine(piece);
    }
    return TRUE;
}
