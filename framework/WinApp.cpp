// Sockets first: the sockets header must come before the windows header.
#include <winsock2.h>

#include "framework/WinApp.h"

#include <cstring>
#include <mbctype.h>

namespace {
CWinApp* g_pApp = nullptr;

struct SocketsSession {
    bool started = false;
    ~SocketsSession() {
        if (started) {
            ::WSACleanup();
        }
    }
};
} // namespace

CWinApp::CWinApp(const char* pszAppName) : m_pszAppName(pszAppName) {
    g_pApp = this;
}

CWinApp::~CWinApp() {
    if (g_pApp == this) {
        g_pApp = nullptr;
    }
}

BOOL CWinApp::InitInstance() {
    return TRUE;
}

int CWinApp::ExitInstance() {
    return 0;
}

int CWinApp::Run() {
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return ExitInstance();
}

HICON CWinApp::LoadIcon(UINT nIDResource) const {
    return ::LoadIconA(m_hInstance, MAKEINTRESOURCEA(nIDResource));
}

void CWinApp::OnHelp() {}

CWinApp* AfxGetApp() {
    return g_pApp;
}

HINSTANCE AfxGetInstanceHandle() {
    return g_pApp != nullptr ? g_pApp->m_hInstance : ::GetModuleHandleA(nullptr);
}

int AfxMessageBox(const char* text, UINT nType) {
    CWinApp* pApp = AfxGetApp();
    HWND hOwner = nullptr;
    const char* caption = nullptr;
    if (pApp != nullptr) {
        if (pApp->m_pMainWnd != nullptr) {
            hOwner = pApp->m_pMainWnd->m_hWnd;
        }
        caption = pApp->m_pszAppName;
    }
    return ::MessageBoxA(hOwner, text, caption, nType);
}

BOOL AfxSocketInit() {
    static SocketsSession session;
    if (!session.started) {
        WSADATA data;
        session.started = ::WSAStartup(MAKEWORD(1, 1), &data) == 0;
    }
    return session.started ? TRUE : FALSE;
}

int FrameworkWinMain(HINSTANCE hInstance) {
    // Multibyte text follows the user's ANSI code page.
    _setmbcp(_MB_CP_ANSI);
    CWinApp* pApp = AfxGetApp();
    if (pApp == nullptr) {
        return -1;
    }
    pApp->m_hInstance = hInstance;
    if (pApp->m_pszAppName == nullptr) {
        // Without a name of its own the application is called after its module.
        ::GetModuleFileNameA(hInstance, pApp->m_szModuleName, MAX_PATH);
        char* name = pApp->m_szModuleName;
        if (char* slash = std::strrchr(name, '\\')) {
            name = slash + 1;
        }
        if (char* dot = std::strrchr(name, '.')) {
            *dot = '\0';
        }
        pApp->m_pszAppName = name;
    }
    if (!pApp->InitInstance()) {
        return pApp->ExitInstance();
    }
    return pApp->Run();
}
