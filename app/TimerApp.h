#pragma once

#include "framework/WinApp.h"

// The program: refuses a second copy, then runs the main window until it ends.
class CTimerApp : public CWinApp {
public:
    CTimerApp() = default;

    BOOL InitInstance() override;

    // The single-instance mutex, or the other copy's; left open until the process ends, which
    // is what frees the name for the next start.
    HANDLE m_hMutex = nullptr;
};
