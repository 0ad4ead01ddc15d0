#include "app/TimerApp.h"

#include "dialer/DialerDlg.h"

namespace {
constexpr const char* kInstanceMutexName = "QuorvantaForWin32";
constexpr const char* kSocketsFailed = "Windows Sockets 通信端口初始化失败，无法继续！";
constexpr const char* kAlreadyRunning = "拨号网络计时已经在运行，请勿重复运行！";
} // namespace

CTimerApp theApp;

BOOL CTimerApp::InitInstance() {
    if (!AfxSocketInit()) {
        AfxMessageBox(kSocketsFailed, MB_OK);
        return FALSE;
    }

    m_hMutex = ::OpenMutexA(MUTEX_ALL_ACCESS, FALSE, kInstanceMutexName);
    if (m_hMutex != nullptr) {
        AfxMessageBox(kAlreadyRunning, MB_OK);
        return FALSE;
    }
    m_hMutex = ::CreateMutexA(nullptr, TRUE, kInstanceMutexName);
    // Two copies started at the same moment can both miss the other's mutex when opening;
    // only one of them creates the name.
    if (m_hMutex != nullptr && ::GetLastError() == ERROR_ALREADY_EXISTS) {
        AfxMessageBox(kAlreadyRunning, MB_OK);
        return FALSE;
    }

    Enable3dControls();

    auto* pDialog = new CDialerDlg(nullptr);
    m_pMainWnd = pDialog;
    pDialog->DoModal();
    m_pMainWnd = nullptr;
    delete pDialog;
    return FALSE;
}
