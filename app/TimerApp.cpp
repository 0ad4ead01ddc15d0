#include "app/TimerApp.h"

#include "dialer/DialerDlg_win.h"
#include "dialer/RasService_win.h"
#include "framework/SystemLibrary.h"
#include "store/AnsiCodec_win.h"
#include "store/DataProtection_win.h"
#include "store/ProcessTable_win.h"
#include "store/SettingsFile.h"
#include "store/SettingsPath_win.h"

namespace {
constexpr const char* kInstanceMutexName = "QuorvantaForWin32";
constexpr const char* kSocketsFailed = "Windows Sockets 通信端口初始化失败，无法继续！";
constexpr const char* kAlreadyRunning = "拨号网络计时已经在运行，请勿重复运行！";
} // namespace

CTimerApp theApp;

BOOL CTimerApp::InitInstance() {
    fw::LeaveCurrentFolderOutOfDllSearch();
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

    // What the main window works with; made before it and gone after it.
    store::SettingsFile settings(store::SystemFileBytes(), store::SettingsFilePath(),
                                 &store::SystemAnsiCodec(), store::FailedWrites::Hold);
    const store::DataProtection protector;
    dialer::RasService ras(&CDialerDlg::RasDialNotify);
    dialer::SystemClock clock;

    CDialerDlg dialog(DialerServices{ras, clock, settings, protector, store::SystemProcessTable()});
    m_pMainWnd = &dialog;
    dialog.DoModal();
    m_pMainWnd = nullptr;
    return FALSE;
}
