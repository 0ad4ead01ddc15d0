#pragma once

// Dialing as a user does it and as the status line and the simulated RAS service's log show
// it: the account typed, the dial and hang-up buttons, the stage texts, the connection and its
// counted seconds, and the calls the program made of the service.

#include "probes/AppProcess.h"
#include "probes/RasLog.h"
#include "Wait.h"

#include <windows.h>

#include <chrono>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace e2e {

using SteadyClock = std::chrono::steady_clock;
long long MsSince(SteadyClock::time_point start);

// The account the dialing cases type.
inline constexpr const char* kUserName = "张三@isp";
inline constexpr const char* kPasswordText = "pa55 密码";
// A dial script that passes its first stage and connects quickly.
inline constexpr const char* kQuickConnect = "[dial]\nevent = 0 50\nevent = 0x2000 50\n";

// The main window's controls a dial locks and unlocks: enabled or not.
struct Controls {
    bool dial, hangUp, entry, user, password;
    bool operator==(const Controls& other) const {
        return dial == other.dial && hangUp == other.hangUp && entry == other.entry &&
               user == other.user && password == other.password;
    }
};
std::ostream& operator<<(std::ostream& out, const Controls& c);
inline constexpr Controls kIdle{true, false, true, true, true};
inline constexpr Controls kBusy{false, true, false, false, false}; // dialing and connected alike

Controls ReadControls(HWND window);
bool WaitControls(HWND window, const Controls& wanted);
// The status line's text now, and waiting for one.
std::string Status(HWND window);
bool WaitStatus(HWND window, const std::string& text, unsigned timeoutMs = DefaultTimeoutMs());

// Types the account name and password into the main window's fields.
bool TypeAccount(HWND main, const std::string& user, const std::string& password);
// Starts the program with the phone book and dial script, and types the account; ends the case
// when the window does not appear or takes no text.
HWND StartDialer(App& app, const std::string& dialLines,
                 const std::vector<std::string>& entries = {kEntryName});

// The service's log lines of one call or event ("RasDialA", "event", "drop"), and waiting for
// `count` of them. RasCalls counts them.
std::vector<RasLogLine> Calls(const App& app, const std::string& name);
bool WaitCalls(const App& app, const std::string& name, size_t count);
int RasCalls(const App& app, const std::string& call);
// The log's lines up to the first one that `stop` picks (all of them when none does).
size_t LinesBefore(const std::vector<RasLogLine>& lines,
                   const std::function<bool(const RasLogLine&)>& stop);
// How often the program asked about the line before it hung up.
size_t StatusCallsBeforeHangUp(const App& app);

// Presses dial and waits until the program has asked the service.
bool Dial(const App& app, HWND window);
// Waits for the connection (the success text, or already a tick); the driver's time of it.
std::optional<SteadyClock::time_point> WaitConnected(HWND window);
// Dials and waits until the line is up, checking the window hidden, the icon in the tray and
// the controls locked.
std::optional<SteadyClock::time_point> DialAndConnect(const App& app, HWND window);
// Presses hang-up (a posted click, as the keyboard gives it; it works while the window is
// hidden) and returns the local time of that moment.
SYSTEMTIME PressHangUp(HWND window);
// Hangs up the connection that came up at `connectedAt`: it is stored as record `number`, as
// long as the driver measured it (within a second).
void HangUpAndCheckRecord(HWND window, SteadyClock::time_point connectedAt, int number);

// The status line's texts in turn, each change once, until `done` holds for the trail or the
// deadline passes. `controlsSeen` gathers any control states that differ from `controls`.
std::vector<std::string>
FollowStatus(HWND window, const std::function<bool(const std::vector<std::string>&)>& done,
             unsigned timeoutMs, const Controls& controls, std::vector<Controls>& controlsSeen);
// Follows the status line from the connection until it shows `until` seconds: every text on
// the way the success text or a tick, one tick a second from 1 on, each the seconds since the
// connection as the driver measured them (within one), with hours and minutes that follow
// from the seconds.
void CheckCountsTo(HWND window, SteadyClock::time_point connectedAt, int until);
// The seconds "已连接%d秒钟，合计%d小时%d分" shows; empty for any other status text.
std::optional<int> ShownSeconds(HWND main);
// Waits until the status shows more than `seconds`.
bool WaitSecondsAbove(HWND main, int seconds, unsigned timeoutMs = DefaultTimeoutMs());
// Waits until the status shows a count of seconds and then a higher one.
bool SecondsKeepCounting(HWND main);

// Changes of the line that must not come: something other than `status`, a tick, the window
// hidden or a tray icon. Watched for `ms`; a change that came fails the case, named `after`.
void CheckQuiet(HWND window, const std::string& status, unsigned ms, bool windowShown,
                bool iconExpected, const std::string& after);
// Idle and on screen: the controls unlocked, the window shown and no tray icon.
void CheckIdleOnScreen(HWND window);
// The service was asked to hang up once, with the handle and the result given (empty: any).
void CheckHungUpOnce(const App& app, const std::optional<std::string>& handle,
                     const std::optional<long>& result);

// Whether the window's thread handles a sent message within the time: false while the program
// is busy (or paused) for longer.
bool Responds(HWND window, unsigned timeoutMs);

} // namespace e2e
