// A connection: the window hidden and the seconds counted, hang-up and the record it stores,
// a second connection, and a line that drops or ends by the service's event. Each case scripts
// the simulated service in its own phone book and reads back the service's log.

#include "probes/MainWindowView.h"
#include "probes/ProgramFacts.h"
#include "probes/Screenshot.h"
#include "probes/SettingsFile.h"
#include "probes/TrayIconProbe.h"
#include "steps/Steps.h"
#include "TestRunner.h"
#include "Text.h"

#include <windows.h>

#include <chrono>

namespace {

using namespace e2e;

// The service reports the end of the line 2.5 s after it came up, by `lateEvent`: the
// connection ends as a hang-up does, with the drop's text.
void CheckLineEndedByEvent(const std::string& lateEvent) {
    App app;
    HWND window = StartDialer(app, std::string(kQuickConnect) + lateEvent);
    const auto connectedAt = DialAndConnect(app, window);
    REQUIRE(connectedAt.has_value());
    REQUIRE_MSG(WaitStatus(window, texts::kLineDropped, 2500 + DefaultTimeoutMs()),
                "status " + Describe(Status(window)));
    SYSTEMTIME now;
    GetLocalTime(&now);
    CHECK_MSG(WaitControls(window, kIdle), "controls " + Describe(ReadControls(window)));
    CheckRecord(1, now, 2.5, 1);
    CHECK_EQ(Calls(app, "RasHangUpA").size(), 1u);
    CHECK_EQ(settings::Stored("Running", "Record"), std::optional<std::string>());
    // The timer is off: no tick overwrites the text.
    CheckQuiet(window, texts::kLineDropped, 1500, false, true, "after the drop");
}

} // namespace

E2E_TEST(Dialing, ConnectHidesTheWindowAddsTheIconAndCountsTheSeconds) {
    App app;
    HWND window = StartDialer(app, "[dial]\nevent = 0 100\nevent = 14 100\nevent = 0x2000 100\n");
    const std::optional<SteadyClock::time_point> connectedAt = DialAndConnect(app, window);
    REQUIRE(connectedAt.has_value());
    if (!GetEnv("E2E_SHOT_DIR").empty()) {
        CHECK_MSG(!TakeScreenshot("dialing-connected-desktop").empty(), "no screenshot");
        HWND taskbar = FindWindowA("Shell_TrayWnd", nullptr);
        CHECK_MSG(taskbar && !TakeScreenshot("dialing-connected-taskbar", taskbar).empty(),
                  "no screenshot of the taskbar");
    }

    constexpr int kCountTo = 3;
    CheckCountsTo(window, *connectedAt, kCountTo);
    CHECK(!IsWindowVisible(window));
    CHECK_EQ(ReadControls(window), kBusy);
    // Each tick asks the service whether the line is still up.
    CHECK_MSG(Calls(app, "RasGetConnectStatusA").size() >= static_cast<size_t>(kCountTo),
              "the line was not watched");

    // Hang-up while the window is hidden.
    HangUpAndCheckRecord(window, *connectedAt, 1);
    CHECK_MSG(WaitControls(window, kIdle), "controls " + Describe(ReadControls(window)));
    CheckHungUpOnce(app, std::nullopt, 0);
    // The icon stays, the window stays hidden, and the timer is off.
    CheckQuiet(window, texts::kHungUp, 1500, false, true, "after hang-up");
}

E2E_TEST(Dialing, SecondConnectionCountsFromOneAndTakesTheNextNumber) {
    const std::string earlier = "2023-12-31,3600@23:0:0";
    REQUIRE(settings::Write("[Memory]\nMaxDataNumber=5\n[Data]\ndata[5]=" + earlier + "\n"));
    App app;
    HWND window = StartDialer(app, kQuickConnect);

    // The first connection ends before its first tick.
    const auto firstAt = DialAndConnect(app, window);
    REQUIRE(firstAt.has_value());
    HangUpAndCheckRecord(window, *firstAt, 6);

    // Back from the tray, and dial again.
    PostMessageA(window, kTrayNotifyMessage, kTrayIconId, WM_LBUTTONDBLCLK);
    REQUIRE_MSG(WaitUntil([&] { return IsWindowVisible(window) != FALSE; }),
                "the tray icon's double click did not show the window");
    REQUIRE_EQ(ReadControls(window), kIdle);
    const auto secondAt = DialAndConnect(app, window);
    REQUIRE(secondAt.has_value());
    CheckCountsTo(window, *secondAt, 2);
    HangUpAndCheckRecord(window, *secondAt, 7);

    CHECK_EQ(settings::Record(5), std::optional<std::string>(earlier));
    CHECK_MSG(TrayIconPresent(window), "the icon went away");
    const std::vector<RasLogLine> hangUps = Calls(app, "RasHangUpA");
    REQUIRE_EQ(hangUps.size(), 2u);
    CHECK_EQ(hangUps[0].In("handle"), std::optional<std::string>("1"));
    CHECK_EQ(hangUps[1].In("handle"), std::optional<std::string>("2"));
}

E2E_TEST(Dialing, DroppedLineIsNoticedWithinASecondAndRecorded) {
    // Dropped between two ticks, so which tick notices it is not a race.
    App app;
    HWND window = StartDialer(app, "[dial]\nevent = 0 50\nevent = 0x2000 50\ndrop_after = 2500\n");
    const auto connectedAt = DialAndConnect(app, window);
    REQUIRE(connectedAt.has_value());

    std::optional<SteadyClock::time_point> droppedAt;
    std::optional<SteadyClock::time_point> noticedAt;
    std::vector<std::string> strays;
    WaitUntil(
        [&] {
            if (!droppedAt && !Calls(app, "drop").empty()) {
                droppedAt = SteadyClock::now();
            }
            const std::string text = Status(window);
            if (text == texts::kLineDropped) {
                noticedAt = SteadyClock::now();
                return true;
            }
            if (!ShowsConnection(text) && (strays.empty() || strays.back() != text)) {
                strays.push_back(text);
            }
            return false;
        },
        2500 + DefaultTimeoutMs());
    REQUIRE_MSG(droppedAt.has_value(), "the service never dropped the line");
    REQUIRE_MSG(noticedAt.has_value(),
                "the drop went unnoticed; status " + Describe(Status(window)));
    CHECK_MSG(strays.empty(), "other texts while connected: " + Describe(strays));
    const long long late =
        std::chrono::duration_cast<std::chrono::milliseconds>(*noticedAt - *droppedAt).count();
    Note("noticed " + std::to_string(late) + " ms after the drop");
    CHECK_MSG(late <= 1500, "noticed " + std::to_string(late) + " ms after the drop");
    SYSTEMTIME now;
    GetLocalTime(&now);
    const double connectedSeconds =
        std::chrono::duration_cast<std::chrono::milliseconds>(*droppedAt - *connectedAt).count() /
        1000.0;
    CHECK_MSG(WaitControls(window, kIdle), "controls " + Describe(ReadControls(window)));
    CheckRecord(1, now, connectedSeconds, 1);
    CHECK_EQ(Calls(app, "RasHangUpA").size(), 1u);
    // The timer is off: no tick overwrites the text, and the line is not asked about again.
    const size_t asked = Calls(app, "RasGetConnectStatusA").size();
    CheckQuiet(window, texts::kLineDropped, 1500, false, true, "after the drop");
    CHECK_EQ(Calls(app, "RasGetConnectStatusA").size(), asked);
}

E2E_TEST(Dialing, RecordThatCannotBeStoredIsShownInANotice) {
    const std::string before = "[Memory]\r\nMaxDataNumber=2\r\n";
    REQUIRE(settings::Write(before));
    App app;
    HWND window = StartDialer(app, kQuickConnect);
    REQUIRE(DialAndConnect(app, window).has_value());
    // The running connection is saved at connect, before the file is locked; the hang-up can
    // neither store the record nor remove it, so the next start recovers it.
    REQUIRE(WaitUntil([&] { return settings::Stored("Running", "Record").has_value(); }));
    const std::string atConnect = settings::Bytes();

    std::optional<MessageBoxView> box;
    SYSTEMTIME hungUpAt{};
    {
        LockedSettings locked;
        REQUIRE(locked.Held());
        hungUpAt = PressHangUp(window);
        box = app.WaitMessageBox();
    }
    REQUIRE_MSG(box.has_value(), "no notice; the file holds " + Describe(settings::Bytes()));
    TakeScreenshot("dialing-unsaved-record-notice", box->window);
    CHECK_EQ(settings::Bytes(), atConnect);
    CHECK_EQ(settings::ValueInText(atConnect, "Memory", "MaxDataNumber"),
             settings::ValueInText(before, "Memory", "MaxDataNumber"));
    CHECK_EQ(box->caption, "提示");
    CHECK_EQ(box->icon, BoxIcon::Information);
    CHECK_EQ(box->buttons, std::vector<int>{IDOK});
    // The record is the notice's last line, in the record format, so it can be noted by hand.
    const std::string line = box->text.substr(box->text.find_last_of('\n') + 1);
    const std::optional<ParsedRecord> record = ParseRecord(line);
    CHECK_MSG(record.has_value(), "no record in the notice: " + Describe(box->text));
    if (record) {
        CHECK_MSG(WithinTwoSeconds(hungUpAt, record->endedAt),
                  "the notice's record " + Describe(line) + ", hung up at " + TimeText(hungUpAt));
    }
    CHECK_EQ(Status(window), texts::kHungUp);
    CHECK_EQ(ReadControls(window), kIdle);
    REQUIRE(AnswerMessageBox(box->window, IDOK));
    CHECK(WaitUntil([&] { return !app.WaitMessageBox(0).has_value(); }));
    CHECK(app.Running());
}

E2E_TEST(Dialing, ErrorEventWhileConnectedEndsTheConnectionAsAHangUpDoes) {
    CheckLineEndedByEvent("event = 5 2500 629\n");
}

E2E_TEST(Dialing, DisconnectedEventWhileConnectedEndsTheConnectionAsAHangUpDoes) {
    CheckLineEndedByEvent("event = 0x2001 2500\n");
}
