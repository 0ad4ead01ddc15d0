#pragma once

// A tooltip window: rectangular tools of other windows, each with a text, shown after the
// pointer rests over a tool. The messages it needs to see are relayed to it (RelayEvent).
// Unlike the other control wrappers it owns its window and destroys it with the object.

#include <windows.h>

#include "framework/Wnd.h"

class CToolTipCtrl : public CWnd {
public:
    CToolTipCtrl() = default;
    ~CToolTipCtrl() override;

    // A tooltip owned by pParentWnd's window, with WS_POPUP and dwStyle (TTS_* flags).
    BOOL Create(CWnd* pParentWnd, DWORD dwStyle = 0);

    // The tool nIDTool of pWnd covers lpRectTool (pWnd's client coordinates).
    BOOL AddTool(CWnd* pWnd, const char* lpszText, const RECT* lpRectTool, UINT_PTR nIDTool);
    void UpdateTipText(const char* lpszText, CWnd* pWnd, UINT_PTR nIDTool) const;
    void RelayEvent(MSG* lpMsg) const;
};
