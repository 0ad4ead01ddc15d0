// Connection loss: the running connection saved at connect, gone with the hang-up or the exit,
// recovered once after a kill, and a settings file that cannot be read at start.

#include "probes/MessageBoxProbe.h"
#include "probes/ProgramFacts.h"
#include "probes/Screenshot.h"
#include "probes/SettingsFile.h"
#include "steps/Steps.h"
#include "TestRunner.h"

#include <windows.h>

using namespace e2e;

E2E_TEST(ConnectionLoss, RunningConnectionIsSavedAtConnectAndGoesWithTheHangUp) {
    App app;
    HWND window = StartDialer(app, kQuickConnect);
    REQUIRE(DialAndConnect(app, window).has_value());
    SYSTEMTIME connectedAt;
    GetLocalTime(&connectedAt);
    CHECK_MSG(WaitUntil([] { return RunningRecord().has_value(); }),
              "no running connection saved; the file holds " + Describe(settings::Bytes()));
    if (const std::optional<ParsedRecord> running = RunningRecord()) {
        CHECK_EQ(running->seconds, 0);
        CHECK_MSG(WithinTwoSeconds(connectedAt, running->endedAt),
                  "saved at " + TimeText(running->endedAt) + ", connected " +
                      TimeText(connectedAt));
    }
    CHECK_EQ(settings::RecordCounter(), std::optional<std::string>());

    const SYSTEMTIME hungUpAt = PressHangUp(window);
    REQUIRE(WaitStatus(window, texts::kHungUp));
    CheckRecord(1, hungUpAt, 0, 2);
    CHECK_EQ(settings::Stored("Running", "Record"), std::optional<std::string>());
}

// The counter runs on through a sleep: the record ends at the suspend, not at the wake-up.
E2E_TEST(ConnectionLoss, SuspendWhileConnectedStoresTheSecondsUpToItAndLeavesTheWindowIdle) {
    App app;
    HWND window = StartDialer(app, kQuickConnect);
    const std::optional<SteadyClock::time_point> connectedAt = DialAndConnect(app, window);
    REQUIRE(connectedAt.has_value());
    REQUIRE(WaitSecondsAbove(window, 1));
    const double seconds = MsSince(*connectedAt) / 1000.0;
    SYSTEMTIME suspendedAt;
    GetLocalTime(&suspendedAt);
    PostMessageA(window, WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
    REQUIRE_MSG(WaitStatus(window, texts::kHungUp), "status " + Describe(Status(window)));
    CheckRecord(1, suspendedAt, seconds, 2);
    CHECK_EQ(settings::Stored("Running", "Record"), std::optional<std::string>());
    CheckHungUpOnce(app, std::nullopt, std::nullopt);
    CHECK_EQ(ReadControls(window), kIdle);
}

E2E_TEST(ConnectionLoss, ExitWhileConnectedStoresTheRecordAndNoRunningConnection) {
    Started s = StartConnected();
    REQUIRE(WaitUntil([] { return RunningRecord().has_value(); }));
    const MessageBoxView question = AskByWay(s, kByExitItem);
    SYSTEMTIME now;
    GetLocalTime(&now);
    REQUIRE(AnswerMessageBox(question.window, IDYES));
    REQUIRE(s.app.WaitExit().has_value());
    CheckRecord(1, now, 0, 2);
    CHECK_EQ(settings::Stored("Running", "Record"), std::optional<std::string>());
}

E2E_TEST(ConnectionLoss, KilledWhileConnectedIsRecoveredOnceAtTheNextStart) {
    App app;
    HWND window = StartDialer(app, kQuickConnect);
    REQUIRE(DialAndConnect(app, window).has_value());
    REQUIRE(WaitUntil([] { return RunningRecord().has_value(); }));
    const std::string saved = *settings::Stored("Running", "Record");
    app.Kill();
    CHECK_EQ(settings::RecordCounter(), std::optional<std::string>());

    // The next start tells what it recovered before the window is used.
    App second = App::Start(QuickConnectBook());
    const std::optional<MessageBoxView> box = second.WaitMessageBox();
    REQUIRE_MSG(box.has_value(), "no notice at the start after the kill");
    TakeScreenshot("connection-recovered-notice", box->window);
    CHECK_EQ(box->caption, texts::kNotice);
    CHECK_EQ(box->icon, BoxIcon::Information);
    CHECK_EQ(box->buttons, std::vector<int>{IDOK});
    const size_t comma = saved.find(','), at = saved.find('@');
    for (const std::string& part :
         {saved.substr(0, comma), saved.substr(comma + 1, at - comma - 1) + " 秒",
          saved.substr(at + 1)}) {
        CHECK_MSG(box->text.find(part) != std::string::npos,
                  "the notice does not name " + Describe(part) + ": " + Describe(box->text));
    }
    CHECK_EQ(settings::Record(1), std::optional<std::string>(saved));
    CHECK_EQ(settings::RecordCounter(), std::optional<std::string>("1"));
    CHECK_EQ(settings::Stored("Running", "Record"), std::optional<std::string>());
    REQUIRE(AnswerMessageBox(box->window, IDOK));
    REQUIRE(second.WaitMainWindow() != nullptr);
    REQUIRE(second.EndWithCloseBox());

    // Told once: the start after that has nothing to say.
    Started third = StartProgram(QuickConnectBook());
    REQUIRE(third.main != nullptr);
    CHECK(!third.app.WaitMessageBox(0).has_value());
    CHECK_EQ(settings::RecordCounter(), std::optional<std::string>("1"));
}

E2E_TEST(ConnectionLoss, UnreadableSettingsFileIsNamedAtStartAndNotWritten) {
    const std::string text = "[Memory]\nMaxDataNumber=1\n[Data]\ndata[1]=2003-9-3,3725@15:9:51\n"
                             "[Running]\nRecord=2003-9-4,60@8:0:0\n";
    REQUIRE(settings::Write(text));
    const std::string before = settings::Bytes();
    App app;
    std::optional<MessageBoxView> box;
    {
        LockedSettings locked;
        REQUIRE(locked.Held());
        app = App::Start(QuickConnectBook());
        box = app.WaitMessageBox();
    }
    REQUIRE_MSG(box.has_value(), "no notice for a settings file that cannot be read");
    TakeScreenshot("unreadable-settings-notice", box->window);
    CHECK_EQ(box->caption, texts::kNotice);
    CHECK_MSG(box->text.find("corvantile.ini") != std::string::npos &&
                  box->text.find("无法读取") != std::string::npos,
              "notice " + Describe(box->text));
    REQUIRE(AnswerMessageBox(box->window, IDOK));
    // One notice only: the running connection of the file it could not read is not recovered.
    REQUIRE(app.WaitMainWindow() != nullptr);
    CHECK(!app.WaitMessageBox(0).has_value());
    CHECK_EQ(settings::Bytes(), before);
}
