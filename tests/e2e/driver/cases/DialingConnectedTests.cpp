// A connection: the window hidden and the seconds counted, hang-up and the record it stores,
// a second connection, and a line that drops or ends by the service's event. Each case scripts
// the simulated service in its own phone book and reads back the service's log.

#include "probes/DialogProbe.h"
#include "probes/ListViewProbe.h"
#include "probes/MainWindowView.h"
#include "probes/MessageBoxProbe.h"
#include "probes/ProgramFacts.h"
#include "probes/Screenshot.h"
#include "probes/SettingsFile.h"
#include "probes/TrayIconProbe.h"
#include "steps/Steps.h"
#include "TestRunner.h"
#include "Text.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>

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

// Another program (a backup tool, an editor) holds the settings file open from before the dial:
// the window keeps answering while connected, the user is told once, and the hang-up's record
// reaches the file once the holder lets go.
E2E_TEST(Dialing, AFileHeldByAnotherProgramKeepsTheWindowAnsweringAndLosesNoRecord) {
    REQUIRE(settings::Write("[Memory]\r\nMaxDataNumber=0\r\n"));
    App app;
    HWND window = StartDialer(app, kQuickConnect);
    auto locked = std::make_unique<LockedSettings>();
    REQUIRE(locked->Held());
    const std::optional<SteadyClock::time_point> connectedAt = DialAndConnect(app, window);
    REQUIRE(connectedAt.has_value());
    const std::optional<MessageBoxView> box = app.WaitMessageBox();
    REQUIRE_MSG(box.has_value(), "no notice of the file that cannot be written");
    TakeScreenshot("dialing-held-file-notice", box->window);
    CHECK_EQ(box->caption, texts::kNotice);
    CHECK_MSG(box->text.find("corvantile.ini") != std::string::npos,
              "notice " + Describe(box->text));
    REQUIRE(AnswerMessageBox(box->window, IDOK));

    // Ten seconds of ticks, each of which finds the file still held.
    const unsigned allowedMs = ScaledMs(300);
    long long slowestMs = 0;
    int unanswered = 0;
    WaitUntil(
        [&] {
            const SteadyClock::time_point sent = SteadyClock::now();
            unanswered += Responds(window, allowedMs) ? 0 : 1;
            slowestMs = std::max(slowestMs, MsSince(sent));
            return false;
        },
        10000);
    CHECK_MSG(unanswered == 0, std::to_string(unanswered) + " probes unanswered within " +
                                   std::to_string(allowedMs) + " ms");
    std::printf("slowest answer while the file was held: %lld ms\n", slowestMs);
    CHECK_MSG(ShownSeconds(window).value_or(0) >= 9, "status " + Describe(Status(window)));

    const double seconds = MsSince(*connectedAt) / 1000.0;
    const SYSTEMTIME hungUpAt = PressHangUp(window);
    REQUIRE_MSG(WaitStatus(window, texts::kHungUp), "status " + Describe(Status(window)));
    CHECK_MSG(!app.WaitMessageBox(ScaledMs(1000)).has_value(), "told a second time");

    locked.reset();
    CheckRecord(1, hungUpAt, seconds, 1.5);
    CHECK_EQ(settings::Stored("Running", "Record"), std::optional<std::string>());
    CHECK(!app.WaitMessageBox(0).has_value());
}

// Notepad's "Unicode" saves the file as UTF-16: its records are listed, and a hang-up adds one
// that the platform's profile calls read back with the others.
E2E_TEST(Dialing, AUnicodeFileKeepsItsRecordsAndTakesTheNextOne) {
    const std::string text = "[Memory]\r\nMaxDataNumber=2\r\n[Data]\r\n"
                             "data[1]=2003-9-3,3725@15:9:51\r\ndata[2]=2003-9-4,120@21:30:5\r\n";
    const int length =
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    const std::string bytes = "\xFF\xFE" + std::string(reinterpret_cast<const char*>(wide.data()),
                                                       wide.size() * sizeof(wchar_t));
    REQUIRE(WriteFileBytes(settings::Path(), bytes));

    App app;
    HWND window = StartDialer(app, kQuickConnect);
    HWND stats = OpenStats(app, window);
    REQUIRE_MSG(stats != nullptr, "no statistics window");
    TakeScreenshot("stats-unicode-file", stats);
    CHECK_EQ(ListRows(Item(stats, ids::kStatsList), 3),
             (Rows{{"2003-9-4", "120", "21:30:5"}, {"2003-9-3", "3725", "15:9:51"}}));
    REQUIRE(CloseByBackButton(stats));

    REQUIRE(DialAndConnect(app, window).has_value());
    const SYSTEMTIME hungUpAt = PressHangUp(window);
    REQUIRE_MSG(WaitStatus(window, texts::kHungUp), "status " + Describe(Status(window)));
    CHECK(!app.WaitMessageBox(0).has_value());
    CHECK_MSG(settings::Bytes().rfind("\xFF\xFE", 0) == 0, "the file lost its byte-order mark");
    CHECK_EQ(settings::Value("Memory", "MaxDataNumber"), std::optional<std::string>("3"));
    CHECK_EQ(settings::Value("Data", "data[1]"),
             std::optional<std::string>("2003-9-3,3725@15:9:51"));
    CHECK_EQ(settings::Value("Data", "data[2]"),
             std::optional<std::string>("2003-9-4,120@21:30:5"));
    const std::optional<ParsedRecord> added =
        ParseRecord(settings::Value("Data", "data[3]").value_or(""));
    CHECK_MSG(added.has_value() && WithinTwoSeconds(hungUpAt, added->endedAt),
              "data[3] " + Describe(settings::Value("Data", "data[3]").value_or("")));
}
