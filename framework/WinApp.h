#pragma once

// The application object: exactly one, constructed statically; WinMain runs its InitInstance.

#include <windows.h>

#include "framework/Wnd.h"

class CWinApp {
public:
    explicit CWinApp(const char* pszAppName = nullptr);
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // FALSE ends the program without a message loop of the application's own.
    virtual BOOL InitInstance();
    virtual int ExitInstance();
    virtual int Run();

    // The icon resource nIDResource of the program's module; shared, never destroyed.
    HICON LoadIcon(UINT nIDResource) const;

    // Kept for the shape of start-up; the look comes from the system today.
    void Enable3dControls() {}

    void OnHelp();

    HINSTANCE m_hInstance = nullptr;
    const char* m_pszAppName = nullptr; // caption of framework message boxes
    CWnd* m_pMainWnd = nullptr;

private:
    char m_szModuleName[MAX_PATH]{};
    friend int FrameworkWinMain(HINSTANCE hInstance);
};

CWinApp* AfxGetApp();
HINSTANCE AfxGetInstanceHandle();

// A message box owned by the main window (when there is one), captioned with the
// application's name.
int AfxMessageBox(const char* text, UINT nType = MB_OK);

// Starts Windows Sockets for the life of the process.
BOOL AfxSocketInit();

int FrameworkWinMain(HINSTANCE hInstance);
