#include "framework/DataExchange.h"

#include "framework/Wnd.h"

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl) {
    if (rControl.m_hWnd == nullptr) {
        rControl.Attach(pDX->m_pDlgWnd->GetDlgItem(nIDC));
    }
}

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value) {
    if (pDX->m_bSaveAndValidate) {
        value = pDX->m_pDlgWnd->GetDlgItemText(nIDC);
    } else {
        pDX->m_pDlgWnd->SetDlgItemText(nIDC, value);
    }
}
