#include "dialer/Guards.h"

#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "plan/Calendar.h"
#include "store/IniDocument.h"
#include "tests/unit/store/RecordingStore.h"

namespace dialer {
namespace {

TEST(GuardFieldsTest, EachFieldTakesItsRangeAndNamesItOtherwise) {
    const struct {
        plan::FieldValue (*read)(std::string_view);
        std::vector<std::pair<const char*, int>> accepted;
        std::vector<const char*> refused;
        const char* message;
    } rows[] = {
        // clang-format off
        {ReadIdleMinutesField, {{"", 0}, {" 240 ", 240}, {"１０", 10}}, {"241", "-1"},
         "请输入 0 到 240 之间的整数分钟数（0 表示不用）。"},
        {ReadIdleThresholdField, {{"1", 1}, {"1048576", 1048576}}, {"1048577", "0", ""},
         "请输入 1 到 1048576 之间的整数字节数。"},
        {ReadSessionHoursField, {{"", 0}, {"99", 99}}, {"100"},
         "请输入 0 到 99 之间的整数小时数（0 小时 0 分表示不限）。"},
        {ReadSessionMinutesField, {{"59", 59}}, {"60"},
         "请输入 0 到 59 之间的整数分钟数（0 小时 0 分表示不限）。"},
        {ReadDailyTimeField,
         {{"", -1}, {"　", -1}, {"23:00", 1380}, {" 7:05\t", 425}, {"00:00", 0},
          {"２３：５９", 1439}, {"23：00", 1380}},
         {"24:00", "23:60", "23", "23:", ":30", "23 :00", "23:00:00", "-1:00"},
         "请输入 00:00 到 23:59 之间的时刻，如 23:00（留空表示不用）。"},
        {ReadRedialTriesField, {{"", 0}, {"99", 99}}, {"100"},
         "请输入 0 到 99 之间的整数次数（0 表示不重拨）。"},
        {ReadRedialPauseField, {{"5", 5}, {"600", 600}}, {"4", "601", ""},
         "请输入 5 到 600 之间的整数秒数。"},
        // clang-format on
    };
    for (const auto& row : rows) {
        for (const auto& [typed, value] : row.accepted) {
            const plan::FieldValue field = row.read(typed);
            EXPECT_TRUE(field.valid && field.value == value && field.message.empty()) << typed;
        }
        for (const char* typed : row.refused) {
            const plan::FieldValue field = row.read(typed);
            EXPECT_FALSE(field.valid) << typed;
            EXPECT_EQ(field.message, row.message) << typed;
        }
    }
}

bool operator==(const GuardSettings& a, const GuardSettings& b) {
    return a.idleMinutes == b.idleMinutes && a.idleThresholdBytes == b.idleThresholdBytes &&
           a.sessionMinutes == b.sessionMinutes && a.dailyMinute == b.dailyMinute &&
           a.redialTries == b.redialTries && a.redialPauseSeconds == b.redialPauseSeconds;
}

TEST(GuardSettingsTest, SavedInOneWriteAndReadBackHandEditsOutOfRangeAsTheDefaults) {
    const struct {
        const char* lines; // of [Guard]
        GuardSettings read;
    } rows[] = {
        {"", {}},
        {"IdleMinutes=0\r\nIdleThreshold=4096\r\nSessionMinutes=90\r\nDailyTime=07:00\r\n"
         "RedialTries=0\r\nRedialPause=30\r\n",
         {0, 4096, 90, 420, 0, 30}}, // as saved
        {"idleminutes= 240\r\ndailytime=7:5\r\nSessionMinutes=5999\r\n", {240, 4096, 5999, 425}},
        {"IdleMinutes=241\r\nIdleThreshold=0\r\nSessionMinutes=6000\r\nDailyTime=24:00\r\n"
         "RedialTries=-1\r\nRedialPause=4\r\n",
         {}},
        {"IdleMinutes=x\r\nIdleThreshold=\r\nSessionMinutes=1e3\r\nDailyTime=soon\r\n"
         "RedialTries=0x10\r\nRedialPause=99999999999999999999\r\n",
         {}},
    };
    for (const auto& row : rows) {
        const store::IniDocument file(std::string("[Guard]\r\n") + row.lines);
        EXPECT_TRUE(LoadGuardSettings(file) == row.read) << row.lines;

        store::IniDocument saved;
        store::testing::RecordingStore recorded(saved);
        ASSERT_TRUE(SaveGuardSettings(recorded, row.read));
        EXPECT_EQ(recorded.calls.size(), 1u);
        EXPECT_TRUE(LoadGuardSettings(saved) == row.read) << saved.Bytes();
    }
    store::IniDocument saved;
    ASSERT_TRUE(SaveGuardSettings(saved, rows[1].read));
    EXPECT_EQ(saved.Bytes(), std::string("[Guard]\r\n") + rows[1].lines);
}

// A moment `t` seconds after the start: a tick (bytes -1: no figures) and the step it gives
// (its text checked when given), or the user's "继续上网".
struct Event {
    int t;
    long long bytes;
    GuardAction action = GuardAction::None;
    const char* text = nullptr;
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
    GuardTick tick{5000000 + t * 1000LL, plan::LocalTimeOf(plan::WallSeconds(s.startAt) + t),
                   s.connectedAtStart + t, std::nullopt};
    if (bytes >= 0) {
        tick.bytes = static_cast<std::uint64_t>(bytes);
    }
    return tick;
}

GuardWatch Play(const Scenario& s) {
    GuardWatch watch;
    watch.Start(s.guards, TickOf(s, 0, s.events.front().bytes));
    bool hungUp = false;
    for (const Event& e : s.events) {
        const GuardTick tick = TickOf(s, e.t, e.bytes);
        if (e.keepOnline) {
            watch.KeepOnline(tick);
            continue;
        }
        const GuardStep step = watch.Tick(tick);
        EXPECT_EQ(step.action, e.action) << s.name << " at " << e.t;
        EXPECT_TRUE(!e.text || step.text == e.text) << s.name << " at " << e.t << ": " << step.text;
        if (step.action == GuardAction::StartCountdown) {
            EXPECT_EQ(step.seconds, kCountdownSeconds);
            EXPECT_TRUE(watch.CountingDown() && watch.CountdownReason() == step.reason) << s.name;
        }
        hungUp |= step.action == GuardAction::HangUp;
        EXPECT_EQ(watch.Running(), !hungUp) << s.name;
    }
    return watch;
}

constexpr GuardAction kBalloon = GuardAction::Balloon;
constexpr GuardAction kStart = GuardAction::StartCountdown;
constexpr GuardAction kUpdate = GuardAction::UpdateCountdown;
constexpr GuardAction kEnd = GuardAction::EndCountdown;
constexpr GuardAction kHangUp = GuardAction::HangUp;

GuardSettings Guards(int idleMinutes, int sessionMinutes, std::optional<int> dailyMinute) {
    return {idleMinutes, 4096, sessionMinutes, dailyMinute, 0, 30};
}

const store::LocalTime kEvening{2026, 12, 31, 21, 0, 0};
constexpr int k2300 = 23 * 60;

TEST(GuardWatchTest, Scenarios) {
    const Scenario scenarios[] = {
        // clang-format off
        {"two idle minutes count down and hang up", Guards(2, 0, {}), kEvening, 0,
         {{0, 0}, {60, 100}, {120, 200, kStart, "连接已空闲 2 分钟，60 秒后挂断"},
          {121, 200, kUpdate, "连接已空闲 2 分钟，59 秒后挂断"},
          {179, 300, kUpdate, "连接已空闲 2 分钟，1 秒后挂断"},
          {180, 300, kHangUp, "连接已空闲 2 分钟，已自动挂断"}, {181, 300}}},
        {"a minute at the threshold starts the count again", Guards(1, 0, {}), kEvening, 0,
         {{0, 0}, {60, 4096}, {120, 8191, kStart}}},
        {"traffic ends the idle countdown; the count starts there", Guards(2, 0, {}), kEvening, 0,
         {{0, 0}, {120, 0, kStart}, {130, 4095, kUpdate}, {131, 4096, kEnd}, {250, 4096},
          {251, 4096, kStart}}},
        {"继续上网 starts the idle time again", Guards(2, 0, {}), kEvening, 0,
         {{0, 0}, {120, 0, kStart}, Keep(130), {249, 0}, {250, 0, kStart}}},
        {"a late tick counts the quiet minutes it spans", Guards(2, 0, {}), kEvening, 0,
         {{0, 0}, {150, 100, kStart}, {200, 100, kUpdate, "连接已空闲 2 分钟，10 秒后挂断"}}},
        {"a late tick over a busy stretch starts the count again", Guards(2, 0, {}), kEvening, 0,
         {{0, 0}, {150, 9000}, {210, 9000}, {270, 9000, kStart}}},
        {"without figures the idle guard never acts", Guards(1, 0, {}), kEvening, 0,
         {{0, -1}, {60, -1}, {6000, -1}}},
        {"the session limit", Guards(0, 90, {}), kEvening, 0,
         {{5339, 0}, {5340, 0, kBalloon, "本次连接将在 1 分钟后达到 1 小时 30 分的限制并挂断"},
          {5341, 0}, {5400, 0, kStart, "本次连接已达 1 小时 30 分，60 秒后挂断"},
          {5460, 0, kHangUp, "本次连接已达 1 小时 30 分，已自动挂断"}}},
        {"whole hours", Guards(0, 120, {}), kEvening, 0,
         {{7200, 0, kStart, "本次连接已达 2 小时，60 秒后挂断"}}},
        {"minutes alone", Guards(0, 45, {}), kEvening, 0,
         {{2700, 0, kStart, "本次连接已达 45 分钟，60 秒后挂断"}}},
        {"继续上网 at the session limit holds for the connection", Guards(0, 1, {}), kEvening, 0,
         {{0, 0, kBalloon}, {60, 0, kStart}, Keep(70), {71, 0}, {99999, 0}}},
        {"a followed connection already past the limit", Guards(0, 60, {}), kEvening, 4000,
         {{0, 0, kStart}}},
        {"the time of day", Guards(0, 0, k2300), {2026, 12, 31, 22, 58, 30}, 0,
         {{29, 0}, {30, 0, kBalloon, "1 分钟后到 23:00，连接将被挂断"},
          {90, 0, kStart, "已到 23:00，60 秒后挂断"}, {150, 0, kHangUp, "已到 23:00，已自动挂断"}}},
        {"past midnight into the new year", Guards(0, 0, 30), {2026, 12, 31, 23, 50, 0}, 0,
         {{600, 0}, {2339, 0}, {2340, 0, kBalloon}, {2400, 0, kStart, "已到 00:30，60 秒后挂断"}}},
        {"dialed after the time: the next day, in the next month", Guards(0, 0, k2300),
         {2027, 2, 28, 23, 30, 0}, 0,
         {{0, 0}, {1800, 0}, {84539, 0}, {84540, 0, kBalloon}, {84600, 0, kStart}}},
        {"继续上网 at the time of day: again the next day", Guards(0, 0, k2300),
         {2026, 12, 31, 23, 0, 0}, 0,
         {{0, 0, kStart}, Keep(10), {11, 0}, {86339, 0}, {86340, 0, kBalloon}, {86400, 0, kStart}}},
        {"a followed line up since before the time", Guards(0, 0, k2300),
         {2026, 12, 31, 23, 30, 0}, 3600, {{0, 0, kStart}}},
        {"a cause due during a countdown waits for its end", Guards(1, 2, {}), kEvening, 0,
         {{60, 0, kStart, "连接已空闲 1 分钟，60 秒后挂断"}, {110, 0, kUpdate}, Keep(110),
          {111, 0, kBalloon}, {120, 0, kStart, "本次连接已达 2 分钟，60 秒后挂断"}}},
        {"of causes due together the earliest", Guards(1, 60, 22 * 60 + 59),
         {2026, 12, 31, 22, 0, 0}, 0,
         {{0, 0}, {3700, 100000, kStart, "已到 22:59，60 秒后挂断"}, Keep(3710, 100000),
          {3711, 100000, kStart, "本次连接已达 1 小时，60 秒后挂断"}, Keep(3712, 100000),
          {3772, 100000, kStart, "连接已空闲 1 分钟，60 秒后挂断"}}},
        // clang-format on
    };
    for (const Scenario& s : scenarios) {
        Play(s);
    }
}

// Bytes in code page 936: every non-ASCII character here is double-byte there.
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
        // clang-format off
        {{"redial only", {0, 4096, 0, {}, 5, 30}, kEvening, 0, {{60, 0}}}, ""},
        {{"idle", Guards(10, 0, {}), kEvening, 0, {{0, 0}, {180, 0}}}, "空闲 3 分钟"},
        {{"idle past the setting", Guards(240, 0, {}), kEvening, 0, {{0, 0}, {99999, 0, kStart}}},
         "空闲 240 分钟"},
        {{"no figures", Guards(10, 0, {}), kEvening, 0, {{0, -1}, {180, -1}}}, ""},
        {{"session", Guards(0, 90, {}), kEvening, 0, {{60, 0}}}, "22:30 挂断"},
        {{"followed", Guards(0, 60, {}), kEvening, 1800, {{0, 0}}}, "21:30 挂断"},
        {{"daily", Guards(0, 0, k2300), kEvening, 0, {{0, 0}}}, "23:00 挂断"},
        {{"idle nearer", Guards(10, 0, k2300), {2026, 12, 31, 22, 47, 0}, 0, {{0, 0}, {180, 0}}},
         "空闲 3 分钟"},
        {{"daily nearer", Guards(10, 0, k2300), {2026, 12, 31, 22, 52, 0}, 0, {{0, 0}, {180, 0}}},
         "23:00 挂断"},
        {{"session kept", Guards(0, 1, k2300), kEvening, 0, {{60, 0, kStart}, Keep(61)}},
         "23:00 挂断"},
        {{"hung up", Guards(0, 1, {}), kEvening, 0, {{60, 0, kStart}, {120, 0, kHangUp}}}, ""},
        // clang-format on
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
    // A timeout, a busy line, a device's error may pass.
    for (unsigned error : {0u, 629u, 645u, 653u, 678u, 680u, 718u, 797u}) {
        EXPECT_FALSE(IsRefusedLogin(error)) << error;
    }
}

// A call `s` seconds in: the end of a connection (with its cause), a failed dial (with its
// error), the line up, a cancel, or DialDue (what it returns); then StatusText when given.
struct Call {
    enum Kind { Ended, Failed, Connected, Cancel, Due } kind;
    double s;
    int causeOrError = static_cast<int>(EndCause::Dropped);
    bool due = false;
    const char* status = nullptr;
};
Call Fail(double s, int error, const char* status = nullptr) {
    return {Call::Failed, s, error, false, status};
}
Call DueAt(double s, bool due, const char* status = nullptr) {
    return {Call::Due, s, 0, due, status};
}
Call EndedBy(EndCause cause) {
    return {Call::Ended, 0, static_cast<int>(cause)};
}
const Call kDrop{Call::Ended, 0};

TEST(RedialerTest, Rounds) {
    const struct {
        const char* name;
        int tries;
        bool usedUpHangUp;
        std::vector<Call> calls;
    } rows[] = {
        // clang-format off
        {"tries until they run out", 3, false,
         {kDrop, DueAt(2.5, false, "连接已经断开，8 秒后第 1 次重拨，共 3 次..."),
          DueAt(9.99, false, "连接已经断开，1 秒后第 1 次重拨，共 3 次..."),
          DueAt(10, true, "第 1 次重拨，共 3 次..."), DueAt(11, false, "第 1 次重拨，共 3 次..."),
          Fail(40, 718, "连接已经断开，10 秒后第 2 次重拨，共 3 次..."),
          DueAt(50, true, "第 2 次重拨，共 3 次..."),
          Fail(60, 678, "连接已经断开，10 秒后第 3 次重拨，共 3 次..."),
          DueAt(900, true, "第 3 次重拨，共 3 次..."), Fail(910, 680, "重拨 3 次都没有成功，不再重拨"),
          DueAt(2000, false, "重拨 3 次都没有成功，不再重拨")}},
        {"a refused login stops", 5, false,
         {kDrop, DueAt(10, true), Fail(20, 691, "重拨时登录被拒绝（错误 691），不再重拨"),
          DueAt(100, false, "重拨时登录被拒绝（错误 691），不再重拨")}},
        {"a failure while pausing is not a try's", 2, false,
         {kDrop, Fail(5, 691, "连接已经断开，5 秒后第 1 次重拨，共 2 次...")}},
        {"a redialed line that drops starts a new round", 2, false,
         {kDrop, DueAt(10, true), Fail(11, 718), DueAt(21, true), {Call::Connected, 22},
          {Call::Ended, 500}, DueAt(500, false, "连接已经断开，10 秒后第 1 次重拨，共 2 次...")}},
        {"the user's dial cancels", 2, false, {kDrop, {Call::Cancel, 1}, DueAt(100, false, "")}},
        {"a hang-up during the round ends it", 2, false,
         {kDrop, DueAt(10, true), EndedBy(EndCause::UserHangUp), DueAt(100, false, "")}},
        {"hung up by the user", 2, false, {EndedBy(EndCause::UserHangUp), DueAt(100, false, "")}},
        {"by a guard", 2, false, {EndedBy(EndCause::GuardHangUp), DueAt(100, false, "")}},
        {"at the limit", 2, false, {EndedBy(EndCause::LimitHangUp), DueAt(100, false, "")}},
        {"by a suspend", 2, false, {EndedBy(EndCause::Suspend), DueAt(100, false, "")}},
        {"at the exit", 2, false, {EndedBy(EndCause::Exit), DueAt(100, false, "")}},
        {"allowance used up, plan hangs up", 2, true, {kDrop, DueAt(100, false, "")}},
        {"redialing off", 0, false, {kDrop, DueAt(100, false, "")}},
        // clang-format on
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
                redialer.OnEnded(static_cast<EndCause>(call.causeOrError), guards, row.usedUpHangUp,
                                 ms);
                break;
            case Call::Failed:
                redialer.OnDialFailed(static_cast<unsigned>(call.causeOrError), ms);
                break;
            case Call::Connected:
                redialer.OnConnected();
                break;
            case Call::Cancel:
                redialer.Cancel();
                break;
            case Call::Due:
                EXPECT_EQ(redialer.DialDue(ms), call.due) << row.name << " at " << call.s;
                break;
            }
            EXPECT_TRUE(!call.status || redialer.StatusText(ms) == call.status)
                << row.name << " at " << call.s << ": " << redialer.StatusText(ms);
        }
    }
}

} // namespace
} // namespace dialer
