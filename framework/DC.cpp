#include "framework/DC.h"

#include <map>
#include <memory>

#include "framework/Wnd.h"

namespace {

// Wrappers for objects that belong to someone else (the stock objects a fresh context holds,
// an object selected by another party). Kept per thread and per type, never deleting; a
// handle that comes back gets the same wrapper.
template <class T, class Handle> T* BorrowedWrapper(Handle handle) {
    if (handle == nullptr) {
        return nullptr;
    }
    struct Release {
        void operator()(T* p) const {
            p->Detach();
            delete p;
        }
    };
    thread_local std::map<Handle, std::unique_ptr<T, Release>> wrappers;
    auto& slot = wrappers[handle];
    if (!slot) {
        slot.reset(new T);
        slot->Attach(handle);
    }
    return slot.get();
}

// The object that selecting pObject displaced, as a borrowed wrapper of the same type.
template <class T, class Handle> T* SelectInto(HDC hDC, T* pObject) {
    HGDIOBJ old = ::SelectObject(hDC, pObject != nullptr ? pObject->m_hObject : nullptr);
    if (old == nullptr || old == HGDI_ERROR) {
        return nullptr;
    }
    return BorrowedWrapper<T>(static_cast<Handle>(old));
}

} // namespace

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

HGDIOBJ CGdiObject::Detach() {
    HGDIOBJ hObject = m_hObject;
    m_hObject = nullptr;
    return hObject;
}

BOOL CGdiObject::DeleteObject() {
    if (m_hObject == nullptr) {
        return FALSE;
    }
    return ::DeleteObject(Detach());
}

BOOL CPen::CreatePen(int nPenStyle, int nWidth, COLORREF crColor) {
    return Attach(::CreatePen(nPenStyle, nWidth, crColor));
}

CPen* CPen::FromHandle(HPEN hPen) {
    return BorrowedWrapper<CPen>(hPen);
}

BOOL CBrush::CreateSolidBrush(COLORREF crColor) {
    return Attach(::CreateSolidBrush(crColor));
}

CBrush* CBrush::FromHandle(HBRUSH hBrush) {
    return BorrowedWrapper<CBrush>(hBrush);
}

CFont* CFont::FromHandle(HFONT hFont) {
    return BorrowedWrapper<CFont>(hFont);
}

BOOL CBitmap::CreateCompatibleBitmap(CDC* pDC, int nWidth, int nHeight) {
    return Attach(::CreateCompatibleBitmap(pDC->m_hDC, nWidth, nHeight));
}

CBitmap* CBitmap::FromHandle(HBITMAP hBitmap) {
    return BorrowedWrapper<CBitmap>(hBitmap);
}

CDC::~CDC() {
    if (m_bOwnsDC) {
        DeleteDC();
    }
}

BOOL CDC::CreateCompatibleDC(CDC* pDC) {
    HDC hDC = ::CreateCompatibleDC(pDC != nullptr ? pDC->m_hDC : nullptr);
    if (hDC == nullptr) {
        return FALSE;
    }
    m_hDC = m_hAttribDC = hDC;
    m_bOwnsDC = TRUE;
    return TRUE;
}

BOOL CDC::DeleteDC() {
    if (m_hDC == nullptr) {
        return FALSE;
    }
    HDC hDC = m_hDC;
    const BOOL owned = m_bOwnsDC;
    m_hDC = m_hAttribDC = nullptr;
    m_bOwnsDC = FALSE;
    return owned ? ::DeleteDC(hDC) : FALSE;
}

CPen* CDC::SelectObject(CPen* pPen) {
    return SelectInto<CPen, HPEN>(m_hDC, pPen);
}

CBrush* CDC::SelectObject(CBrush* pBrush) {
    return SelectInto<CBrush, HBRUSH>(m_hDC, pBrush);
}

CFont* CDC::SelectObject(CFont* pFont) {
    return SelectInto<CFont, HFONT>(m_hDC, pFont);
}

CBitmap* CDC::SelectObject(CBitmap* pBitmap) {
    return SelectInto<CBitmap, HBITMAP>(m_hDC, pBitmap);
}

HGDIOBJ CDC::SelectObject(HGDIOBJ hObject) {
    return ::SelectObject(m_hDC, hObject);
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
