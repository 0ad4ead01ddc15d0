#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "controls/ImageButton_win.h"
#include "framework/Dialog.h"
#include "res/resource.h"

// The countdown before a guard hangs up: a small window above all others with the owner's
// message, "继续上网" and "立即挂断". Modeless: the owner's window and its dialogs go on, and
// it is neither activated nor tied to the owner's window, so it shows while that window is
// hidden in the tray or minimised. The answer (either button; Enter, Esc and the close box keep
// the connection) is posted to the owner as WM_GUARDANSWER and the window closes.
class CCountdownDlg : public CDialog {
public:
    CCountdownDlg();
    ~CCountdownDlg() override;

    enum { IDD = IDD_COUNTDOWN };

    // Shows the window with the text; while it is open, only the text changes. False when it
    // could not be made.
    bool Open(CWnd* pOwner, const std::string& text);
    // The message anew (once a second while it counts); nothing while closed.
    void Update(const std::string& text);
    // Without an answer: nothing is posted.
    void Close();
    bool IsOpen() const;

    // The keys of a dialog (Tab, Enter, Esc) for a window that no modal loop of its own serves.
    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    BOOL OnInitDialog() override;
    BOOL OnButtonClicked(UINT nID) override;
    void OnOK() override;
    void OnCancel() override;

private:
    void OnKeepOnline();
    void OnHangUpNow();
    void Answer(WPARAM answer);

    static INT_PTR CALLBACK ModelessDlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

    // Fresh for each opening. Not freed by Close: it may run inside a button's own click.
    struct Buttons {
        CImageButton keepOnline;
        CImageButton hangUpNow;
    };
    std::unique_ptr<Buttons> m_buttons;
    CWnd* m_pOwner = nullptr;
    std::string m_text;
};
