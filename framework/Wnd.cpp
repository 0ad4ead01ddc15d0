#include "framework/Wnd.h"

#include <unordered_map>
#include <vector>

#include "framework/DataExchange.h"

namespace {
// The one place that links a window to its C++ object. A window's messages are handled on the
// thread that made it, so each thread keeps its own map; a process-local lookup costs far
// less than a window property, which some systems fetch from another process on every call.
std::unordered_map<HWND, CWnd*>& PermanentMap() {
    thread_local std::unordered_map<HWND, CWnd*> map;
    return map;
}

// The modal loops of dialogs and message boxes run inside the system; each offers its
// messages to the thread's message filter before dispatching them, and that is where the
// objects' PreTranslateMessage step runs.
BOOL WalkPreTranslateTree(MSG* pMsg) {
    for (HWND hWnd = pMsg->hwnd; hWnd != nullptr; hWnd = ::GetParent(hWnd)) {
        if (CWnd* pWnd = CWnd::FromHandlePermanent(hWnd)) {
            if (pWnd->PreTranslateMessage(pMsg)) {
                return TRUE;
            }
        }
        if ((::GetWindowLongA(hWnd, GWL_STYLE) & WS_CHILD) == 0) {
            break;
        }
    }
    return FALSE;
}

LRESULT CALLBACK MessageFilterProc(int code, WPARAM wParam, LPARAM lParam) {
    if (code >= 0 && WalkPreTranslateTree(reinterpret_cast<MSG*>(lParam))) {
        return TRUE;
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

// Once per thread that subclasses a window; the system removes it when the thread ends.
void EnsureMessageFilter() {
    thread_local HHOOK hook =
        ::SetWindowsHookExA(WH_MSGFILTER, &MessageFilterProc, nullptr, ::GetCurrentThreadId());
    (void)hook;
}
} // namespace

CWnd::~CWnd() {
    if (m_pfnSuper != nullptr && m_hWnd != nullptr && ::IsWindow(m_hWnd)) {
        UnsubclassWindow();
    }
}

BOOL CWnd::Attach(HWND hWnd) {
    if (hWnd == nullptr) {
        return FALSE;
    }
    m_hWnd = hWnd;
    return TRUE;
}

HWND CWnd::Detach() {
    HWND hWnd = m_hWnd;
    m_hWnd = nullptr;
    return hWnd;
}

BOOL CWnd::SubclassWindow(HWND hWnd) {
    if (hWnd == nullptr || m_pfnSuper != nullptr || FromHandlePermanent(hWnd) != nullptr) {
        return FALSE;
    }
    EnsureMessageFilter();
    PermanentMap()[hWnd] = this;
    m_hWnd = hWnd;
    PreSubclassWindow();
    m_pfnSuper = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::AfxWndProc)));
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd* pParent) {
    return SubclassWindow(::GetDlgItem(pParent->m_hWnd, static_cast<int>(nID)));
}

HWND CWnd::UnsubclassWindow() {
    if (m_pfnSuper != nullptr) {
        ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
        PermanentMap().erase(m_hWnd);
        m_pfnSuper = nullptr;
    }
    return Detach();
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd) {
    const auto& map = PermanentMap();
    const auto found = map.find(hWnd);
    return found != map.end() ? found->second : nullptr;
}

LRESULT CALLBACK CWnd::AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* pWnd = FromHandlePermanent(hWnd);
    if (pWnd == nullptr) {
        return ::DefWindowProcA(hWnd, message, wParam, lParam);
    }
    return pWnd->RouteMessage(message, wParam, lParam);
}

LRESULT CWnd::RouteMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    MSG msg{m_hWnd, message, wParam, lParam, 0, {0, 0}};
    const MSG* pOuter = m_pCurrentMsg;
    m_pCurrentMsg = &msg;
    LRESULT result = WindowProc(message, wParam, lParam);
    m_pCurrentMsg = pOuter;
    if (message == WM_NCDESTROY) {
        // The window is gone: hand it back to its own procedure and forget it.
        UnsubclassWindow();
        PostNcDestroy();
    }
    return result;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result)) {
        result = DefWindowProc(message, wParam, lParam);
    }
    return result;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    // An owner-drawn control draws itself.
    if (message == WM_DRAWITEM) {
        const auto* pDraw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        CWnd* pControl =
            pDraw->CtlType != ODT_MENU ? FromHandlePermanent(pDraw->hwndItem) : nullptr;
        if (pControl != nullptr && pControl->OnChildNotify(message, wParam, lParam, pResult)) {
            return TRUE;
        }
    }
    return FALSE;
}

BOOL CWnd::PreTranslateMessage(MSG*) {
    return FALSE;
}

BOOL CWnd::OnChildNotify(UINT, WPARAM, LPARAM, LRESULT*) {
    return FALSE;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_pfnSuper != nullptr) {
        return ::CallWindowProcA(m_pfnSuper, m_hWnd, message, wParam, lParam);
    }
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default() {
    if (m_pCurrentMsg == nullptr) {
        return 0;
    }
    return DefWindowProc(m_pCurrentMsg->message, m_pCurrentMsg->wParam, m_pCurrentMsg->lParam);
}

void CWnd::DoDataExchange(CDataExchange*) {}

BOOL CWnd::UpdateData(BOOL bSaveAndValidate) {
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
    return ::SendMessageA(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
    return ::PostMessageA(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::ShowWindow(int nCmdShow) const {
    return ::ShowWindow(m_hWnd, nCmdShow);
}

BOOL CWnd::EnableWindow(BOOL bEnable) const {
    return ::EnableWindow(m_hWnd, bEnable);
}

BOOL CWnd::IsWindowEnabled() const {
    return ::IsWindowEnabled(m_hWnd);
}

BOOL CWnd::IsIconic() const {
    return ::IsIconic(m_hWnd);
}

void CWnd::SetWindowText(const char* text) const {
    ::SetWindowTextA(m_hWnd, text);
}

void CWnd::GetWindowText(CString& text) const {
    const int length = ::GetWindowTextLengthA(m_hWnd);
    std::vector<char> buffer(static_cast<size_t>(length > 0 ? length : 0) + 1);
    const int copied = ::GetWindowTextA(m_hWnd, buffer.data(), static_cast<int>(buffer.size()));
    text = CString(std::string(buffer.data(), static_cast<size_t>(copied > 0 ? copied : 0)));
}

void CWnd::GetClientRect(RECT* rect) const {
    ::GetClientRect(m_hWnd, rect);
}

HICON CWnd::SetIcon(HICON hIcon, BOOL bBigIcon) const {
    return reinterpret_cast<HICON>(
        SendMessage(WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(hIcon)));
}

UINT_PTR CWnd::SetTimer(UINT_PTR nIDEvent, UINT nElapse) const {
    return ::SetTimer(m_hWnd, nIDEvent, nElapse, nullptr);
}

BOOL CWnd::KillTimer(UINT_PTR nIDEvent) const {
    return ::KillTimer(m_hWnd, nIDEvent);
}

int CWnd::MessageBox(const char* text, const char* caption, UINT type) const {
    return ::MessageBoxA(m_hWnd, text, caption, type);
}

HWND CWnd::GetDlgItem(int nID) const {
    return ::GetDlgItem(m_hWnd, nID);
}

void CWnd::SetDlgItemText(int nID, const char* text) const {
    ::SetDlgItemTextA(m_hWnd, nID, text);
}

CString CWnd::GetDlgItemText(int nID) const {
    CWnd item;
    item.Attach(GetDlgItem(nID));
    CString text;
    item.GetWindowText(text);
    item.Detach();
    return text;
}

BOOL CWnd::EnableDlgItem(int nID, BOOL bEnable) const {
    return ::EnableWindow(GetDlgItem(nID), bEnable);
}

LRESULT CWnd::SendDlgItemMessage(int nID, UINT message, WPARAM wParam, LPARAM lParam) const {
    return ::SendDlgItemMessageA(m_hWnd, nID, message, wParam, lParam);
}
