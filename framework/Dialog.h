#pragma once

// Modal dialogs built from a dialog template resource.

#include "framework/Wnd.h"

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
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

    virtual void OnOK();
    virtual void OnCancel();
    virtual HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;

private:
    static INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
};
