#pragma once

// Modal dialogs built from a dialog template resource.

#include <cstddef>

#include "framework/Wnd.h"

// One row of a dialog's command table: a control or menu id and the handler it runs.
template <class TDialog> struct CommandEntry {
    UINT nID;
    void (TDialog::*pfnHandler)();
};

// Runs the handler the table gives for nID; FALSE when it gives none.
template <class TDialog, std::size_t N>
BOOL RunCommand(TDialog* pDialog, const CommandEntry<TDialog> (&table)[N], UINT nID) {
    for (const CommandEntry<TDialog>& entry : table) {
        if (entry.nID == nID) {
            (pDialog->*entry.pfnHandler)();
            return TRUE;
        }
    }
    return FALSE;
}

class CDialog : public CWnd {
public:
    CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);

    // Runs the dialog until EndDialog; returns the value handed to EndDialog, or -1 when
    // the dialog could not be created.
    virtual INT_PTR DoModal();
    void EndDialog(int nResult) const;

    virtual BOOL OnInitDialog();

    // Centres the dialog over its owner (or pAlternateOwner), or over the work area while that
    // window is hidden or minimised; the dialog is kept inside the work area.
    void CenterWindow(CWnd* pAlternateOwner = nullptr) const;

protected:
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

    // Button nID was clicked, or the menu item or accelerator of that id chosen; TRUE when
    // handled. Here IDOK and IDCANCEL (Enter and Esc) run OnOK and OnCancel.
    virtual BOOL OnButtonClicked(UINT nID);
    // The selection of combo or list box nID changed; TRUE when handled.
    virtual BOOL OnSelChange(UINT nID);
    // A common control's notification; TRUE when handled, with its answer in *pResult.
    virtual BOOL OnNotify(const NMHDR* pHeader, LRESULT* pResult);

    virtual void OnOK();
    virtual void OnCancel();
    virtual HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;

private:
    static INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
};
