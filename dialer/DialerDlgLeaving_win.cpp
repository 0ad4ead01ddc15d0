#include "dialer/DialerDlg_win.h"

#include "framework/Handles.h"
#include "windows/Notice_win.h"

// Leaving the program, and restarting or shutting down the computer.

namespace {
constexpr const char* kExitQuestion = "注意：关闭程序前请确保网络连接已经被断开，"
                                      "否则本次上网时间将不会被保存！继续退出吗？";
constexpr const char* kShutdownPrivilege = "SeShutdownPrivilege";
constexpr DWORD kExitSystemPauseMs = 3000;
} // namespace

bool CDialerDlg::ConfirmExit() {
    return AskYesNo(*this, kExitQuestion);
}

void CDialerDlg::EndProgram() {
    OnHangUp();
    CDialog::OnCancel();
}

void CDialerDlg::OnExit() {
    if (ConfirmExit()) {
        EndProgram();
    }
}

// On yes the window ends here rather than through the default processing, which would turn
// the close into a Cancel command and ask a second time.
void CDialerDlg::OnClose() {
    if (ConfirmExit()) {
        EndProgram();
    }
}

// Enter and Esc take the close box's path: a running connection is never left unrecorded.
void CDialerDlg::OnOK() {
    OnClose();
}

void CDialerDlg::OnCancel() {
    OnClose();
}

void CDialerDlg::OnEndSession(BOOL bEnding) {
    // The session ends without asking; the process will not get another chance to store the
    // running connection.
    if (bEnding) {
        OnHangUp();
    }
}

void CDialerDlg::OnRestart() {
    ExitSystem(EWX_REBOOT | EWX_FORCE);
}

void CDialerDlg::OnShutDown() {
    ExitSystem(EWX_SHUTDOWN | EWX_FORCE | EWX_POWEROFF);
}

void CDialerDlg::ExitSystem(UINT uFlags) {
    OnHangUp();
    ::Sleep(kExitSystemPauseMs);
    HANDLE token = nullptr;
    if (::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
        fw::UniqueHandle tokenOwner(token);
        TOKEN_PRIVILEGES privileges{};
        if (::LookupPrivilegeValueA(nullptr, kShutdownPrivilege, &privileges.Privileges[0].Luid)) {
            privileges.PrivilegeCount = 1;
            privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
            ::AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
        }
    }
    ::ExitWindowsEx(uFlags, 0);
}
