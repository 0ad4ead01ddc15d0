#pragma once

// The window wrapper: a non-owning CWnd with one trampoline window procedure that finds the
// C++ object of a subclassed window and forwards every message to its virtual WindowProc.
//
// The route of a message, from the window procedure to a handler:
// 1. AfxWndProc, the window procedure of every subclassed window (a dialog is subclassed at
//    WM_INITDIALOG), looks the object up and calls WindowProc. A class overrides WindowProc
//    only to see a message before everything else (the main window's minimise to the tray).
// 2. WindowProc offers it to OnWndMsg, each class's message table: a switch of
//    `case WM_X: OnX(...)` that passes what it does not handle on to its base class. There
//    CDialog turns WM_COMMAND into OnButtonClicked(id) or OnSelChange(id), where each dialog
//    keeps its command table, and WM_NOTIFY into OnNotify(NMHDR); CWnd hands WM_DRAWITEM back
//    to the control that draws itself.
// 3. What no table claims goes to DefWindowProc, the window's previous procedure (for a
//    dialog, the dialog manager). A message no table has an entry for, such as the main
//    window's WM_RASDIALEVENT, can therefore be caught by overriding DefWindowProc: nothing
//    claims it first. Default() runs this step from inside a handler.

#include <windows.h>

#include "framework/DC.h"
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

    // Message processing, in the order of the route above.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
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

    // Offered every message of the thread's modal loops before it is dispatched, from the
    // window it is addressed to up through its parents; TRUE ends its processing.
    virtual BOOL PreTranslateMessage(MSG* pMsg);

    // A notification the parent received about this control (WM_DRAWITEM), handed back so
    // the control can answer it itself; TRUE when handled, with the parent's result.
    virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);

protected:
    // Runs inside SubclassWindow, after m_hWnd is set and before the messages are routed here.
    virtual void PreSubclassWindow() {}
    virtual void PostNcDestroy() {}

private:
    static LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT RouteMessage(UINT message, WPARAM wParam, LPARAM lParam);

    WNDPROC m_pfnSuper = nullptr;
    const MSG* m_pCurrentMsg = nullptr;
};
