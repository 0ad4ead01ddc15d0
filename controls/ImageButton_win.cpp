#include "controls/ImageButton_win.h"

#include <windowsx.h>

#include "controls/ButtonLook.h"
#include "controls/MemoryDC_win.h"
#include "controls/PointerTracking.h"
#include "framework/ResourceHandle.h"
#include "res/resource.h"

namespace {

constexpr UINT_PTR kToolId = 1;
// The size every window declares for its button icons.
constexpr BYTE kButtonIconSize = 32;

// The frame plan names the system's colours by number.
static_assert(controls::kColorBtnFace == COLOR_BTNFACE);
static_assert(controls::kColorBtnShadow == COLOR_BTNSHADOW);
static_assert(controls::kColorBtnText == COLOR_BTNTEXT);
static_assert(controls::kColorBtnHighlight == COLOR_BTNHIGHLIGHT);
static_assert(controls::kColor3dDkShadow == COLOR_3DDKSHADOW);
static_assert(controls::kColor3dLight == COLOR_3DLIGHT);

controls::Rect ToRect(const RECT& r) {
    return {static_cast<int>(r.left), static_cast<int>(r.top), static_cast<int>(r.right),
            static_cast<int>(r.bottom)};
}

RECT ToRECT(const controls::Rect& r) {
    return {r.left, r.top, r.right, r.bottom};
}

const char* ResourceId(UINT nId) {
    return MAKEINTRESOURCEA(LOWORD(nId));
}

HICON LoadIconFrom(HINSTANCE hModule, UINT nId) {
    return static_cast<HICON>(
        ::LoadImageA(hModule, ResourceId(nId), IMAGE_ICON, 0, 0, LR_DEFAULTCOLOR));
}

} // namespace

CImageButton::CImageButton() {
    // No window yet: nothing to repaint.
    SetDefaultIdleFaceColor(FALSE);
    SetDefaultIdleTextColor(FALSE);
    SetDefaultActiveFaceColor(FALSE);
    SetDefaultActiveTextColor(FALSE);
}

// The icons and the cursor go with their owning members.
CImageButton::~CImageButton() = default;

void CImageButton::SetIcons(UINT nIconActive, UINT nIconIdle, BYTE cxIcon, BYTE cyIcon) {
    // A second call replaces the icons of the first.
    HINSTANCE hModule = AfxFindResourceHandle(ResourceId(nIconActive), RT_GROUP_ICON);
    m_hIconActive.Reset(LoadIconFrom(hModule, nIconActive));
    m_idleIconOwner.Reset(nIconIdle != 0 ? LoadIconFrom(hModule, nIconIdle) : nullptr);
    m_hIconIdle = nIconIdle != 0 ? m_idleIconOwner.Get() : m_hIconActive.Get();
    m_cxIcon = cxIcon;
    m_cyIcon = cyIcon;
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

BOOL CImageButton::SetButtonCursor(int nCursorId) {
    m_hCursor.Reset();
    if (nCursorId == -1) {
        return TRUE;
    }
    const UINT nId = static_cast<UINT>(nCursorId);
    HINSTANCE hModule = AfxFindResourceHandle(ResourceId(nId), RT_GROUP_CURSOR);
    m_hCursor.Reset(static_cast<HCURSOR>(
        ::LoadImageA(hModule, ResourceId(nId), IMAGE_CURSOR, 0, 0, LR_DEFAULTCOLOR)));
    return m_hCursor != nullptr ? TRUE : FALSE;
}

void CImageButton::SetTooltipText(CString strText) {
    m_tipCtrl.UpdateTipText(strText, this, kToolId);
}

void CImageButton::SetSystemColor(COLORREF& crColor, int nIndex, BOOL bRepaint) {
    crColor = ::GetSysColor(nIndex);
    if (bRepaint == TRUE) {
        ::InvalidateRect(m_hWnd, nullptr, TRUE);
    }
}

void CImageButton::SetDefaultIdleFaceColor(BOOL bRepaint) {
    SetSystemColor(m_crIdleFace, COLOR_BTNFACE, bRepaint);
}

void CImageButton::SetDefaultIdleTextColor(BOOL bRepaint) {
    SetSystemColor(m_crIdleText, COLOR_BTNTEXT, bRepaint);
}

void CImageButton::SetDefaultActiveFaceColor(BOOL bRepaint) {
    SetSystemColor(m_crActiveFace, COLOR_BTNFACE, bRepaint);
}

void CImageButton::SetDefaultActiveTextColor(BOOL bRepaint) {
    SetSystemColor(m_crActiveText, COLOR_BTNTEXT, bRepaint);
}

void CImageButton::PreSubclassWindow() {
    RECT rcClient{};
    GetClientRect(&rcClient);
    // Only the low byte of the style carries the button type.
    const LONG style = ::GetWindowLongA(m_hWnd, GWL_STYLE);
    SendMessage(BM_SETSTYLE, static_cast<WPARAM>((style & 0xFF) | BS_OWNERDRAW), 1);
    m_tipCtrl.Create(this, 0);
    // The text comes later (SetTooltipText); the tool keeps today's client rectangle.
    m_tipCtrl.AddTool(this, "", &rcClient, kToolId);
    CButton::PreSubclassWindow();
}

BOOL CImageButton::PreTranslateMessage(MSG* pMsg) {
    m_tipCtrl.RelayEvent(pMsg);
    return CButton::PreTranslateMessage(pMsg);
}

BOOL CImageButton::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    switch (message) {
    case WM_CAPTURECHANGED:
        OnCaptureChanged(FromHandlePermanent(reinterpret_cast<HWND>(lParam)));
        *pResult = 0;
        return TRUE;
    case WM_SETCURSOR:
        *pResult = OnSetCursor(FromHandlePermanent(reinterpret_cast<HWND>(wParam)), LOWORD(lParam),
                               HIWORD(lParam));
        return TRUE;
    case WM_KILLFOCUS:
        OnKillFocus(FromHandlePermanent(reinterpret_cast<HWND>(wParam)));
        *pResult = 0;
        return TRUE;
    case WM_MOUSEMOVE:
        OnMouseMove(static_cast<UINT>(wParam), POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        *pResult = 0;
        return TRUE;
    default:
        return CButton::OnWndMsg(message, wParam, lParam, pResult);
    }
}

void CImageButton::ApplyTracking(bool hover, bool takeCapture, bool releaseCapture,
                                 bool invalidate) {
    m_bHover = hover ? TRUE : FALSE;
    if (takeCapture) {
        ::SetCapture(m_hWnd);
    }
    if (releaseCapture) {
        ::ReleaseCapture();
    }
    if (invalidate) {
        ::InvalidateRect(m_hWnd, nullptr, TRUE);
    }
}

void CImageButton::OnMouseMove(UINT nFlags, POINT point) {
    Default();
    RECT rcClient{};
    GetClientRect(&rcClient);
    controls::MouseMoveInput input;
    input.flat = m_bFlat != FALSE;
    input.leftButtonHeld = (nFlags & MK_LBUTTON) != 0;
    input.captureIsOurs = ::GetCapture() == m_hWnd;
    input.hasOwner = ::GetParent(m_hWnd) != nullptr;
    input.pointInside = ::PtInRect(&rcClient, point) != FALSE;
    const controls::TrackingStep step = controls::OnMouseMove(m_bHover != FALSE, input);
    ApplyTracking(step.hover, step.takeCapture, step.releaseCapture, step.invalidate);
}

void CImageButton::OnKillFocus(CWnd*) {
    Default();
    const controls::TrackingStep step = controls::OnKillFocus(m_bHover != FALSE, m_bFlat != FALSE);
    ApplyTracking(step.hover, step.takeCapture, step.releaseCapture, step.invalidate);
}

void CImageButton::OnCaptureChanged(CWnd*) {
    const controls::TrackingStep step = controls::OnCaptureChanged(m_bHover != FALSE);
    ApplyTracking(step.hover, step.takeCapture, step.releaseCapture, step.invalidate);
    Default();
}

BOOL CImageButton::OnSetCursor(CWnd*, UINT, UINT) {
    if (m_hCursor != nullptr) {
        ::SetCursor(m_hCursor);
        return TRUE;
    }
    return static_cast<BOOL>(Default());
}

void CImageButton::DrawItem(LPDRAWITEMSTRUCT pDraw) {
    CDC target(pDraw->hDC);
    CMemoryDC dc(&target);

    controls::ButtonState state;
    state.flat = m_bFlat != FALSE;
    state.drawBorder = m_bDrawBorder != FALSE;
    state.flatFocusRect = m_bFlatFocusRect != FALSE;
    state.hover = m_bHover != FALSE;
    state.pressed = (pDraw->itemState & ODS_SELECTED) != 0;
    state.focused = (pDraw->itemState & ODS_FOCUS) != 0;
    const bool disabled = (pDraw->itemState & ODS_DISABLED) != 0;
    const controls::FramePlan plan = controls::PlanFrame(ToRect(pDraw->rcItem), state);
    const bool active = plan.look == controls::Look::Active;

    if (plan.blackFrame) {
        CBrush black(RGB(0, 0, 0));
        dc.FrameRect(&pDraw->rcItem, &black);
    }
    const RECT rcFace = ToRECT(plan.face);
    CBrush face(active ? GetActiveFaceColor() : GetIdleFaceColor());
    dc.FillRect(&rcFace, &face);
    if (plan.frameRect) {
        CBrush frame(::GetSysColor(plan.frameRectColor));
        dc.FrameRect(&rcFace, &frame);
    }
    for (const controls::LineList& lines : plan.lines) {
        const CPen pen(PS_SOLID, 0, ::GetSysColor(lines.color));
        const fw::ScopedSelect penSelected = dc.SelectObject(pen);
        dc.MoveTo(lines.points[0].x, lines.points[0].y);
        for (size_t i = 1; i < lines.points.size(); ++i) {
            dc.LineTo(lines.points[i].x, lines.points[i].y);
        }
    }

    CString strCaption;
    GetWindowText(strCaption);
    if (!m_bShowText) {
        strCaption.Empty();
    }
    RECT rcCaption = pDraw->rcItem;
    if (m_hIconActive != nullptr) {
        DrawButtonIcon(&dc, strCaption, &pDraw->rcItem, &rcCaption, state.pressed, disabled);
    }

    if (!strCaption.IsEmpty()) {
        if (state.pressed) {
            ::OffsetRect(&rcCaption, 1, 1);
        }
        // The button's font belongs to its dialog.
        const fw::ScopedSelect fontSelected =
            dc.SelectObject(reinterpret_cast<HGDIOBJ>(SendMessage(WM_GETFONT)));
        dc.SetTextColor(active ? GetActiveTextColor() : GetIdleTextColor());
        dc.SetBkColor(active ? GetActiveFaceColor() : GetIdleFaceColor());
        RECT rcMeasured = rcCaption;
        dc.DrawText(strCaption, -1, &rcMeasured, DT_SINGLELINE | DT_CALCRECT);
        const RECT rcText =
            ToRECT(controls::CentreText(ToRect(rcCaption), rcMeasured.right - rcMeasured.left,
                                        rcMeasured.bottom - rcMeasured.top));
        dc.DrawState(POINT{rcText.left, rcText.top},
                     SIZE{rcText.right - rcText.left, rcText.bottom - rcText.top}, strCaption,
                     DST_PREFIXTEXT | (disabled ? DSS_DISABLED : 0), 0);
    }

    if (plan.focusRect) {
        const RECT rcFocus = ToRECT(plan.focus);
        dc.DrawFocusRect(&rcFocus);
    }
}

void CImageButton::DrawButtonIcon(CDC* pDC, const CString& strCaption, const RECT* prcItem,
                                  RECT* prcCaption, BOOL bPressed, BOOL bDisabled) {
    const controls::IconLayout layout =
        controls::PlaceIcon(m_nIconPlacement, ToRect(*prcItem), ToRect(*prcCaption),
                            !strCaption.IsEmpty(), m_cxIcon, m_cyIcon, bPressed != FALSE);
    *prcCaption = ToRECT(layout.caption);
    HICON hIcon = m_bHover || bPressed ? m_hIconActive.Get() : m_hIconIdle;
    if (hIcon == nullptr) {
        return; // an idle icon that failed to load: the caption area stays narrowed
    }
    pDC->DrawState(POINT{layout.icon.left, layout.icon.top},
                   SIZE{layout.icon.Width(), layout.icon.Height()}, hIcon,
                   DST_ICON | (bDisabled ? DSS_DISABLED : 0));
}

void DressImageButton(CImageButton& button, CWnd* pParent, UINT nID, UINT nIcon,
                      const char* pszTip) {
    button.SubclassDlgItem(nID, pParent);
    button.SetIcons(nIcon, 0, kButtonIconSize, kButtonIconSize);
    button.SetTooltipText(pszTip);
    button.SetButtonCursor(IDC_HAND_POINTER);
}
