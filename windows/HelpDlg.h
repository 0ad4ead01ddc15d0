#pragma once

#include "framework/Dialog.h"

// The help window: how to use the program.
class CHelpDlg : public CDialog {
public:
    explicit CHelpDlg(CWnd* pParent = nullptr) : CDialog(149, pParent) {}
};
