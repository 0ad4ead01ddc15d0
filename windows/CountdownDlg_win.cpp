#include "windows/CountdownDlg_win.h"

#include "framework/WinApp.h"
#include "res/messages.h"

CCountdownDlg::CCountdownDlg() : CDialog(IDD) {}

CCountdownDlg::~CCountdownDlg() {
    Close();
}

bool CCountdownDlg::Open(CWnd* pOwner, const std::string& text) {
    if (IsOpen()) {
        Update(text);
        return true;
    }
    m_pOwner = pOwner;
    m_text = text;
    m_buttons = std::make_unique<Buttons>();
    // No owner window: an owned window would hide with its owner minimised.
    HWND hWnd =
        ::CreateDialogParamA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDD), nullptr,
                             &CCountdownDlg::ModelessDlgProc, reinterpret_cast<LPARAM>(this));
    if (hWnd == nullptr) {
        return false;
    }
    ::SetWindowPos(hWnd, HWND_TOPMOST, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    return true;
}

void CCountdownDlg::Update(const std::string& text) {
    if (!IsOpen() || text == m_text) {
        return;
    }
    m_text = text;
    SetDlgItemText(IDC_COUNTDOWN_STATIC, m_text.c_str());
}

void CCountdownDlg::Close() {
    // The window's end detaches it from this object (m_hWnd is cleared).
    if (IsOpen()) {
        ::DestroyWindow(m_hWnd);
    }
}

bool CCountdownDlg::IsOpen() const {
    return m_hWnd != nullptr;
}

BOOL CCountdownDlg::PreTranslateMessage(MSG* pMsg) {
    // The program's one message loop is the main window's modal one, which offers every
    // message here first (the framework's message filter).
    return IsOpen() && ::IsDialogMessageA(m_hWnd, pMsg) ? TRUE : FALSE;
}

INT_PTR CALLBACK CCountdownDlg::ModelessDlgProc(HWND hWnd, UINT message, WPARAM, LPARAM lParam) {
    // As CDialog's: from WM_INITDIALOG on, the object's WindowProc sees every message.
    if (message != WM_INITDIALOG) {
        return FALSE;
    }
    auto* pDialog = reinterpret_cast<CCountdownDlg*>(lParam);
    pDialog->SubclassWindow(hWnd);
    return pDialog->OnInitDialog();
}

BOOL CCountdownDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    DressImageButton(m_buttons->keepOnline, this, IDC_KEEP_ONLINE, IDI_DIAL, "不挂断，继续上网");
    DressImageButton(m_buttons->hangUpNow, this, IDC_HANG_UP_NOW, IDI_HANG_UP, "现在就挂断连接");
    SetDlgItemText(IDC_COUNTDOWN_STATIC, m_text.c_str());
    // Its own taskbar button: the main window may be hidden in the tray.
    if (AfxGetApp() != nullptr) {
        const HICON hIcon = AfxGetApp()->LoadIcon(IDR_MAINFRAME);
        SetIcon(hIcon, TRUE);
        SetIcon(hIcon, FALSE);
    }
    CenterWindow();
    // No focus given: that would activate the window and take the keys from where the user
    // types. A click on it activates it, with the focus on the first button.
    return FALSE;
}

BOOL CCountdownDlg::OnButtonClicked(UINT nID) {
    static constexpr CommandEntry<CCountdownDlg> kCommands[] = {
        {IDC_KEEP_ONLINE, &CCountdownDlg::OnKeepOnline},
        {IDC_HANG_UP_NOW, &CCountdownDlg::OnHangUpNow},
    };
    return RunCommand(this, kCommands, nID) || CDialog::OnButtonClicked(nID);
}

// Enter: the answer that loses nothing.
void CCountdownDlg::OnOK() {
    OnKeepOnline();
}

// Esc and the close box.
void CCountdownDlg::OnCancel() {
    OnKeepOnline();
}

void CCountdownDlg::OnKeepOnline() {
    Answer(GUARD_ANSWER_KEEP_ONLINE);
}

void CCountdownDlg::OnHangUpNow() {
    Answer(GUARD_ANSWER_HANG_UP_NOW);
}

void CCountdownDlg::Answer(WPARAM answer) {
    CWnd* pOwner = m_pOwner;
    Close();
    if (pOwner != nullptr && pOwner->GetSafeHwnd() != nullptr) {
        pOwner->PostMessage(WM_GUARDANSWER, answer);
    }
}
