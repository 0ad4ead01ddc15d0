#include "framework/Dialog.h"

#include "framework/WinApp.h"

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

INT_PTR CDialog::DoModal() {
    // Without a parent of its own a dialog is owned by the application's main window.
    CWnd* pOwner = m_pParentWnd;
    if (pOwner == nullptr && AfxGetApp() != nullptr && AfxGetApp()->m_pMainWnd != this) {
        pOwner = AfxGetApp()->m_pMainWnd;
    }
    HWND hParent = pOwner != nullptr ? pOwner->m_hWnd : nullptr;
    return ::DialogBoxParamA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(m_nIDTemplate), hParent,
                             &CDialog::AfxDlgProc, reinterpret_cast<LPARAM>(this));
}

void CDialog::CenterWindow(CWnd* pAlternateOwner) const {
    HWND hCenter =
        pAlternateOwner != nullptr ? pAlternateOwner->m_hWnd : ::GetWindow(m_hWnd, GW_OWNER);
    if (hCenter != nullptr && (!::IsWindowVisible(hCenter) || ::IsIconic(hCenter))) {
        hCenter = nullptr;
    }
    RECT area{};
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    RECT over = area;
    if (hCenter != nullptr) {
        ::GetWindowRect(hCenter, &over);
    }
    RECT dialog{};
    ::GetWindowRect(m_hWnd, &dialog);
    const LONG width = dialog.right - dialog.left;
    const LONG height = dialog.bottom - dialog.top;
    LONG left = (over.left + over.right) / 2 - width / 2;
    LONG top = (over.top + over.bottom) / 2 - height / 2;
    // An owner near an edge must not push the dialog off the screen.
    if (left + width > area.right) {
        left = area.right - width;
    }
    if (left < area.left) {
        left = area.left;
    }
    if (top + height > area.bottom) {
        top = area.bottom - height;
    }
    if (top < area.top) {
        top = area.top;
    }
    ::SetWindowPos(m_hWnd, nullptr, left, top, -1, -1, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CDialog::EndDialog(int nResult) const {
    ::EndDialog(m_hWnd, nResult);
}

// The dialog manager calls this first; at WM_INITDIALOG the window is subclassed so that from
// then on every message passes through the object's WindowProc, with the dialog manager as
// its default processing.
INT_PTR CALLBACK CDialog::AfxDlgProc(HWND hWnd, UINT message, WPARAM, LPARAM lParam) {
    if (message != WM_INITDIALOG) {
        return FALSE;
    }
    auto* pDialog = reinterpret_cast<CDialog*>(lParam);
    pDialog->SubclassWindow(hWnd);
    // A system-modal template asks for a window above all others; not every system makes it so.
    if ((::GetWindowLongA(hWnd, GWL_STYLE) & DS_SYSMODAL) != 0) {
        ::SetWindowPos(hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    RECT before{};
    ::GetWindowRect(hWnd, &before);
    const BOOL result = pDialog->OnInitDialog();
    // A dialog its initialisation did not place is centred over its owner, or over the work
    // area (templates give 0, 0).
    RECT after{};
    ::GetWindowRect(hWnd, &after);
    const LONG style = ::GetWindowLongA(hWnd, GWL_STYLE);
    if (::IsWindow(hWnd) && ::EqualRect(&before, &after) && (style & (WS_CHILD | DS_CENTER)) == 0) {
        pDialog->CenterWindow();
    }
    return result;
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

BOOL CDialog::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    switch (message) {
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC: {
        CDC dc(reinterpret_cast<HDC>(wParam));
        CWnd control;
        control.Attach(reinterpret_cast<HWND>(lParam));
        *pResult =
            reinterpret_cast<LRESULT>(OnCtlColor(&dc, &control, message - WM_CTLCOLORMSGBOX));
        control.Detach();
        return TRUE;
    }
    case WM_COMMAND:
        // Control notifications nobody handles go on to the dialog manager.
        if ((HIWORD(wParam) == BN_CLICKED && OnButtonClicked(LOWORD(wParam))) ||
            (HIWORD(wParam) == CBN_SELCHANGE && OnSelChange(LOWORD(wParam)))) {
            *pResult = 0;
            return TRUE;
        }
        return FALSE;
    case WM_NOTIFY:
        return OnNotify(reinterpret_cast<const NMHDR*>(lParam), pResult);
    default:
        return CWnd::OnWndMsg(message, wParam, lParam, pResult);
    }
}

BOOL CDialog::OnButtonClicked(UINT nID) {
    switch (nID) {
    case IDOK:
        OnOK();
        return TRUE;
    case IDCANCEL:
        OnCancel();
        return TRUE;
    default:
        return FALSE;
    }
}

BOOL CDialog::OnSelChange(UINT) {
    return FALSE;
}

BOOL CDialog::OnNotify(const NMHDR*, LRESULT*) {
    return FALSE;
}

void CDialog::OnOK() {
    UpdateData(TRUE);
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

HBRUSH CDialog::OnCtlColor(CDC*, CWnd*, UINT) {
    return reinterpret_cast<HBRUSH>(Default());
}
