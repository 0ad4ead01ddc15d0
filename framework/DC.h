#pragma once

// Device contexts and the GDI objects drawn with them, in the framework's manner (ownership as
// framework/Handles.h sets it out). A CDC deletes only a context it created itself
// (CreateCompatibleDC); contexts handed over by a paint or colour request are borrowed. A GDI
// object deletes what it holds.

#include <windows.h>

#include "framework/Handles.h"

class CWnd;

class CGdiObject {
public:
    CGdiObject() = default;
    virtual ~CGdiObject();
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;

    HGDIOBJ m_hObject = nullptr;
    HGDIOBJ GetSafeHandle() const { return m_hObject; }

    // Takes over hObject, which the object then deletes.
    BOOL Attach(HGDIOBJ hObject);
    BOOL DeleteObject();
};

class CPen : public CGdiObject {
public:
    CPen() = default;
    CPen(int nPenStyle, int nWidth, COLORREF crColor) { CreatePen(nPenStyle, nWidth, crColor); }
    BOOL CreatePen(int nPenStyle, int nWidth, COLORREF crColor);
    operator HPEN() const { return static_cast<HPEN>(m_hObject); }
};

class CBrush : public CGdiObject {
public:
    CBrush() = default;
    explicit CBrush(COLORREF crColor) { CreateSolidBrush(crColor); }
    BOOL CreateSolidBrush(COLORREF crColor);
    operator HBRUSH() const { return static_cast<HBRUSH>(m_hObject); }
};

class CDC;

class CBitmap : public CGdiObject {
public:
    BOOL CreateCompatibleBitmap(CDC* pDC, int nWidth, int nHeight);
    operator HBITMAP() const { return static_cast<HBITMAP>(m_hObject); }
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

    // Selects the object until the returned guard ends, which puts the displaced one back.
    [[nodiscard]] fw::ScopedSelect SelectObject(const CGdiObject& object) const {
        return SelectObject(object.m_hObject);
    }
    [[nodiscard]] fw::ScopedSelect SelectObject(HGDIOBJ hObject) const {
        return fw::ScopedSelect(m_hDC, hObject);
    }

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
    fw::UniqueMemoryDc m_ownedDC; // the context CreateCompatibleDC made, if any
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
