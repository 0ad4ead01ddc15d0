#pragma once

// Dialog data exchange: one place that moves values between members and controls.

#include <windows.h>

#include "framework/String.h"

class CWnd;

class CDataExchange {
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
        : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}

    BOOL m_bSaveAndValidate; // TRUE: from the controls into the members
    CWnd* m_pDlgWnd;
};

// Attaches the control nIDC to rControl the first time; later exchanges leave it alone.
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);

// The text of control nIDC and value.
void DDX_Text(CDataExchange* pDX, int nIDC, CString& value);
