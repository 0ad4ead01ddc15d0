#include "framework/DC.h"

#include <utility>

#include "framework/Wnd.h"

CGdiObject::~CGdiObject() {
    DeleteObject();
}

BOOL CGdiObject::Attach(HGDIOBJ hObject) {
    if (hObject == nullptr) {
        return FALSE;
    }
    m_hObject = hObject;
    return TRUE;
}

BOOL CGdiObject::DeleteObject() {
    if (m_hObject == nullptr) {
        return FALSE;
    }
    return ::DeleteObject(std::exchange(m_hObject, nullptr));
}

BOOL CPen::CreatePen(int nPenStyle, int nWidth, COLORREF crColor) {
    return Attach(::CreatePen(nPenStyle, nWidth, crColor));
}

BOOL CBrush::CreateSolidBrush(COLORREF crColor) {
    return Attach(::CreateSolidBrush(crColor));
}

BOOL CBitmap::CreateCompatibleBitmap(CDC* pDC, int nWidth, int nHeight) {
    return Attach(::CreateCompatibleBitmap(pDC->m_hDC, nWidth, nHeight));
}

CDC::~CDC() = default;

BOOL CDC::CreateCompatibleDC(CDC* pDC) {
    HDC hDC = ::CreateCompatibleDC(pDC != nullptr ? pDC->m_hDC : nullptr);
    if (hDC == nullptr) {
        return FALSE;
    }
    m_ownedDC.Reset(hDC);
    m_hDC = m_hAttribDC = hDC;
    return TRUE;
}

POINT CDC::SetWindowOrg(int x, int y) {
    POINT old{};
    ::SetWindowOrgEx(m_hDC, x, y, &old);
    return old;
}

COLORREF CDC::SetTextColor(COLORREF crColor) {
    return ::SetTextColor(m_hDC, crColor);
}

COLORREF CDC::SetBkColor(COLORREF crColor) {
    return ::SetBkColor(m_hDC, crColor);
}

BOOL CDC::BitBlt(int x, int y, int nWidth, int nHeight, CDC* pSrcDC, int xSrc, int ySrc,
                 DWORD dwRop) const {
    return ::BitBlt(m_hDC, x, y, nWidth, nHeight, pSrcDC != nullptr ? pSrcDC->m_hDC : nullptr, xSrc,
                    ySrc, dwRop);
}

void CDC::FillRect(const RECT* lpRect, CBrush* pBrush) const {
    ::FillRect(m_hDC, lpRect, static_cast<HBRUSH>(pBrush->m_hObject));
}

void CDC::FrameRect(const RECT* lpRect, CBrush* pBrush) const {
    ::FrameRect(m_hDC, lpRect, static_cast<HBRUSH>(pBrush->m_hObject));
}

POINT CDC::MoveTo(int x, int y) {
    POINT old{};
    ::MoveToEx(m_hDC, x, y, &old);
    return old;
}

int CDC::DrawText(const char* lpszString, int nCount, RECT* lpRect, UINT nFormat) const {
    return ::DrawTextA(m_hDC, lpszString, nCount, lpRect, nFormat);
}

BOOL CDC::DrawState(POINT pt, SIZE size, const char* lpszText, UINT nFlags, int nTextLen,
                    HBRUSH hBrush) const {
    return ::DrawStateA(m_hDC, hBrush, nullptr, reinterpret_cast<LPARAM>(lpszText),
                        static_cast<WPARAM>(nTextLen), pt.x, pt.y, size.cx, size.cy, nFlags);
}

BOOL CDC::DrawState(POINT pt, SIZE size, HICON hIcon, UINT nFlags, HBRUSH hBrush) const {
    return ::DrawStateA(m_hDC, hBrush, nullptr, reinterpret_cast<LPARAM>(hIcon), 0, pt.x, pt.y,
                        size.cx, size.cy, nFlags);
}

CPaintDC::CPaintDC(CWnd* pWnd) : m_hWndPaint(pWnd->m_hWnd) {
    m_hDC = m_hAttribDC = ::BeginPaint(m_hWndPaint, &m_ps);
}

CPaintDC::~CPaintDC() {
    ::EndPaint(m_hWndPaint, &m_ps);
}
