#pragma once

// A push button with an icon beside its caption, a flat face that shows a thin raised frame
// while the pointer is over it and a sunken one while pressed, a tooltip and a cursor of its
// own. It keeps the standard button's behaviour (focus, keyboard, BN_CLICKED to the parent).
// A window subclasses its dialog control with it, then sets icon, tooltip text and cursor.

#include <windows.h>

#include "controls/ButtonGeometry.h"
#include "framework/Controls.h"
#include "framework/DC.h"
#include "framework/Handles.h"
#include "framework/String.h"
#include "framework/ToolTipCtrl.h"

class CImageButton : public CButton {
public:
    enum {
        ICON_LEFT_OF_TEXT = controls::ICON_LEFT_OF_TEXT,
        ICON_ABOVE_TEXT = controls::ICON_ABOVE_TEXT
    };

    CImageButton();
    ~CImageButton() override;

    // Loads the icons of the active and idle looks (nIconIdle 0: the same as the active one)
    // from the program's resources; cx and cy are the size the placement counts with. The
    // button is repainted at once.
    void SetIcons(UINT nIconActive, UINT nIconIdle, BYTE cxIcon, BYTE cyIcon);
    // The cursor resource shown over the button; -1 drops the button's own cursor. FALSE
    // when no cursor could be loaded.
    BOOL SetButtonCursor(int nCursorId);
    // Needs the tooltip, which exists from the subclassing on.
    void SetTooltipText(CString strText);

    // Each sets one colour to the system's default; only bRepaint == 1 repaints.
    void SetDefaultIdleFaceColor(BOOL bRepaint);
    void SetDefaultIdleTextColor(BOOL bRepaint);
    void SetDefaultActiveFaceColor(BOOL bRepaint);
    void SetDefaultActiveTextColor(BOOL bRepaint);
    COLORREF GetIdleFaceColor() const { return m_crIdleFace; }
    COLORREF GetIdleTextColor() const { return m_crIdleText; }
    COLORREF GetActiveFaceColor() const { return m_crActiveFace; }
    COLORREF GetActiveTextColor() const { return m_crActiveText; }

    BOOL PreTranslateMessage(MSG* pMsg) override;
    void DrawItem(LPDRAWITEMSTRUCT pDraw) override;

protected:
    void PreSubclassWindow() override;
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

    void OnMouseMove(UINT nFlags, POINT point);
    void OnKillFocus(CWnd* pNewWnd);
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    void OnCaptureChanged(CWnd* pWnd);

    // Places and draws the icon, narrowing the caption rectangle to the area beside it.
    void DrawButtonIcon(CDC* pDC, const CString& strCaption, const RECT* prcItem, RECT* prcCaption,
                        BOOL bPressed, BOOL bDisabled);

    CToolTipCtrl m_tipCtrl;
    int m_nIconPlacement = ICON_LEFT_OF_TEXT;
    BOOL m_bShowText = TRUE;
    BOOL m_bDrawBorder = TRUE;
    BOOL m_bFlat = TRUE;
    BOOL m_bHover = FALSE;
    BOOL m_bFlatFocusRect = FALSE;
    fw::UniqueCursor m_hCursor;
    fw::UniqueIcon m_hIconActive;
    // The active look's icon when both looks show the same one; else m_idleIconOwner's.
    HICON m_hIconIdle = nullptr;
    BYTE m_cyIcon = 0;
    BYTE m_cxIcon = 0;
    COLORREF m_crIdleFace = 0;
    COLORREF m_crIdleText = 0;
    COLORREF m_crActiveFace = 0;
    COLORREF m_crActiveText = 0;

private:
    // One of the four colours from the system; only bRepaint == 1 repaints.
    void SetSystemColor(COLORREF& crColor, int nIndex, BOOL bRepaint);

    fw::UniqueIcon m_idleIconOwner; // an idle icon of its own, if any
    void ApplyTracking(bool hover, bool takeCapture, bool releaseCapture, bool invalidate);
};

// How every window dresses a push button of its template, in this order: subclassed (control
// nID of pParent), icon nIcon (an IDI_* resource) at 32 x 32 in both looks, the tooltip text,
// the hand cursor.
void DressImageButton(CImageButton& button, CWnd* pParent, UINT nID, UINT nIcon,
                      const char* pszTip);
