#pragma once

#include <deque>

#include <windows.h>
#include <ras.h>
#include <shellapi.h>

#include "controls/ImageButton_win.h"
#include "dialer/Connection.h"
#include "dialer/Guards.h"
#include "dialer/PlanWatch.h"
#include "framework/Controls.h"
#include "framework/DataExchange.h"
#include "framework/Dialog.h"
#include "res/messages.h"
#include "res/resource.h"
#include "store/ProfileStore.h"
#include "store/RunningOwner.h"
#include "store/SecretProtector.h"
#include "windows/CountdownDlg_win.h"

// What the main window works with. The application object makes these and keeps them alive
// for as long as the window runs.
struct DialerServices {
    dialer::RasPort& ras;
    dialer::Clock& clock;
    store::ProfileStore& settings;
    const store::SecretProtector& protector;
    const store::ProcessTable& processes;
};

// The main window: the dial-up entry, the account, the command buttons and the status line.
// The connection itself is kept by dialer::Connection; this class shows it. Its members are
// defined by concern: DialerDlg_win.cpp (the window, its tables, the account fields),
// DialerDlgConnection_win.cpp (dialing), DialerDlgTray_win.cpp (the tray) and
// DialerDlgLeaving_win.cpp (exit, restart, shut-down).
class CDialerDlg : public CDialog, private dialer::ConnectionView {
public:
    explicit CDialerDlg(const DialerServices& services, CWnd* pParent = nullptr);
    ~CDialerDlg() override;

    enum { IDD = IDD_DIALER };

    void OnDial();
    void OnHangUp();
    void OnShowStatistics();
    void OnShowHelp();

    // The connection's state: 1 idle or dialing, 2 connected.
    int Mode() const;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    BOOL OnButtonClicked(UINT nID) override;
    BOOL OnSelChange(UINT nID) override;
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

    void OnPaint();
    HCURSOR OnQueryDragIcon();
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) override;
    void OnSaveCredentials();
    void OnSelchangeEntry();
    LRESULT OnRasDialEvent(WPARAM state, LPARAM error);
    LRESULT OnPowerBroadcast(WPARAM event);
    void OnTimer(UINT_PTR nIDEvent);
    void OnDestroy();

    // The tray.
    void OnSysCommand(UINT nID, LPARAM lParam);
    LRESULT OnTrayNotify(WPARAM wParam, LPARAM lParam);
    void OnShowMain();
    void OnShowAndDial();
    void OnPlanSettings();
    bool GetTrayAreaRect(RECT* rect) const;
    static BOOL CALLBACK EnumTrayChildProc(HWND hwnd, LPARAM lParam);

    // The monthly allowance (DialerDlgPlan_win.cpp).
    void OnPlanChanged();
    void OnPlanAskLimit(WPARAM connection);

    // Leaving the program, restart and shut-down.
    void OnExit();
    void OnClose();
    void OnRestart();
    void OnShutDown();
    void ExitSystem(UINT uFlags);
    void OnOK() override;
    void OnCancel() override;
    void OnEndSession(BOOL bEnding);

public:
    // The dial callback. Runs on a thread of the RAS service: it only hands the event to the
    // main window.
    static void WINAPI RasDialNotify(UINT unMsg, RASCONNSTATE state, DWORD error);

    char m_szIniPath[MAX_PATH]{};
    NOTIFYICONDATAA m_nid{};
    CImageButton m_btnHelp;
    CImageButton m_btnStats;
    CImageButton m_btnHangUp;
    CImageButton m_btnDial;
    CComboBox m_comboEntry;
    CButton m_chkSave;
    CString m_strStatus;
    HICON m_hIcon = nullptr;

private:
    // Fills the entry list; false when the phone book has no entry.
    bool ListPhoneBookEntries();
    void RestoreSavedAccount();
    void FillTrayIconRecord();
    // True when the icon is there afterwards.
    bool AddTrayIcon();
    void OnTaskbarCreated();
    void AnimateToTray() const;
    void AnimateFromTray() const;
    void AnimateCaption(bool toTray) const;
    void ShowTrayMenu();
    // Asks whether to leave the program; true on yes.
    bool ConfirmExit();
    // Hangs up a running connection, stores its record and ends the main window.
    void EndProgram();

    // The allowance: the watch of a connection, the tray tip and the warnings.
    plan::PlanSettings LoadPlan() const;
    plan::Cycle CurrentCycle(const plan::PlanSettings& plan) const;
    void OnPlanConnected();
    void OnPlanTick();
    // False when the allowance is used up and the user chose not to dial.
    bool ConfirmDialWithinPlan();
    void LoadPlanWatch(const plan::PlanSettings& plan);
    // The plan in force: while connected the watch's, else the stored one.
    plan::PlanSettings PlanNow() const;
    // The cycle's time now: while connected the watch's, else what the records hold.
    long long PlanUsedSeconds(const plan::PlanSettings& plan) const;
    long long RunningSecondsIn(const plan::Cycle& cycle) const;
    void RefreshPlanTip(const plan::PlanSettings& plan, long long usedSeconds);
    void WarnWithBalloon(int level, const plan::PlanSettings& plan, long long usedSeconds);
    void OnTrayIconAdded(bool added);

    // What the connection shows of itself.
    void ApplyControls(const dialer::ControlStates& states) override;
    void ShowStatus(const std::string& text) override;
    void ShowStageText(unsigned stringId) override;
    void ShowTickStatus(const std::string& text) override;
    void StartSecondsTimer() override;
    void StopSecondsTimer() override;
    void ShowConnected() override;
    void ShowFollowing(const std::string& entry) override;
    void ConnectionEnded(bool dropped) override;
    void DialFailed(unsigned error) override;

    // The guards and the redial.
    dialer::GuardTick GuardTickNow() const;
    void OnGuardConnected();
    void OnGuardTick();
    void OnGuardAnswer(WPARAM answer);
    void OnGuardSettings();
    void OnRedialTimer();
    void HangUpAtLimit();
    // Hangs up as the button does, for a reason the status line then gives.
    void HangUpFor(dialer::EndCause cause, const std::string& status);
    std::string GuardTip(const std::string& planTip) const;
    // A balloon of the tray icon; a shell without balloons ignores it.
    void ShowBalloon(const std::string& title, const std::string& text, DWORD flags);
    void ReportUnsavedRecord(const std::string& message) override;
    // The notices not yet shown, oldest first.
    void ShowHeldNotices();

    dialer::RasPort& m_ras;
    dialer::Clock& m_clock;
    store::ProfileStore& m_settings;
    const store::SecretProtector& m_protector;
    const store::ProcessTable& m_processes;
    dialer::Connection m_connection;

    dialer::PlanWatch m_planWatch;         // the running connection's cycle
    std::string m_strPlanTip;              // the tip last set by a modify; empty: the record's own
    int m_nPlanConnection = 0;             // counts connections, so an answer finds its own
    bool m_bAskingAtLimit = false;         // the hang-up question is due or up
    bool m_bTrayIconShown = false;         // the shell held the icon at the last add
    std::deque<std::string> m_heldNotices; // reported, not yet shown
    bool m_bShowingNotice = false;

    dialer::GuardWatch m_guardWatch;
    dialer::Redialer m_redialer;
    CCountdownDlg m_countdown;
    std::string m_strGuardHangUp; // the status text of a countdown that ran out
    // Why the connection is being hung up here; a drop is told apart by the connection itself.
    dialer::EndCause m_endCause = dialer::EndCause::UserHangUp;
    bool m_bDialOverLimit = false; // the user dials knowing the allowance is used up
};
