#include "framework/ToolTipCtrl.h"

#include <commctrl.h>

namespace {

// The record as the common controls of every Windows version since 4.70 accept it.
TOOLINFOA MakeToolInfo(HWND hWnd, UINT_PTR nIDTool, const char* lpszText) {
    TOOLINFOA info{};
    info.cbSize = TTTOOLINFOA_V2_SIZE;
    info.hwnd = hWnd;
    info.uId = nIDTool;
    info.lpszText = const_cast<char*>(lpszText);
    return info;
}

} // namespace

CToolTipCtrl::~CToolTipCtrl() {
    // Usually gone already: a tooltip goes with the window that owns it.
    if (m_hWnd != nullptr && ::IsWindow(m_hWnd)) {
        ::DestroyWindow(m_hWnd);
    }
}

BOOL CToolTipCtrl::Create(CWnd* pParentWnd, DWORD dwStyle) {
    INITCOMMONCONTROLSEX init{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&init);
    HWND hWnd = ::CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | dwStyle, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                  pParentWnd != nullptr ? pParentWnd->m_hWnd : nullptr, nullptr,
                                  ::GetModuleHandleA(nullptr), nullptr);
    if (hWnd == nullptr) {
        return FALSE;
    }
    // Routed through this object so that the handle is forgotten when the owner destroys it.
    return SubclassWindow(hWnd);
}

BOOL CToolTipCtrl::AddTool(CWnd* pWnd, const char* lpszText, const RECT* lpRectTool,
                           UINT_PTR nIDTool) {
    TOOLINFOA info = MakeToolInfo(pWnd->m_hWnd, nIDTool, lpszText);
    if (lpRectTool != nullptr) {
        info.rect = *lpRectTool;
    }
    return static_cast<BOOL>(SendMessage(TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info)));
}

void CToolTipCtrl::UpdateTipText(const char* lpszText, CWnd* pWnd, UINT_PTR nIDTool) const {
    TOOLINFOA info = MakeToolInfo(pWnd->m_hWnd, nIDTool, lpszText);
    SendMessage(TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&info));
}

void CToolTipCtrl::RelayEvent(MSG* lpMsg) const {
    SendMessage(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(lpMsg));
}
