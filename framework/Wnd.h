#pragma once

// The window wrapper: a non-owning CWnd with one trampoline window procedure that finds the
// C++ object of a subclassed window and forwards every message to its virtual WindowProc.

#include <windows.h>

#include "framework/String.h"

class CDataExchange;

class CWnd {
public:
    CWnd() = default;
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;

    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }

    // Plain attachment: the object names the window but receives none of its messages.
    BOOL Attach(HWND hWnd);
    HWND Detach();

    // Routes the window's messages through this object; the previous procedure becomes the
    // default processing. Undone automatically when the window is destroyed.
    BOOL SubclassWindow(HWND hWnd);
    BOOL SubclassDlgItem(UINT nID, CWnd* pParent);
    HWND UnsubclassWindow();

    // Message processing. WindowProc offers a message to OnWndMsg (each class's message map),
    // then to DefWindowProc.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The default processing of the message being handled now.
    LRESULT Default();

    // Data exchange between members and controls (FALSE: toward the controls).
    virtual void DoDataExchange(CDataExchange* pDX);
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    // Thin calls on the window.
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    BOOL ShowWindow(int nCmdShow) const;
    BOOL EnableWindow(BOOL bEnable = TRUE) const;
    BOOL IsWindowEnabled() const;
    BOOL IsIconic() const;
    void SetWindowText(const char* text) const;
    void GetWindowText(CString& text) const;
    void GetClientRect(RECT* rect) const;
    HICON SetIcon(HICON hIcon, BOOL bBigIcon) const;
    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse) const;
    BOOL KillTimer(UINT_PTR nIDEvent) const;
    int MessageBox(const char* text, const char* caption = nullptr, UINT type = MB_OK) const;

    // Controls of this window, addressed by id.
    HWND GetDlgItem(int nID) const;
    void SetDlgItemText(int nID, const char* text) const;
    CString GetDlgItemText(int nID) const;
    BOOL EnableDlgItem(int nID, BOOL bEnable) const;
    LRESULT SendDlgItemMessage(int nID, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;

    // The object that subclassed hWnd, or nullptr.
    static CWnd* FromHandlePermanent(HWND hWnd);

protected:
    virtual void PostNcDestroy() {}

private:
    static LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT RouteMessage(UINT message, WPARAM wParam, LPARAM lParam);

    WNDPROC m_pfnSuper = nullptr;
    const MSG* m_pCurrentMsg = nullptr;
};

// A device context the object does not own (as handed to a paint or colour handler).
class CDC {
public:
    CDC() = default;
    explicit CDC(HDC hDC) : m_hDC(hDC) {}
    virtual ~CDC() = default;
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    HDC m_hDC = nullptr;
    HDC GetSafeHdc() const { return m_hDC; }
    BOOL DrawIcon(int x, int y, HICON hIcon) const { return ::DrawIcon(m_hDC, x, y, hIcon); }
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
