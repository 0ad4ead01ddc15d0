// The guards that save the hours: the idle countdown and its two answers, traffic that keeps a
// line, the session limit and the time of day, the redial of a dropped line, and the settings
// window. Each case sets the smallest values a user can set, so that none waits much more than a
// minute.

#include "probes/AppProcess.h"
#include "probes/DialogProbe.h"
#include "probes/MainWindowView.h"
#include "probes/Screenshot.h"
#include "probes/SettingsFile.h"
#include "probes/WindowProbe.h"
#include "steps/Steps.h"
#include "TestRunner.h"
#include "Text.h"

#include <windows.h>

#include <cstdio>

namespace {

using namespace e2e;

// The guards' section with the lines given.
std::string GuardFile(const std::string& lines) {
    return "[Guard]\n" + lines;
}

// Starts the dialer with the guards' settings and the dial lines, and connects.
HWND ConnectGuarded(App& app, const std::string& guardLines, const std::string& dialLines) {
    REQUIRE(settings::Write(GuardFile(guardLines)));
    HWND window = StartDialer(app, dialLines);
    REQUIRE(DialAndConnect(app, window).has_value());
    return window;
}

// The countdown window once it is up, within `seconds` and the usual allowance.
HWND WaitCountdown(const App& app, int seconds) {
    HWND countdown = nullptr;
    WaitUntil(
        [&] {
            countdown = app.Dialog([](HWND dialog) {
                return WindowText(dialog) == kCountdownTitle &&
                       Item(dialog, ids::kKeepOnline) != nullptr;
            });
            return countdown != nullptr;
        },
        static_cast<unsigned>(seconds) * 1000 + DefaultTimeoutMs());
    return countdown;
}

// The status line's texts in turn until one starts with `prefix`.
bool StatusShows(HWND window, const std::string& prefix, unsigned timeoutMs,
                 std::vector<std::string>* trail = nullptr) {
    std::vector<std::string> seen;
    const bool shown = WaitUntil(
        [&] {
            const std::string text = Status(window);
            if (seen.empty() || seen.back() != text) {
                seen.push_back(text);
            }
            return text.rfind(prefix, 0) == 0;
        },
        timeoutMs);
    if (trail != nullptr) {
        *trail = seen;
    }
    return shown;
}

// The line connects, then the service reports it gone 1.5 s later.
constexpr const char* kDroppingLine =
    "[dial]\nevent = 0 50\nevent = 0x2000 50\nevent = 0x2001 1500\n";

} // namespace

E2E_TEST(Guard, AnIdleLineCountsDownAndItsHangUpSaysWhy) {
    App app;
    HWND window = ConnectGuarded(app, "IdleMinutes=1\n", kQuickConnect);
    HWND countdown = WaitCountdown(app, 60);
    REQUIRE_MSG(countdown != nullptr, "no countdown after a minute without traffic");
    TakeScreenshot("guard-countdown", countdown);
    CHECK_MSG(WindowText(Item(countdown, ids::kCountdownText)).rfind("连接已空闲 1 分钟，", 0) == 0,
              "countdown " + Describe(WindowText(Item(countdown, ids::kCountdownText))));
    CHECK_EQ(WindowText(Item(countdown, ids::kHangUpNow)), texts::kHangUpNow);
    PressButton(Item(countdown, ids::kHangUpNow));
    REQUIRE_MSG(WaitStatus(window, "连接已空闲 1 分钟，已自动挂断"),
                "status " + Describe(Status(window)));
    CHECK(WaitGone(countdown));
    CHECK_EQ(StoredRecordCount(), 1);
    CHECK_EQ(RasCalls(app, "RasHangUpA"), 1);
}

E2E_TEST(Guard, KeepOnlineKeepsTheLine) {
    App app;
    HWND window = ConnectGuarded(app, "IdleMinutes=1\n", kQuickConnect);
    HWND countdown = WaitCountdown(app, 60);
    REQUIRE_MSG(countdown != nullptr, "no countdown after a minute without traffic");
    PressButton(Item(countdown, ids::kKeepOnline));
    CHECK(WaitGone(countdown));
    const int from = ShownSeconds(window).value_or(0);
    CHECK_MSG(WaitSecondsAbove(window, from + 3), "status " + Describe(Status(window)));
    CHECK_EQ(RasCalls(app, "RasHangUpA"), 0);
    CHECK_EQ(StoredRecordCount(), 0);
}

E2E_TEST(Guard, TrafficAboveTheThresholdNeverStartsTheCountdown) {
    App app;
    // 60000 bytes a minute against the threshold's 4096.
    HWND window =
        ConnectGuarded(app, "IdleMinutes=1\n",
                       std::string(kQuickConnect) + "traffic = " + kEntryName + " 900 100\n");
    REQUIRE(WaitSecondsAbove(window, 70, ScaledMs(80000)));
    CHECK(WaitCountdown(app, 0) == nullptr);
    CHECK_EQ(RasCalls(app, "RasHangUpA"), 0);
}

// A connection dialed elsewhere, up for 55 s, against a limit of one minute: the countdown at
// the limit and, unanswered, the hang-up a minute later.
E2E_TEST(Guard, ASessionLimitUnansweredHangsUp) {
    REQUIRE(settings::Write(GuardFile("SessionMinutes=1\n")));
    Started s =
        StartShown(PhoneBook{{kEntryName}, "connection = " + std::string(kEntryName) + " 55\n"});
    REQUIRE_MSG(WaitCountdown(s.app, 10) != nullptr, "no countdown at the session limit");
    REQUIRE_MSG(WaitStatus(s.main, "本次连接已达 1 分钟，已自动挂断", ScaledMs(75000)),
                "status " + Describe(Status(s.main)));
    CHECK_EQ(StoredRecordCount(), 1);
    CHECK_MSG(StoredRecordSeconds(1).value_or(0) >= 119,
              "data[1] " + Describe(settings::Record(1).value_or("")));
}

// A line dialed elsewhere ten minutes ago, followed at the start: the next whole minute (or the
// one after, when this one is nearly over) hangs it up, however long the start takes.
E2E_TEST(Guard, TheTimeOfDayHangsUp) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    const int minute = (now.wHour * 60 + now.wMinute + (now.wSecond < 50 ? 1 : 2)) % (24 * 60);
    char time[8];
    std::snprintf(time, sizeof time, "%02d:%02d", minute / 60, minute % 60);
    Started s =
        StartShown(PhoneBook{{kEntryName}, "connection = " + std::string(kEntryName) + " 600\n"},
                   GuardFile(std::string("DailyTime=") + time + "\n"));
    HWND countdown = WaitCountdown(s.app, 70);
    REQUIRE_MSG(countdown != nullptr, std::string("no countdown at ") + time);
    PressButton(Item(countdown, ids::kHangUpNow));
    CHECK_MSG(WaitStatus(s.main, std::string("已到 ") + time + "，已自动挂断"),
              "status " + Describe(Status(s.main)));
    CHECK_EQ(StoredRecordCount(), 1);
}

// A drop is redialed after the pause, showing the try; the user's hang-up of the line it
// brought up ends the tries, and each connection is a record of its own.
E2E_TEST(Guard, ADroppedLineIsRedialedUntilTheUserHangsUp) {
    App app;
    HWND window = ConnectGuarded(app, "RedialTries=3\nRedialPause=5\n", kDroppingLine);
    std::vector<std::string> trail;
    REQUIRE_MSG(StatusShows(window, "连接已经断开，", ScaledMs(5000)),
                "status " + Describe(Status(window)));
    // The redial's line stays up.
    REQUIRE(WriteFileBytes(app.PhoneBookPath(), QuickConnectBook().FileText()));
    CHECK_MSG(StatusShows(window, "第 1 次重拨，共 3 次...", ScaledMs(10000), &trail),
              "trail " + Describe(trail));
    REQUIRE(WaitConnected(window).has_value());
    CHECK_EQ(RasCalls(app, "RasDialA"), 2);
    CHECK_EQ(StoredRecordCount(), 1);

    PressHangUp(window);
    REQUIRE_MSG(WaitStatus(window, texts::kHungUp), "status " + Describe(Status(window)));
    CheckQuiet(window, texts::kHungUp, ScaledMs(7000), false, true, "after the user's hang-up");
    CHECK_EQ(RasCalls(app, "RasDialA"), 2);
    CHECK_EQ(StoredRecordCount(), 2);
}

E2E_TEST(Guard, ARefusedLoginStopsTheRedial) {
    App app;
    HWND window = ConnectGuarded(app, "RedialTries=3\nRedialPause=5\n", kDroppingLine);
    REQUIRE_MSG(StatusShows(window, "连接已经断开，", ScaledMs(5000)),
                "status " + Describe(Status(window)));
    REQUIRE(WriteFileBytes(app.PhoneBookPath(),
                           PhoneBook{{kEntryName}, "[dial]\nrefuse = 691\n"}.FileText()));
    REQUIRE_MSG(WaitStatus(window, "重拨时登录被拒绝（错误 691），不再重拨", ScaledMs(10000)),
                "status " + Describe(Status(window)));
    CheckQuiet(window, "重拨时登录被拒绝（错误 691），不再重拨", ScaledMs(7000), false, true,
               "after the refusal");
    CHECK_EQ(RasCalls(app, "RasDialA"), 2);
    CHECK_EQ(StoredRecordCount(), 1);
}

E2E_TEST(Guard, TheSettingsWindowRefusesBadInputAndStoresGoodInput) {
    Started s = StartShown(OneEntryBook());
    HWND stats = RequireStats(s);
    HWND guard = OpenGuardFromStats(s.app, stats);
    REQUIRE_MSG(guard != nullptr, "no guard settings window");
    TakeScreenshot("guard-settings", guard);
    REQUIRE(SetWindowTextTo(Item(guard, ids::kGuardIdle), "300"));
    const std::optional<MessageBoxView> box =
        AnsweredAfter(s.app, Item(guard, ids::kGuardSave), IDOK);
    REQUIRE_MSG(box.has_value(), "no notice for 300 idle minutes");
    CHECK_EQ(box->caption, texts::kNotice);
    CHECK_EQ(box->text, "请输入 0 到 240 之间的整数分钟数（0 表示不用）。");
    CHECK_EQ(settings::Stored("Guard", "IdleMinutes"), std::optional<std::string>());

    REQUIRE(SetWindowTextTo(Item(guard, ids::kGuardIdle), "10"));
    REQUIRE(SetWindowTextTo(Item(guard, ids::kGuardDaily), "23:00"));
    REQUIRE(SetWindowTextTo(Item(guard, ids::kGuardTries), "3"));
    PressButton(Item(guard, ids::kGuardSave));
    CHECK(WaitGone(guard));
    CHECK_EQ(settings::Stored("Guard", "IdleMinutes"), std::optional<std::string>("10"));
    CHECK_EQ(settings::Stored("Guard", "DailyTime"), std::optional<std::string>("23:00"));
    CHECK_EQ(settings::Stored("Guard", "RedialTries"), std::optional<std::string>("3"));
    CHECK(CloseByBackButton(stats));
}
