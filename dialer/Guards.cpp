#include "dialer/Guards.h"

#include <algorithm>
#include <cstdio>
#include <initializer_list>
#include <utility>

#include "dialer/DialState.h"
#include "plan/Calendar.h"

namespace dialer {

namespace {

constexpr std::size_t kValueChars = 32;
constexpr int kMaxSessionMinutes = kMaxSessionHours * 60 + 59;
constexpr int kWarnAheadSeconds = 60;
constexpr std::int64_t kMinuteMs = 60000;
// Far beyond any idle setting; keeps a monotonic clock that leaps from overflowing the count.
constexpr long long kIdleMinutesCap = 1000000;

plan::FieldValue Field(std::optional<int> number, const char* message) {
    if (!number) {
        return plan::FieldValue{false, 0, message};
    }
    return plan::FieldValue{true, *number, {}};
}

// An empty field is a guard left off.
std::optional<int> NumberOrOff(std::string_view typed, int high) {
    if (plan::TrimFieldBlanks(typed).empty()) {
        return 0;
    }
    return plan::WholeNumberIn(typed, 0, high);
}

std::string TwoDigits(int number) {
    char text[16];
    std::snprintf(text, sizeof(text), "%02d", number);
    return text;
}

std::string ClockText(int hour, int minute) {
    return TwoDigits(hour) + ":" + TwoDigits(minute);
}

// "2 小时 30 分", "2 小时", "45 分钟".
std::string DurationText(int minutes) {
    const int hours = minutes / 60;
    const int rest = minutes % 60;
    if (hours == 0) {
        return std::to_string(rest) + " 分钟";
    }
    std::string text = std::to_string(hours) + " 小时";
    if (rest > 0) {
        text += " " + std::to_string(rest) + " 分";
    }
    return text;
}

// What the countdown, its end and the status line say the cause is.
std::string CauseText(GuardReason reason, const GuardSettings& guards) {
    switch (reason) {
    case GuardReason::Idle:
        return "连接已空闲 " + std::to_string(guards.idleMinutes) + " 分钟";
    case GuardReason::Session:
        return "本次连接已达 " + DurationText(guards.sessionMinutes);
    case GuardReason::TimeOfDay:
        break;
    }
    return "已到 " + DailyTimeText(guards.dailyMinute.value_or(0));
}

long long WallOf(const GuardTick& tick) {
    return plan::WallSeconds(tick.local);
}

long long FloorDiv(long long a, long long b) {
    return a / b - (a % b != 0 && (a < 0) != (b < 0) ? 1 : 0);
}

// The first wall second at or after `from` that is minuteOfDay's start.
long long NextTimeOfDay(long long from, int minuteOfDay) {
    const long long at =
        FloorDiv(from, plan::kSecondsPerDay) * plan::kSecondsPerDay + minuteOfDay * 60LL;
    return at < from ? at + plan::kSecondsPerDay : at;
}

} // namespace

plan::FieldValue ReadIdleMinutesField(std::string_view typed) {
    return Field(NumberOrOff(typed, kMaxIdleMinutes),
                 "请输入 0 到 240 之间的整数分钟数（0 表示不用）。");
}

plan::FieldValue ReadIdleThresholdField(std::string_view typed) {
    return Field(plan::WholeNumberIn(typed, 1, kMaxIdleThreshold),
                 "请输入 1 到 1048576 之间的整数字节数。");
}

plan::FieldValue ReadSessionHoursField(std::string_view typed) {
    return Field(NumberOrOff(typed, kMaxSessionHours),
                 "请输入 0 到 99 之间的整数小时数（0 小时 0 分表示不限）。");
}

plan::FieldValue ReadSessionMinutesField(std::string_view typed) {
    return Field(NumberOrOff(typed, 59),
                 "请输入 0 到 59 之间的整数分钟数（0 小时 0 分表示不限）。");
}

plan::FieldValue ReadDailyTimeField(std::string_view typed) {
    const std::string_view text = plan::TrimFieldBlanks(typed);
    if (text.empty()) {
        return {true, -1, {}};
    }
    std::optional<int> minuteOfDay;
    // The ASCII colon cannot be the second byte of a code page 936 character.
    for (const std::string_view colon : {std::string_view(":"), std::string_view("：")}) {
        const std::size_t at = text.find(colon);
        if (at == std::string_view::npos) {
            continue;
        }
        const std::string_view hourPart = text.substr(0, at);
        const std::string_view minutePart = text.substr(at + colon.size());
        // Blanks only around the whole time, not inside it.
        if (hourPart == plan::TrimFieldBlanks(hourPart) &&
            minutePart == plan::TrimFieldBlanks(minutePart)) {
            const std::optional<int> hour = plan::WholeNumberIn(hourPart, 0, 23);
            const std::optional<int> minute = plan::WholeNumberIn(minutePart, 0, 59);
            if (hour && minute) {
                minuteOfDay = *hour * 60 + *minute;
            }
        }
        break;
    }
    return Field(minuteOfDay, "请输入 00:00 到 23:59 之间的时刻，如 23:00（留空表示不用）。");
}

plan::FieldValue ReadRedialTriesField(std::string_view typed) {
    return Field(NumberOrOff(typed, kMaxRedialTries),
                 "请输入 0 到 99 之间的整数次数（0 表示不重拨）。");
}

plan::FieldValue ReadRedialPauseField(std::string_view typed) {
    return Field(plan::WholeNumberIn(typed, kMinRedialPause, kMaxRedialPause),
                 "请输入 5 到 600 之间的整数秒数。");
}

std::string DailyTimeText(int minuteOfDay) {
    return ClockText(minuteOfDay / 60, minuteOfDay % 60);
}

GuardSettings LoadGuardSettings(const store::ProfileStore& settings) {
    const auto stored = [&settings](const char* key) {
        return settings.ReadString(guard_keys::kGuard, key, "", kValueChars);
    };
    const auto read = [](const plan::FieldValue& field, int& value) {
        if (field.valid) {
            value = field.value;
        }
    };
    GuardSettings guards;
    read(ReadIdleMinutesField(stored(guard_keys::kIdleMinutes)), guards.idleMinutes);
    read(ReadIdleThresholdField(stored(guard_keys::kIdleThreshold)), guards.idleThresholdBytes);
    read(Field(NumberOrOff(stored(guard_keys::kSessionMinutes), kMaxSessionMinutes), ""),
         guards.sessionMinutes);
    const plan::FieldValue daily = ReadDailyTimeField(stored(guard_keys::kDailyTime));
    if (daily.valid && daily.value >= 0) {
        guards.dailyMinute = daily.value;
    }
    read(ReadRedialTriesField(stored(guard_keys::kRedialTries)), guards.redialTries);
    read(ReadRedialPauseField(stored(guard_keys::kRedialPause)), guards.redialPauseSeconds);
    return guards;
}

bool SaveGuardSettings(store::ProfileStore& settings, const GuardSettings& guards) {
    const auto edit = [](const char* key, std::string value) {
        return store::ProfileEdit{guard_keys::kGuard, key, std::move(value)};
    };
    return settings.WriteBatch({
        edit(guard_keys::kIdleMinutes, std::to_string(guards.idleMinutes)),
        edit(guard_keys::kIdleThreshold, std::to_string(guards.idleThresholdBytes)),
        edit(guard_keys::kSessionMinutes, std::to_string(guards.sessionMinutes)),
        edit(guard_keys::kDailyTime,
             guards.dailyMinute ? DailyTimeText(*guards.dailyMinute) : std::string()),
        edit(guard_keys::kRedialTries, std::to_string(guards.redialTries)),
        edit(guard_keys::kRedialPause, std::to_string(guards.redialPauseSeconds)),
    });
}

void GuardWatch::Start(const GuardSettings& guards, const GuardTick& now) {
    m_guards = guards;
    m_running = true;
    m_countingDown = false;
    RestartIdle(now);
    m_sessionBallooned = false;
    m_sessionKept = false;
    m_dailyBallooned = false;
    if (guards.dailyMinute) {
        m_dailyAt = NextTimeOfDay(WallOf(now) - now.connectedSeconds, *guards.dailyMinute);
    }
}

void GuardWatch::Stop() {
    m_running = false;
    m_countingDown = false;
}

void GuardWatch::RestartIdle(const GuardTick& now) {
    m_idleMinuteFromMs = now.monotonicMs;
    m_idleMinuteFromBytes = now.bytes;
    m_idleMinutes = 0;
}

void GuardWatch::CountIdleMinutes(const GuardTick& now) {
    if (!now.bytes || !m_idleMinuteFromBytes || now.monotonicMs < m_idleMinuteFromMs) {
        RestartIdle(now);
        return;
    }
    const std::int64_t minutes = (now.monotonicMs - m_idleMinuteFromMs) / kMinuteMs;
    if (minutes == 0) {
        return;
    }
    const std::uint64_t from = *m_idleMinuteFromBytes;
    const bool quiet = *now.bytes >= from &&
                       *now.bytes - from < static_cast<std::uint64_t>(m_guards.idleThresholdBytes);
    m_idleMinutes =
        quiet ? static_cast<int>(std::min<long long>(m_idleMinutes + minutes, kIdleMinutesCap)) : 0;
    m_idleMinuteFromMs += minutes * kMinuteMs;
    m_idleMinuteFromBytes = now.bytes;
}

std::optional<GuardWatch::Due> GuardWatch::EarliestDue(const GuardTick& now) const {
    std::optional<Due> earliest;
    const auto consider = [&earliest](GuardReason reason, long long overdueSeconds) {
        if (overdueSeconds >= 0 && (!earliest || overdueSeconds > earliest->overdueSeconds)) {
            earliest = Due{reason, overdueSeconds};
        }
    };
    if (m_guards.idleMinutes > 0 && m_idleMinuteFromBytes &&
        m_idleMinutes >= m_guards.idleMinutes) {
        consider(GuardReason::Idle, (m_idleMinutes - m_guards.idleMinutes) * 60LL +
                                        (now.monotonicMs - m_idleMinuteFromMs) / 1000);
    }
    if (m_guards.sessionMinutes > 0 && !m_sessionKept) {
        consider(GuardReason::Session, now.connectedSeconds - m_guards.sessionMinutes * 60LL);
    }
    if (m_guards.dailyMinute) {
        consider(GuardReason::TimeOfDay, WallOf(now) - m_dailyAt);
    }
    return earliest;
}

std::string GuardWatch::CountdownText(GuardReason reason, int secondsLeft) const {
    return CauseText(reason, m_guards) + "，" + std::to_string(secondsLeft) + " 秒后挂断";
}

GuardStep GuardWatch::Tick(const GuardTick& now) {
    if (!m_running) {
        return {};
    }
    if (m_countingDown) {
        const GuardReason reason = m_countdownReason;
        if (reason == GuardReason::Idle && now.bytes && *now.bytes >= m_countdownFromBytes &&
            *now.bytes - m_countdownFromBytes >=
                static_cast<std::uint64_t>(m_guards.idleThresholdBytes)) {
            m_countingDown = false;
            RestartIdle(now);
            return {GuardAction::EndCountdown, reason, {}, 0};
        }
        const int elapsed = ElapsedWholeSeconds(m_countdownFromMs, now.monotonicMs);
        if (elapsed >= kCountdownSeconds) {
            Stop();
            return {GuardAction::HangUp, reason, GuardHangUpText(reason, m_guards), 0};
        }
        const int left = kCountdownSeconds - elapsed;
        return {GuardAction::UpdateCountdown, reason, CountdownText(reason, left), left};
    }

    CountIdleMinutes(now);
    if (const std::optional<Due> due = EarliestDue(now)) {
        m_countingDown = true;
        m_countdownReason = due->reason;
        m_countdownFromMs = now.monotonicMs;
        m_countdownFromBytes = now.bytes.value_or(0);
        return {GuardAction::StartCountdown, due->reason,
                CountdownText(due->reason, kCountdownSeconds), kCountdownSeconds};
    }

    if (m_guards.sessionMinutes > 0 && !m_sessionKept && !m_sessionBallooned &&
        now.connectedSeconds >= m_guards.sessionMinutes * 60LL - kWarnAheadSeconds) {
        m_sessionBallooned = true;
        return {GuardAction::Balloon, GuardReason::Session,
                "本次连接将在 1 分钟后达到 " + DurationText(m_guards.sessionMinutes) +
                    "的限制并挂断",
                0};
    }
    if (m_guards.dailyMinute && !m_dailyBallooned && WallOf(now) >= m_dailyAt - kWarnAheadSeconds) {
        m_dailyBallooned = true;
        return {GuardAction::Balloon, GuardReason::TimeOfDay,
                "1 分钟后到 " + DailyTimeText(*m_guards.dailyMinute) + "，连接将被挂断", 0};
    }
    return {};
}

void GuardWatch::KeepOnline(const GuardTick& now) {
    if (!m_running) {
        return;
    }
    if (m_countingDown && m_countdownReason == GuardReason::Session) {
        m_sessionKept = true;
    }
    if (m_countingDown && m_countdownReason == GuardReason::TimeOfDay && m_guards.dailyMinute) {
        m_dailyAt = std::max(m_dailyAt + plan::kSecondsPerDay,
                             NextTimeOfDay(WallOf(now) + 1, *m_guards.dailyMinute));
        m_dailyBallooned = false;
    }
    m_countingDown = false;
    RestartIdle(now);
}

std::string GuardWatch::TipText(const GuardTick& now) const {
    if (!m_running) {
        return {};
    }
    std::optional<long long> nearestLeft;
    std::string tip;
    const auto consider = [&](long long secondsLeft, const auto& text) {
        if (!nearestLeft || secondsLeft < *nearestLeft) {
            nearestLeft = secondsLeft;
            tip = text();
        }
    };
    const long long wall = WallOf(now);
    if (m_guards.idleMinutes > 0 && now.bytes) {
        consider((m_guards.idleMinutes - m_idleMinutes) * 60LL -
                     (now.monotonicMs - m_idleMinuteFromMs) / 1000,
                 [this] {
                     // A late tick may have counted past the setting; the countdown is due then.
                     const int idle = std::min(m_idleMinutes, m_guards.idleMinutes);
                     return "空闲 " + std::to_string(idle) + " 分钟";
                 });
    }
    if (m_guards.sessionMinutes > 0 && !m_sessionKept) {
        const long long left = m_guards.sessionMinutes * 60LL - now.connectedSeconds;
        consider(left, [&] {
            const store::LocalTime at = plan::LocalTimeOf(wall + left);
            return ClockText(at.hour, at.minute) + " 挂断";
        });
    }
    if (m_guards.dailyMinute) {
        consider(m_dailyAt - wall,
                 [this] { return DailyTimeText(*m_guards.dailyMinute) + " 挂断"; });
    }
    return tip;
}

std::string GuardHangUpText(GuardReason reason, const GuardSettings& guards) {
    return CauseText(reason, guards) + "，已自动挂断";
}

bool IsRefusedLogin(unsigned error) {
    switch (error) {
    case 646: // ERROR_RESTRICTED_LOGON_HOURS
    case 647: // ERROR_ACCT_DISABLED
    case 648: // ERROR_PASSWD_EXPIRED
    case 649: // ERROR_NO_DIALIN_PERMISSION
    case 691: // ERROR_AUTHENTICATION_FAILURE
    case 709: // ERROR_CHANGING_PASSWORD
        return true;
    default:
        return false;
    }
}

void Redialer::OnEnded(EndCause cause, const GuardSettings& guards, bool allowanceUsedUpHangUp,
                       std::int64_t nowMs) {
    if (cause != EndCause::Dropped || guards.redialTries <= 0 || allowanceUsedUpHangUp) {
        m_phase = Phase::Off;
        return;
    }
    m_phase = Phase::Pausing;
    m_try = 1;
    m_tries = guards.redialTries;
    m_pauseSeconds = guards.redialPauseSeconds;
    m_pauseFromMs = nowMs;
}

void Redialer::OnDialFailed(unsigned error, std::int64_t nowMs) {
    if (m_phase != Phase::Dialing) {
        return;
    }
    if (IsRefusedLogin(error)) {
        m_phase = Phase::Refused;
        m_refusedError = error;
    } else if (m_try < m_tries) {
        ++m_try;
        m_phase = Phase::Pausing;
        m_pauseFromMs = nowMs;
    } else {
        m_phase = Phase::GaveUp;
    }
}

void Redialer::OnConnected() {
    m_phase = Phase::Off;
}

void Redialer::Cancel() {
    m_phase = Phase::Off;
}

bool Redialer::DialDue(std::int64_t nowMs) {
    if (m_phase != Phase::Pausing || ElapsedWholeSeconds(m_pauseFromMs, nowMs) < m_pauseSeconds) {
        return false;
    }
    m_phase = Phase::Dialing;
    return true;
}

std::string Redialer::StatusText(std::int64_t nowMs) const {
    const std::string ofTries =
        "第 " + std::to_string(m_try) + " 次重拨，共 " + std::to_string(m_tries) + " 次...";
    switch (m_phase) {
    case Phase::Pausing: {
        const int left = std::max(1, m_pauseSeconds - ElapsedWholeSeconds(m_pauseFromMs, nowMs));
        return "连接已经断开，" + std::to_string(left) + " 秒后" + ofTries;
    }
    case Phase::Dialing:
        return ofTries;
    case Phase::GaveUp:
        return "重拨 " + std::to_string(m_tries) + " 次都没有成功，不再重拨";
    case Phase::Refused:
        return "重拨时登录被拒绝（错误 " + std::to_string(m_refusedError) + "），不再重拨";
    case Phase::Off:
        break;
    }
    return {};
}

} // namespace dialer
