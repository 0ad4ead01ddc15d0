#pragma once

// Device contexts and the GDI objects drawn with them, in the framework's manner. A CDC
// deletes only a context it created itself (CreateCompatibleDC); contexts handed over by a
// paint or colour request are borrowed. A GDI object deletes what it holds, except the
// wrappers FromHandle returns for objects someone else owns.

#include <windows.h>

class CWnd;

class CGdiObject {
public:
    CGdiObject() = default;
    virtual ~CGdiObject();
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;

    HGDIOBJ m_hObject = nullptr;
    HGDIOBJ GetSafeHandle() const { return m_hObject; }

    BOOL Attach(HGDIOBJ hObject);
    HGDIOBJ Detach();
    BOOL DeleteObject();
};

class CPen : public CGdiObject {
public:
    CPen() = default;
    CPen(int nPenStyle, int nWidth, COLORREF crColor) { CreatePen(nPenStyle, nWidth, crColor); }
    BOOL CreatePen(int nPenStyle, int nWidth, COLORREF crColor);
    operator HPEN() const { return static_cast<HPEN>(m_hObject); }
    // A wrapper that never deletes hPen, valid for the life of the thread.
    static CPen* FromHandle(HPEN hPen);
};

class CBrush : public CGdiObject {
public:
    CBrush() = default;
    explicit CBrush(COLORREF crColor) { CreateSolidBrush(crColor); }
    BOOL CreateSolidBrush(COLORREF crColor);
    operator HBRUSH() const { return static_cast<HBRUSH>(m_hObject); }
    static CBrush* FromHandle(HBRUSH hBrush);
};

class CFont : public CGdiObject {
public:
    operator HFONT() const { return static_cast<HFONT>(m_hObject); }
    static CFont* FromHandle(HFONT hFont);
};

class CDC;

class CBitmap : public CGdiObject {
public:
    BOOL CreateCompatibleBitmap(CDC* pDC, int nWidth, int nHeight);
    operator HBITMAP() const { return static_cast<HBITMAP>(m_hObject); }
    static CBitmap* FromHandle(HBITMAP hBitmap);
};

class CDC {
public:
    CDC() = default;
    // Borrows hDC: output and attributes both go to it; it is never deleted here.
    explicit CDC(HDC hDC) : m_hDC(hDC), m_hAttribDC(hDC) {}
    virtual ~CDC();
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    HDC m_hDC = nullptr;       // where output goes
    HDC m_hAttribDC = nullptr; // what attributes are read from
    BOOL m_bPrinting = FALSE;

    HDC GetSafeHdc() const { return m_hDC; }
    BOOL IsPrinting() const { return m_bPrinting; }

    // A memory context compatible with pDC (the screen when null), owned by this object.
    BOOL CreateCompatibleDC(CDC* pDC);
    BOOL DeleteDC();

    // Selection: each returns the object displaced (a wrapper that does not own it).
    CPen* SelectObject(CPen* pPen);
    CBrush* SelectObject(CBrush* pBrush);
    CFont* SelectObject(CFont* pFont);
    CBitmap* SelectObject(CBitmap* pBitmap);
    HGDIOBJ SelectObject(HGDIOBJ hObject);

    int GetClipBox(RECT* lpRect) const { return ::GetClipBox(m_hDC, lpRect); }
    POINT SetWindowOrg(int x, int y);
    COLORREF SetTextColor(COLORREF crColor);
    COLORREF SetBkColor(COLORREF crColor);

    BOOL BitBlt(int x, int y, int nWidth, int nHeight, CDC* pSrcDC, int xSrc, int ySrc,
                DWORD dwRop) const;
    void FillRect(const RECT* lpRect, CBrush* pBrush) const;
    void FrameRect(const RECT* lpRect, CBrush* pBrush) const;
    void DrawFocusRect(const RECT* lpRect) const { ::DrawFocusRect(m_hDC, lpRect); }
    POINT MoveTo(int x, int y);
    BOOL LineTo(int x, int y) const { return ::LineTo(m_hDC, x, y); }
    int DrawText(const char* lpszString, int nCount, RECT* lpRect, UINT nFormat) const;
    BOOL DrawState(POINT pt, SIZE size, const char* lpszText, UINT nFlags, int nTextLen,
                   HBRUSH hBrush = nullptr) const;
    BOOL DrawState(POINT pt, SIZE size, HICON hIcon, UINT nFlags, HBRUSH hBrush = nullptr) const;
    BOOL DrawIcon(int x, int y, HICON hIcon) const { return ::DrawIcon(m_hDC, x, y, hIcon); }

private:
    BOOL m_bOwnsDC = FALSE;
};

// BeginPaint for the lifetime of the object, EndPaint in the destructor.
class CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* pWnd);
    ~CPaintDC() override;
    PAINTSTRUCT m_ps{};

private:
    HWND m_hWndPaint;
};
