#pragma once

#include "framework/Dialog.h"

// The statistics window: every stored connection, their total, and clearing them.
class CStatsDlg : public CDialog {
public:
    explicit CStatsDlg(CWnd* pParent = nullptr) : CDialog(137, pParent) {}
};
