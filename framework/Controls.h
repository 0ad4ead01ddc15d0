#pragma once

// Wrappers of the standard controls: each names one control window and owns nothing.

#include "framework/Wnd.h"

class CButton : public CWnd {
public:
    int GetCheck() const { return static_cast<int>(SendMessage(BM_GETCHECK)); }
    void SetCheck(int nCheck) const { SendMessage(BM_SETCHECK, static_cast<WPARAM>(nCheck)); }

    // An owner-drawn button (BS_OWNERDRAW) paints itself here; the parent hands each of its
    // WM_DRAWITEM requests for the button back to it.
    virtual void DrawItem(LPDRAWITEMSTRUCT) {}
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override {
        if (message != WM_DRAWITEM) {
            return CWnd::OnChildNotify(message, wParam, lParam, pResult);
        }
        DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
        *pResult = TRUE;
        return TRUE;
    }
};

class CComboBox : public CWnd {
public:
    int AddString(const char* text) const {
        return static_cast<int>(SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
    }
    int GetCount() const { return static_cast<int>(SendMessage(CB_GETCOUNT)); }
    int GetCurSel() const { return static_cast<int>(SendMessage(CB_GETCURSEL)); }
    int SetCurSel(int nSelect) const {
        return static_cast<int>(SendMessage(CB_SETCURSEL, static_cast<WPARAM>(nSelect)));
    }
    // CB_ERR when no item has that text (compared without regard to case).
    int FindStringExact(int nStartAfter, const char* text) const {
        return static_cast<int>(SendMessage(CB_FINDSTRINGEXACT, static_cast<WPARAM>(nStartAfter),
                                            reinterpret_cast<LPARAM>(text)));
    }
};

class CEdit : public CWnd {};
