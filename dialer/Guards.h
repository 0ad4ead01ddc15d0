#pragma once

// The guards that save the user's hours: a hang-up after an idle time, at a session limit or at a
// time of day, each after a countdown the user can answer; and redialing a line that dropped.
// Plain C++: the main window feeds it the clock and the traffic once a second and carries out
// what it says.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "plan/PlanSettings.h"      // plan::FieldValue
#include "store/ConnectionRecord.h" // store::LocalTime
#include "store/ProfileStore.h"

namespace dialer {

// Where the guards live in the settings file. Changing any name loses what users have stored.
namespace guard_keys {
inline constexpr const char* kGuard = "Guard";
inline constexpr const char* kIdleMinutes = "IdleMinutes";
inline constexpr const char* kIdleThreshold = "IdleThreshold"; // bytes a minute
inline constexpr const char* kSessionMinutes = "SessionMinutes";
inline constexpr const char* kDailyTime = "DailyTime"; // "HH:MM", empty = off
inline constexpr const char* kRedialTries = "RedialTries";
inline constexpr const char* kRedialPause = "RedialPause"; // seconds
} // namespace guard_keys

// Stored in a section of its own, [Guard], which older versions never read.
struct GuardSettings {
    int idleMinutes = 0;            // 0 = off; 1-240
    int idleThresholdBytes = 4096;  // received plus sent in one minute below which it is idle;
                                    // 1-1048576
    int sessionMinutes = 0;         // 0 = off; at most 99 h 59 min
    std::optional<int> dailyMinute; // minute of the day (HH*60+MM) to hang up at; nothing = off
    int redialTries = 0;            // 0 = off; at most 99
    int redialPauseSeconds = 30;    // 5-600

    bool Any() const {
        return idleMinutes > 0 || sessionMinutes > 0 || dailyMinute || redialTries > 0;
    }
};

inline constexpr int kMaxIdleMinutes = 240;
inline constexpr int kMaxIdleThreshold = 1048576;
inline constexpr int kMaxSessionHours = 99;
inline constexpr int kMaxRedialTries = 99;
inline constexpr int kMinRedialPause = 5;
inline constexpr int kMaxRedialPause = 600;

// Values missing or out of range (a hand-edited file) read as the defaults above.
GuardSettings LoadGuardSettings(const store::ProfileStore& settings);
// All six keys in one write. False when it failed.
bool SaveGuardSettings(store::ProfileStore& settings, const GuardSettings& guards);

// The settings window's fields: the number, or a message naming the allowed range (shown in a
// 提示 box; nothing is stored then). Digits half- or full-width with blanks around them, as the
// plan's fields read. An empty field reads as 0 (off) where 0 is allowed.
plan::FieldValue ReadIdleMinutesField(std::string_view typed);    // 0-240
plan::FieldValue ReadIdleThresholdField(std::string_view typed);  // 1-1048576 bytes a minute
plan::FieldValue ReadSessionHoursField(std::string_view typed);   // 0-99
plan::FieldValue ReadSessionMinutesField(std::string_view typed); // 0-59
// Hour and minute as numbers around ":" or "：" (so "23:00", "7:30", "２３：００"),
// 00:00-23:59; empty = off (valid, value -1). The value is the minute of the day.
plan::FieldValue ReadDailyTimeField(std::string_view typed);
plan::FieldValue ReadRedialTriesField(std::string_view typed); // 0-99
plan::FieldValue ReadRedialPauseField(std::string_view typed); // 5-600 seconds
// "HH:MM" with two digits each, for showing dailyMinute.
std::string DailyTimeText(int minuteOfDay);

enum class GuardReason { Idle, Session, TimeOfDay };

// One second of a connection as the guards see it.
struct GuardTick {
    std::int64_t monotonicMs = 0;
    store::LocalTime local;             // the wall clock, local time
    int connectedSeconds = 0;           // as counted (a connection followed counts from its start)
    std::optional<std::uint64_t> bytes; // received plus sent since the connect; nothing without
                                        // figures
};

enum class GuardAction {
    None,
    Balloon,         // a warning a minute before a session limit or the time of day: text
    StartCountdown,  // the countdown window opens: text is its message, seconds its length
    UpdateCountdown, // once a second while it counts: text, seconds left
    EndCountdown,    // the cause went away (traffic came back): the window closes
    HangUp,          // the countdown ran out: hang up as the hang-up button does, status text
};

struct GuardStep {
    GuardAction action = GuardAction::None;
    GuardReason reason = GuardReason::Idle;
    std::string text;
    int seconds = 0;
};

inline constexpr int kCountdownSeconds = 60;

// The guards of one connection. Every time is taken from the tick's clocks, so a late tick
// (the window was busy) catches up: the idle minutes and the countdown on the monotonic clock,
// the session limit on connectedSeconds, the time of day on the local wall clock.
class GuardWatch {
public:
    // At the connect (or when a connection is followed): the settings in force for it. The idle
    // minutes count from here; the time of day from the connection's start (now less
    // connectedSeconds), so a followed line up since before the time is hung up now.
    void Start(const GuardSettings& guards, const GuardTick& now);
    void Stop();
    bool Running() const { return m_running; }
    // Once a second. Idle: each whole minute with less than the threshold counts; N such minutes
    // in a row start the countdown; a minute above it starts the count again, and traffic above
    // the threshold during an idle countdown ends it. A late tick that spans several minutes
    // counts them all as idle when their traffic together stays below the threshold, else
    // starts the count again. Without figures the idle guard never acts. Session limit and time
    // of day: a balloon one minute before, the countdown at the time. A connection that began
    // after the day's time is not hung up until that time comes again. One countdown at a time:
    // of causes due together the earliest; a cause that comes due during a countdown waits for
    // its end (its balloon is left out if its time has come by then). After HangUp the watch
    // stops.
    GuardStep Tick(const GuardTick& now);
    // "继续上网": the countdown ends; the idle time starts again; a session limit or time of day
    // that was counting down does not act again on this connection (the time of day: not until it
    // comes again the next day). Without a countdown only the idle time starts again.
    void KeepOnline(const GuardTick& now);
    // "立即挂断" and a countdown run out give the reason for the status line.
    bool CountingDown() const { return m_countingDown; }
    GuardReason CountdownReason() const { return m_countdownReason; } // while CountingDown()
    const GuardSettings& Settings() const { return m_guards; }
    // The nearest guard for the tray tip while connected: "空闲 12 分钟" (the idle guard, with the
    // minutes idle so far) or "23:00 挂断" (session limit or time of day, the clock time it acts);
    // whichever acts first (the idle guard as if the line stays idle); empty when none is set.
    // At most 13 bytes in code page 936, without a line break.
    std::string TipText(const GuardTick& now) const;

private:
    struct Due {
        GuardReason reason;
        long long overdueSeconds;
    };
    std::optional<Due> EarliestDue(const GuardTick& now) const;
    void CountIdleMinutes(const GuardTick& now);
    void RestartIdle(const GuardTick& now);
    std::string CountdownText(GuardReason reason, int secondsLeft) const;

    GuardSettings m_guards;
    bool m_running = false;

    std::int64_t m_idleMinuteFromMs = 0; // start of the minute being counted
    std::optional<std::uint64_t> m_idleMinuteFromBytes;
    int m_idleMinutes = 0; // in a row

    bool m_sessionBallooned = false;
    bool m_sessionKept = false; // "继续上网" at the limit: not again on this connection

    long long m_dailyAt = 0; // wall seconds the time of day acts next
    bool m_dailyBallooned = false;

    bool m_countingDown = false;
    GuardReason m_countdownReason = GuardReason::Idle;
    std::int64_t m_countdownFromMs = 0;
    std::uint64_t m_countdownFromBytes = 0;
};

// The status line's text after a guard's hang-up, e.g. "连接已空闲 10 分钟，已自动挂断".
std::string GuardHangUpText(GuardReason reason, const GuardSettings& guards);

// Why a connection ended, for the redial.
enum class EndCause { UserHangUp, GuardHangUp, LimitHangUp, Suspend, Exit, Dropped };

// RAS errors of a login the far end refused (raserror.h): 646 logon hours, 647 account disabled,
// 648 password expired, 649 no dial-in permission, 691 user name or password, 709 changing the
// password. Dialing again with the same account cannot help.
bool IsRefusedLogin(unsigned error);

// Redialing a dropped line: after a drop that neither the user nor a guard caused, up to `tries`
// dials of the same entry with the remembered account, a pause before each.
class Redialer {
public:
    // After a connection ended: a drop starts a round (try 1, pausing) when redialing is on;
    // anything else ends a round. allowanceUsedUpHangUp: the allowance is used up and the plan
    // says to hang up at once (then never).
    void OnEnded(EndCause cause, const GuardSettings& guards, bool allowanceUsedUpHangUp,
                 std::int64_t nowMs);
    // The dial of the current try failed with a RAS error code: a refused login
    // (IsRefusedLogin) stops the tries; others pause before the next try, or end the round
    // after the last. Ignored unless Dialing().
    void OnDialFailed(unsigned error, std::int64_t nowMs);
    // The line came up: the round is over (the next drop starts a new round).
    void OnConnected();
    // The user dialed, hung up or left: no more tries.
    void Cancel();
    bool Waiting() const { return m_phase == Phase::Pausing; } // in the pause before a try
    bool Dialing() const { return m_phase == Phase::Dialing; } // a try's dial is under way
    // Once a second while waiting: true when the pause has passed and the current try's dial is
    // due now (from then on Dialing()).
    bool DialDue(std::int64_t nowMs);
    int Try() const { return m_try; }     // 1-based number of the current try
    int Tries() const { return m_tries; } // of how many
    // "第 2 次重拨，共 5 次..." while dialing; "连接已经断开，12 秒后第 2 次重拨，共 5 次..." while
    // pausing; after a round that failed "重拨 5 次都没有成功，不再重拨" or, for a refused
    // login, "重拨时登录被拒绝（错误 691），不再重拨"; empty otherwise.
    std::string StatusText(std::int64_t nowMs) const;

private:
    enum class Phase { Off, Pausing, Dialing, GaveUp, Refused };
    Phase m_phase = Phase::Off;
    int m_try = 0;
    int m_tries = 0;
    int m_pauseSeconds = 0;
    std::int64_t m_pauseFromMs = 0;
    unsigned m_refusedError = 0;
};

} // namespace dialer
