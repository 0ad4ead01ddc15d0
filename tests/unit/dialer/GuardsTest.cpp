#include "dialer/Guards.h"

#include <vector>

#include <gtest/gtest.h>

#include "plan/Calendar.h"
#include "store/IniDocument.h"
#include "tests/unit/store/RecordingStore.h"

namespace dialer {
namespace {

using Reader = plan::FieldValue (*)(std::string_view);

TEST(GuardFieldsTest, EachFieldTakesItsRangeAndNamesItOtherwise) {
    const struct {
        Reader read;
        const char* message;
    } messages[] = {
        {ReadIdleMinutesField, "请输入 0 到 240 之间的整数分钟数（0 表示不用）。"},
        {ReadIdleThresholdField, "请输入 1 到 1048576 之间的整数字节数。"},
        {ReadSessionHoursField, "请输入 0 到 99 之间的整数小时数（0 小时 0 分表示不限）。"},
        {ReadSessionMinutesField, "请输入 0 到 59 之间的整数分钟数（0 小时 0 分表示不限）。"},
        {ReadDailyTimeField, "请输入 00:00 到 23:59 之间的时刻，如 23:00（留空表示不用）。"},
        {ReadRedialTriesField, "请输入 0 到 99 之间的整数次数（0 表示不重拨）。"},
        {ReadRedialPauseField, "请输入 5 到 600 之间的整数秒数。"},
    };
    const struct {
        Reader read;
        const char* typed;
        std::optional<int> value; // nothing: refused
    } rows[] = {
        {ReadIdleMinutesField, "", 0},
        {ReadIdleMinutesField, " 240 ", 240},
        {ReadIdleMinutesField, "１０", 10},
        {ReadIdleMinutesField, "241", {}},
        {ReadIdleMinutesField, "-1", {}},
        {ReadIdleThresholdField, "1", 1},
        {ReadIdleThresholdField, "1048576", 1048576},
        {ReadIdleThresholdField, "1048577", {}},
        {ReadIdleThresholdField, "0", {}},
        {ReadIdleThresholdField, "", {}},
        {ReadSessionHoursField, "", 0},
        {ReadSessionHoursField, "99", 99},
        {ReadSessionHoursField, "100", {}},
        {ReadSessionMinutesField, "59", 59},
        {ReadSessionMinutesField, "60", {}},
        {ReadDailyTimeField, "", -1},
        {ReadDailyTimeField, "　", -1},
        {ReadDailyTimeField, "23:00", 1380},
        {ReadDailyTimeField, " 7:05\t", 425},
        {ReadDailyTimeField, "00:00", 0},
        {ReadDailyTimeField, "２３：５９", 1439},
        {ReadDailyTimeField, "23：00", 1380},
        {ReadDailyTimeField, "24:00", {}},
        {ReadDailyTimeField, "23:60", {}},
        {ReadDailyTimeField, "23", {}},
        {ReadDailyTimeField, "23:", {}},
        {ReadDailyTimeField, ":30", {}},
        {ReadDailyTimeField, "23 :00", {}},
        {ReadDailyTimeField, "23:00:00", {}},
        {ReadDailyTimeField, "-1:00", {}},
        {ReadRedialTriesField, "", 0},
        {ReadRedialTriesField, "99", 99},
        {ReadRedialTriesField, "100", {}},
        {ReadRedialPauseField, "5", 5},
        {ReadRedialPauseField, "600", 600},
        {ReadRedialPauseField, "4", {}},
        {ReadRedialPauseField, "601", {}},
        {ReadRedialPauseField, "", {}},
    };
    for (const auto& row : rows) {
        const plan::FieldValue field = row.read(row.typed);
        EXPECT_EQ(field.valid, row.value.has_value()) << row.typed;
        if (row.value) {
            EXPECT_EQ(field.value, *row.value) << row.typed;
            EXPECT_EQ(field.message, "") << row.typed;
        } else {
            for (const auto& named : messages) {
                if (named.read == row.read) {
                    EXPECT_EQ(field.message, named.message) << row.typed;
                }
            }
        }
    }
}

bool operator==(const GuardSettings& a, const GuardSettings& b) {
    return a.idleMinutes == b.idleMinutes && a.idleThresholdBytes == b.idleThresholdBytes &&
           a.sessionMinutes == b.sessionMinutes && a.dailyMinute == b.dailyMinute &&
           a.redialTries == b.redialTries && a.redialPauseSeconds == b.redialPauseSeconds;
}

TEST(GuardSettingsTest, HandEditedValuesOutOfRangeReadAsTheDefaults) {
    const GuardSettings defaults;
    const struct {
        const char* lines; // of [Guard]
        GuardSettings read;
    } rows[] = {
        {"", defaults},
        {"IdleMinutes=10\r\nIdleThreshold=100\r\nSessionMinutes=5999\r\nDailyTime=23:00\r\n"
         "RedialTries=5\r\nRedialPause=12\r\n",
         {10, 100, 5999, 1380, 5, 12}},
        {"idleminutes=240\r\ndailytime=7:5\r\n", {240, 4096, 0, 425, 0, 30}},
        {"IdleMinutes=241\r\nIdleThreshold=0\r\nSessionMinutes=6000\r\nDailyTime=24:00\r\n"
         "RedialTries=-1\r\nRedialPause=4\r\n",
         defaults},
        {"IdleMinutes=x\r\nIdleThreshold=\r\nSessionMinutes=1e3\r\nDailyTime=soon\r\n"
         "RedialTries=0x10\r\nRedialPause=99999999999999999999\r\n",
         defaults},
    };
    for (const auto& row : rows) {
        const store::IniDocument file(std::string("[Guard]\r\n") + row.lines);
        EXPECT_TRUE(LoadGuardSettings(file) == row.read) << row.lines;
    }
}

TEST(GuardSettingsTest, SavedInOneWriteAndReadBack) {
    for (const GuardSettings& guards :
         {GuardSettings{}, GuardSettings{240, 1048576, 5999, 0, 99, 600},
          GuardSettings{1, 1, 1, 1439, 1, 5}}) {
        store::IniDocument file("[Option]\r\nPos=0\r\n");
        store::testing::RecordingStore recorded(file);
        ASSERT_TRUE(SaveGuardSettings(recorded, guards));
        EXPECT_EQ(recorded.calls.size(), 1u);
        EXPECT_TRUE(LoadGuardSettings(file) == guards) << file.Bytes();
    }
    store::IniDocument file;
    ASSERT_TRUE(SaveGuardSettings(file, GuardSettings{0, 4096, 90, 420, 0, 30}));
    EXPECT_EQ(file.Bytes(),
              "[Guard]\r\nIdleMinutes=0\r\nIdleThreshold=4096\r\nSessionMinutes=90\r\n"
              "DailyTime=07:00\r\nRedialTries=0\r\nRedialPause=30\r\n");
}

// A moment of a scenario, `t` seconds after the start: a tick (bytes -1: no figures) and the
// step it gives, or the user's "继续上网".
struct Event {
    int t;
    long long bytes;
    GuardAction action = GuardAction::None;
    const char* text = nullptr; // checked when given
    bool keepOnline = false;
};
Event Keep(int t, long long bytes = 0) {
    return {t, bytes, GuardAction::None, nullptr, true};
}

struct Scenario {
    const char* name;
    GuardSettings guards;
    store::LocalTime startAt;
    int connectedAtStart; // a followed connection was up before
    std::vector<Event> events;
};

GuardTick TickOf(const Scenario& s, int t, long long bytes) {
    GuardTick tick;
    tick.monotonicMs = 5000000 + t * 1000LL;
    tick.local = plan::LocalTimeOf(plan::WallSeconds(s.startAt) + t);
    tick.connectedSeconds = s.connectedAtStart + t;
    if (bytes >= 0) {
        tick.bytes = static_cast<std::uint64_t>(bytes);
    }
    return tick;
}

GuardWatch Play(const Scenario& s) {
    GuardWatch watch;
    watch.Start(s.guards, TickOf(s, 0, s.events.empty() ? 0 : s.events.front().bytes));
    bool hungUp = false;
    for (const Event& e : s.events) {
        const GuardTick tick = TickOf(s, e.t, e.bytes);
        if (e.keepOnline) {
            watch.KeepOnline(tick);
            continue;
        }
        const GuardStep step = watch.Tick(tick);
        EXPECT_EQ(step.action, e.action) << s.name << " at " << e.t;
        if (e.text) {
            EXPECT_EQ(step.text, e.text) << s.name << " at " << e.t;
        }
        if (step.action == GuardAction::StartCountdown) {
            EXPECT_EQ(step.seconds, kCountdownSeconds) << s.name;
            EXPECT_TRUE(watch.CountingDown() && watch.CountdownReason() == step.reason) << s.name;
        }
        hungUp |= step.action == GuardAction::HangUp;
        EXPECT_EQ(watch.Running(), !hungUp) << s.name;
    }
    return watch;
}

constexpr GuardAction kNone = GuardAction::None;
constexpr GuardAction kBalloon = GuardAction::Balloon;
constexpr GuardAction kStart = GuardAction::StartCountdown;
constexpr GuardAction kUpdate = GuardAction::UpdateCountdown;
constexpr GuardAction kEnd = GuardAction::EndCountdown;
constexpr GuardAction kHangUp = GuardAction::HangUp;

GuardSettings Idle(int minutes) {
    GuardSettings guards;
    guards.idleMinutes = minutes;
    return guards;
}
GuardSettings Session(int minutes) {
    GuardSettings guards;
    guards.sessionMinutes = minutes;
    return guards;
}
GuardSettings Daily(int minuteOfDay) {
    GuardSettings guards;
    guards.dailyMinute = minuteOfDay;
    return guards;
}
GuardSettings With(GuardSettings guards, int sessionMinutes, std::optional<int> dailyMinute) {
    guards.sessionMinutes = sessionMinutes;
    guards.dailyMinute = dailyMinute;
    return guards;
}

const store::LocalTime kEvening{2026, 12, 31, 21, 0, 0};
constexpr int k2300 = 23 * 60;

TEST(GuardWatchTest, Scenarios) {
    const Scenario scenarios[] = {
        {"two idle minutes count down and hang up",
         Idle(2),
         kEvening,
         0,
         {{0, 0},
          {60, 100},
          {120, 200, kStart, "连接已空闲 2 分钟，60 秒后挂断"},
          {121, 200, kUpdate, "连接已空闲 2 分钟，59 秒后挂断"},
          {179, 300, kUpdate, "连接已空闲 2 分钟，1 秒后挂断"},
          {180, 300, kHangUp, "连接已空闲 2 分钟，已自动挂断"},
          {181, 300}}},
        {"a minute at the threshold starts the count again",
         Idle(1),
         kEvening,
         0,
         {{0, 0}, {60, 4096}, {120, 8191, kStart}}},
        {"traffic ends the idle countdown and the count starts from there",
         Idle(2),
         kEvening,
         0,
         {{0, 0},
          {120, 0, kStart},
          {130, 4095, kUpdate},
          {131, 4096, kEnd},
          {250, 4096},
          {251, 4096, kStart}}},
        {"继续上网 starts the idle time again",
         Idle(2),
         kEvening,
         0,
         {{0, 0}, {120, 0, kStart}, Keep(130), {249, 0}, {250, 0, kStart}}},
        {"a late tick counts the quiet minutes it spans",
         Idle(2),
         kEvening,
         0,
         {{0, 0}, {150, 100, kStart}, {200, 100, kUpdate, "连接已空闲 2 分钟，10 秒后挂断"}}},
        {"a late tick over a busy stretch starts the count again",
         Idle(2),
         kEvening,
         0,
         {{0, 0}, {150, 9000}, {210, 9000}, {270, 9000, kStart}}},
        {"without figures the idle guard never acts",
         Idle(1),
         kEvening,
         0,
         {{0, -1}, {60, -1}, {6000, -1}}},
        {"the session limit: a balloon, the countdown, the hang-up",
         Session(90),
         kEvening,
         0,
         {{5339, 0},
          {5340, 0, kBalloon, "本次连接将在 1 分钟后达到 1 小时 30 分的限制并挂断"},
          {5341, 0},
          {5400, 0, kStart, "本次连接已达 1 小时 30 分，60 秒后挂断"},
          {5460, 0, kHangUp, "本次连接已达 1 小时 30 分，已自动挂断"}}},
        {"whole hours and minutes alone",
         Session(120),
         kEvening,
         0,
         {{7200, 0, kStart, "本次连接已达 2 小时，60 秒后挂断"}}},
        {"minutes alone",
         Session(45),
         kEvening,
         0,
         {{2700, 0, kStart, "本次连接已达 45 分钟，60 秒后挂断"}}},
        {"继续上网 at the session limit holds for the connection",
         Session(1),
         kEvening,
         0,
         {{0, 0, kBalloon}, {60, 0, kStart}, Keep(70), {71, 0}, {99999, 0}}},
        {"a followed connection already past the limit",
         Session(60),
         kEvening,
         4000,
         {{0, 0, kStart}}},
        {"the time of day: a balloon, the countdown, the hang-up",
         Daily(k2300),
         {2026, 12, 31, 22, 58, 30},
         0,
         {{29, 0},
          {30, 0, kBalloon, "1 分钟后到 23:00，连接将被挂断"},
          {90, 0, kStart, "已到 23:00，60 秒后挂断"},
          {150, 0, kHangUp, "已到 23:00，已自动挂断"}}},
        {"past midnight into the new year",
         Daily(30),
         {2026, 12, 31, 23, 50, 0},
         0,
         {{600, 0}, {2339, 0}, {2340, 0, kBalloon}, {2400, 0, kStart, "已到 00:30，60 秒后挂断"}}},
        {"dialed after the time: not until the next day, in the next month",
         Daily(k2300),
         {2027, 2, 28, 23, 30, 0},
         0,
         {{0, 0}, {1800, 0}, {84539, 0}, {84540, 0, kBalloon}, {84600, 0, kStart}}},
        {"继续上网 at the time of day: again the next day",
         Daily(k2300),
         {2026, 12, 31, 23, 0, 0},
         0,
         {{0, 0, kStart}, Keep(10), {11, 0}, {86339, 0}, {86340, 0, kBalloon}, {86400, 0, kStart}}},
        {"a followed line up since before the time",
         Daily(k2300),
         {2026, 12, 31, 23, 30, 0},
         3600,
         {{0, 0, kStart}}},
        {"a cause due during a countdown waits for its end",
         With(Idle(1), 2, {}),
         kEvening,
         0,
         {{60, 0, kStart, "连接已空闲 1 分钟，60 秒后挂断"},
          {110, 0, kUpdate},
          Keep(110),
          {111, 0, kBalloon},
          {120, 0, kStart, "本次连接已达 2 分钟，60 秒后挂断"}}},
        {"of causes due together the earliest",
         With(Idle(1), 60, 22 * 60 + 59),
         {2026, 12, 31, 22, 0, 0},
         0,
         {{0, 0},
          {3700, 100000, kStart, "已到 22:59，60 秒后挂断"},
          Keep(3710, 100000),
          {3711, 100000, kStart, "本次连接已达 1 小时，60 秒后挂断"},
          Keep(3712, 100000),
          {3772, 100000, kStart, "连接已空闲 1 分钟，60 秒后挂断"}}},
    };
    for (const Scenario& s : scenarios) {
        Play(s);
    }
}

// Bytes the text takes in code page 936: every non-ASCII character here is double-byte there.
std::size_t Cp936Bytes(const std::string& utf8) {
    std::size_t bytes = 0;
    for (unsigned char c : utf8) {
        bytes += c < 0x80 ? 1 : c >= 0xC0 ? 2 : 0;
    }
    return bytes;
}

TEST(GuardWatchTest, TheTipNamesTheNearestGuard) {
    const struct {
        Scenario played; // the tip is read at the last event
        const char* tip;
    } rows[] = {
        {{"none", GuardSettings{0, 4096, 0, {}, 5, 30}, kEvening, 0, {{60, 0}}}, ""},
        {{"idle", Idle(10), kEvening, 0, {{0, 0}, {180, 0}}}, "空闲 3 分钟"},
        {{"idle counted past the setting", Idle(240), kEvening, 0, {{0, 0}, {99999, 0, kStart}}},
         "空闲 240 分钟"},
        {{"idle without figures", Idle(10), kEvening, 0, {{0, -1}, {180, -1}}}, ""},
        {{"session", Session(90), kEvening, 0, {{60, 0}}}, "22:30 挂断"},
        {{"followed", Session(60), kEvening, 1800, {{0, 0}}}, "21:30 挂断"},
        {{"daily", Daily(k2300), kEvening, 0, {{0, 0}}}, "23:00 挂断"},
        {{"idle nearer",
          With(Idle(10), 0, k2300),
          {2026, 12, 31, 22, 47, 0},
          0,
          {{0, 0}, {180, 0}}},
         "空闲 3 分钟"},
        {{"daily nearer",
          With(Idle(10), 0, k2300),
          {2026, 12, 31, 22, 52, 0},
          0,
          {{0, 0}, {180, 0}}},
         "23:00 挂断"},
        {{"session kept",
          With(GuardSettings{}, 1, k2300),
          kEvening,
          0,
          {{60, 0, kStart}, Keep(61)}},
         "23:00 挂断"},
        {{"hung up", Session(1), kEvening, 0, {{60, 0, kStart}, {120, 0, kHangUp}}}, ""},
    };
    for (const auto& row : rows) {
        const GuardWatch watch = Play(row.played);
        const Event& last = row.played.events.back();
        const std::string tip = watch.TipText(TickOf(row.played, last.t, last.bytes));
        EXPECT_EQ(tip, row.tip) << row.played.name;
        EXPECT_LE(Cp936Bytes(tip), 13u) << row.played.name;
    }
}

TEST(RedialerTest, RefusedLoginsAreTheAccountErrors) {
    for (unsigned error : {646u, 647u, 648u, 649u, 691u, 709u}) {
        EXPECT_TRUE(IsRefusedLogin(error)) << error;
    }
    // Timeouts, busy lines and device errors may pass.
    for (unsigned error : {0u, 629u, 645u, 653u, 678u, 680u, 718u, 797u}) {
        EXPECT_FALSE(IsRefusedLogin(error)) << error;
    }
}

// One call to the redialer at `s` seconds, and what it then says.
struct Call {
    enum Kind { Ended, Failed, Connected, Cancel, Due } kind;
    double s = 0;
    EndCause cause = EndCause::Dropped;
    unsigned error = 0;
    bool due = false;             // Due: what DialDue returns
    const char* status = nullptr; // StatusText after the call, when given
};
Call Drop(double s) {
    return {Call::Ended, s};
}
Call EndedBy(EndCause cause) {
    return {Call::Ended, 0, cause};
}
Call Fail(double s, unsigned error, const char* status = nullptr) {
    return {Call::Failed, s, EndCause::Dropped, error, false, status};
}
Call DueAt(double s, bool due, const char* status = nullptr) {
    return {Call::Due, s, EndCause::Dropped, 0, due, status};
}

TEST(RedialerTest, Rounds) {
    const struct {
        const char* name;
        int tries;
        bool usedUpHangUp;
        std::vector<Call> calls;
    } rows[] = {
        {"tries until they run out",
         3,
         false,
         {Drop(0), DueAt(2.5, false, "连接已经断开，8 秒后第 1 次重拨，共 3 次..."),
          DueAt(9.99, false, "连接已经断开，1 秒后第 1 次重拨，共 3 次..."),
          DueAt(10, true, "第 1 次重拨，共 3 次..."), DueAt(11, false, "第 1 次重拨，共 3 次..."),
          Fail(40, 718, "连接已经断开，10 秒后第 2 次重拨，共 3 次..."),
          DueAt(50, true, "第 2 次重拨，共 3 次..."),
          Fail(60, 678, "连接已经断开，10 秒后第 3 次重拨，共 3 次..."),
          DueAt(900, true, "第 3 次重拨，共 3 次..."),
          Fail(910, 680, "重拨 3 次都没有成功，不再重拨"),
          DueAt(2000, false, "重拨 3 次都没有成功，不再重拨")}},
        {"a refused login stops",
         5,
         false,
         {Drop(0), DueAt(10, true, "第 1 次重拨，共 5 次..."),
          Fail(20, 691, "重拨时登录被拒绝（错误 691），不再重拨"),
          DueAt(100, false, "重拨时登录被拒绝（错误 691），不再重拨")}},
        {"a failure while pausing is not a try's",
         2,
         false,
         {Drop(0), Fail(5, 691, "连接已经断开，5 秒后第 1 次重拨，共 2 次...")}},
        {"a redialed line that drops starts a new round",
         2,
         false,
         {Drop(0),
          DueAt(10, true),
          Fail(11, 718),
          DueAt(21, true),
          {Call::Connected, 22},
          Drop(500),
          DueAt(500, false, "连接已经断开，10 秒后第 1 次重拨，共 2 次...")}},
        {"the user's dial or hang-up cancels",
         2,
         false,
         {Drop(0), {Call::Cancel, 1}, DueAt(100, false, "")}},
        {"a hang-up during the round ends it",
         2,
         false,
         {Drop(0), DueAt(10, true), EndedBy(EndCause::UserHangUp), DueAt(100, false, "")}},
        {"hung up by the user", 2, false, {EndedBy(EndCause::UserHangUp), DueAt(100, false, "")}},
        {"by a guard", 2, false, {EndedBy(EndCause::GuardHangUp), DueAt(100, false, "")}},
        {"at the limit", 2, false, {EndedBy(EndCause::LimitHangUp), DueAt(100, false, "")}},
        {"by a suspend", 2, false, {EndedBy(EndCause::Suspend), DueAt(100, false, "")}},
        {"at the exit", 2, false, {EndedBy(EndCause::Exit), DueAt(100, false, "")}},
        {"dropped with the allowance used up and a hang-up due",
         2,
         true,
         {Drop(0), DueAt(100, false, "")}},
        {"redialing off", 0, false, {Drop(0), DueAt(100, false, "")}},
    };
    for (const auto& row : rows) {
        GuardSettings guards;
        guards.redialTries = row.tries;
        guards.redialPauseSeconds = 10;
        Redialer redialer;
        for (const Call& call : row.calls) {
            const auto ms = static_cast<std::int64_t>(call.s * 1000);
            switch (call.kind) {
            case Call::Ended:
                redialer.OnEnded(call.cause, guards, row.usedUpHangUp, ms);
                continue;
            case Call::Failed:
                redialer.OnDialFailed(call.error, ms);
                break;
            case Call::Connected:
                redialer.OnConnected();
                continue;
            case Call::Cancel:
                redialer.Cancel();
                continue;
            case Call::Due:
                EXPECT_EQ(redialer.DialDue(ms), call.due) << row.name << " at " << call.s;
                break;
            }
            if (call.status) {
                EXPECT_EQ(redialer.StatusText(ms), call.status) << row.name << " at " << call.s;
            }
        }
    }
}

} // namespace
} // namespace dialer
