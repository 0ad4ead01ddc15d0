// Dialing: the stage texts in turn, dials that fail, hanging up while dialing, the dial's
// late events and a redial, and what the program hands to the RAS service. Each case scripts
// the simulated service in its own phone book and reads back the service's log.

#include "probes/MainWindowView.h"
#include "probes/ProgramFacts.h"
#include "probes/SettingsFile.h"
#include "probes/TrayIconProbe.h"
#include "probes/WindowProbe.h"
#include "steps/Steps.h"
#include "TestRunner.h"
#include "Text.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>

namespace {

using namespace e2e;

// Every state a dial can pass before its end, with its text. Ordered so that no two neighbours
// share a text (5 and 6, 7 and 13 read alike), so each step shows as a change; 18 is outside
// the table and empties the line.
struct Stage {
    const char* state;
    const char* text;
};
const Stage kStages[] = {
    {"0", "正在打开端口"},
    {"1", "端口已经打开"},
    {"2", "连接设备"},
    {"3", "已经连接到设备"},
    {"4", "已经连接到所有设备"},
    {"5", "验证用户名和口令"},
    {"7", "重新验证用户名和口令"},
    {"6", "验证用户名和口令"},
    {"8", "需要指定回拨号码"},
    {"9", "需要更改用户口令"},
    {"10", "开始传输信息包"},
    {"11", "计算连接速度"},
    {"12", "验证已被认可"},
    {"13", "重新验证用户名和口令"},
    {"14", "已通过验证"},
    {"15", "准备回拨"},
    {"16", "等待调制解调器复位"},
    {"17", "等待回拨"},
    {"0x1000", "交互式的"},
    {"0x1001", "重新验证用户名和口令"},
    {"0x1002", "呼叫者需要应答"},
    {"0x1003", "口令过期"},
    {"18", ""},
};
constexpr unsigned kStageDelayMs = 400;

std::string Hex(unsigned value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", value);
    return text;
}

// A failed dial's trail without the failing stage's own text just before the failure text:
// the program shows that stage and then releases the line, and a reader whose question it
// answers meanwhile (it drops the dial's queued events) reads the stage text.
std::vector<std::string> WithoutFailingStage(std::vector<std::string> trail,
                                             const std::string& stage) {
    const size_t n = trail.size();
    if (n >= 2 && trail[n - 2] == stage && trail[n - 1] == texts::kDialFailed) {
        trail.erase(trail.end() - 2);
    }
    return trail;
}

// Each stage empties the status line before writing its text; a reader from another process
// may catch that blank in between. Blanks followed by a text are dropped.
std::vector<std::string> WithoutPassingBlanks(const std::vector<std::string>& trail) {
    std::vector<std::string> kept;
    for (size_t i = 0; i < trail.size(); ++i) {
        if (!trail[i].empty() || i + 1 == trail.size()) {
            kept.push_back(trail[i]);
        }
    }
    return kept;
}

} // namespace

E2E_TEST(Dialing, EveryStageShowsItsTextInTurnAndTheControlsStayLocked) {
    std::string script = "[dial]\n";
    std::vector<std::string> expected{texts::kReady};
    for (const Stage& stage : kStages) {
        script +=
            std::string("event = ") + stage.state + " " + std::to_string(kStageDelayMs) + "\n";
        expected.push_back(stage.text);
    }
    App app;
    HWND window = StartDialer(app, script);
    REQUIRE(Dial(app, window));
    REQUIRE(WaitControls(window, kBusy));

    std::vector<Controls> controlsSeen;
    const std::vector<std::string> trail = FollowStatus(
        window,
        [&](const std::vector<std::string>& seen) {
            return WithoutPassingBlanks(seen).size() >= expected.size() && seen.back().empty();
        },
        static_cast<unsigned>(std::size(kStages)) * kStageDelayMs + DefaultTimeoutMs(), kBusy,
        controlsSeen);
    CHECK_EQ(WithoutPassingBlanks(trail), expected);
    CHECK_MSG(controlsSeen.empty(), "while dialing the controls were " + Describe(controlsSeen));
    // The dial goes on: nothing idles it, and it is no connection.
    CHECK_EQ(ReadControls(window), kBusy);
    CHECK(IsWindowVisible(window));
    CHECK(!TrayIconPresent(window));
    CHECK_EQ(Calls(app, "event").size(), std::size(kStages));
}

E2E_TEST(Dialing, PassesTheChosenEntryAndTheTypedAccountToTheService) {
    App app;
    HWND window = StartDialer(app, "[dial]\nevent = 0 100\n", {kEntryName, "宽带连接"});
    // The second of the sorted list, so that the choice and not the first entry is dialled.
    const std::vector<std::string> listed = ComboItems(Item(window, ids::kEntry));
    REQUIRE_EQ(listed.size(), 2u);
    REQUIRE(ChooseComboItem(window, ids::kEntry, 1));
    REQUIRE(Dial(app, window));

    const std::vector<RasLogLine> dials = Calls(app, "RasDialA");
    REQUIRE_EQ(dials.size(), 1u);
    const RasLogLine& dial = dials[0];
    Note("the service saw: " + Utf8ToAnsi(dial.raw));
    CHECK_EQ(dial.In("ext"), std::optional<std::string>("null"));
    CHECK_EQ(dial.In("phonebook"), std::optional<std::string>("null"));
    CHECK_EQ(dial.In("size"), std::optional<std::string>("1052"));
    CHECK_EQ(dial.In("entry"), std::optional<std::string>(listed[1]));
    CHECK_EQ(dial.In("phone"), std::optional<std::string>(""));
    CHECK_EQ(dial.In("callback"), std::optional<std::string>(""));
    CHECK_EQ(dial.In("user"), std::optional<std::string>(kUserName));
    CHECK_EQ(dial.In("password"), std::optional<std::string>(kPasswordText));
    CHECK_EQ(dial.In("domain"), std::optional<std::string>(""));
    CHECK_EQ(dial.In("type"), std::optional<std::string>("0"));
    CHECK_EQ(dial.In("notifier"), std::optional<std::string>("set"));
    CHECK_EQ(dial.result, std::optional<long>(0));
    // The service's events reach the window through the callback.
    CHECK_MSG(WaitStatus(window, "正在打开端口"), "status " + Describe(Status(window)));
}

E2E_TEST(Dialing, RefusedDialEndsIdleWithTheFailureText) {
    App app;
    HWND window = StartDialer(app, "[dial]\nrefuse = 633\n");
    REQUIRE(Dial(app, window));
    CHECK_MSG(WaitStatus(window, texts::kDialFailed), "status " + Describe(Status(window)));
    CheckIdleOnScreen(window);
    const std::vector<RasLogLine> dials = Calls(app, "RasDialA");
    REQUIRE_EQ(dials.size(), 1u);
    CHECK_EQ(dials[0].result, std::optional<long>(633));
    CHECK_MSG(!settings::RecordCounter().has_value(), "a refused dial stored a record");

    // Idle indeed: the dial button dials again.
    CHECK_MSG(Dial(app, window), "the second press did not dial");
}

E2E_TEST(Dialing, DialFailingAtALaterStageEndsIdleAndReleasesTheDial) {
    App app;
    HWND window = StartDialer(app, "[dial]\nevent = 0 300\nevent = 5 300 691\n");
    REQUIRE(Dial(app, window));
    std::vector<Controls> controlsSeen;
    const std::vector<std::string> trail = FollowStatus(
        window,
        [](const std::vector<std::string>& seen) { return seen.back() == texts::kDialFailed; },
        DefaultTimeoutMs(), kBusy, controlsSeen);
    CHECK_EQ(WithoutFailingStage(trail, "验证用户名和口令"),
             (std::vector<std::string>{texts::kReady, "正在打开端口", texts::kDialFailed}));
    CheckIdleOnScreen(window);
    CheckHungUpOnce(app, "1", std::nullopt);
    CHECK_MSG(!settings::RecordCounter().has_value(), "a failed dial stored a record");
    CHECK_MSG(Dial(app, window), "the dial button did not dial again");
}

E2E_TEST(Dialing, EntryTheServiceDoesNotKnowEndsAsAFailedDial) {
    App app;
    HWND window = StartDialer(app, "[dial]\nevent = 0 100\n");
    // The service lists the entry at start-up; then the phone book loses it (it is read again
    // at every dial).
    const std::string phoneBook = app.PhoneBookPath();
    REQUIRE_MSG(FileExists(phoneBook), "no phone book at " + phoneBook);
    REQUIRE(WriteFileBytes(phoneBook, PhoneBook{{"其他连接"}, ""}.FileText()));

    REQUIRE(Dial(app, window));
    CHECK_MSG(WaitStatus(window, texts::kDialFailed), "status " + Describe(Status(window)));
    CheckIdleOnScreen(window);
    const std::vector<RasLogLine> dials = Calls(app, "RasDialA");
    REQUIRE_EQ(dials.size(), 1u);
    CHECK_EQ(dials[0].In("entry"), std::optional<std::string>(kEntryName));
    CHECK_EQ(dials[0].result, std::optional<long>(623)); // no such phone-book entry
}

E2E_TEST(Dialing, DisconnectedEventWithoutErrorIsAFailedDialNotAConnection) {
    App app;
    HWND window = StartDialer(app, "[dial]\nevent = 0 300\nevent = 0x2001 300\n");
    REQUIRE(Dial(app, window));
    std::vector<Controls> controlsSeen;
    const std::vector<std::string> trail = FollowStatus(
        window,
        [](const std::vector<std::string>& seen) {
            return seen.back() == texts::kDialFailed || ShowsConnection(seen.back());
        },
        DefaultTimeoutMs(), kBusy, controlsSeen);
    CHECK_EQ(WithoutFailingStage(trail, "端开连接"),
             (std::vector<std::string>{texts::kReady, "正在打开端口", texts::kDialFailed}));
    CHECK_MSG(WaitControls(window, kIdle), "controls " + Describe(ReadControls(window)));
    CHECK_EQ(Calls(app, "RasHangUpA").size(), 1u);
    // No timer: a tick would come within a second.
    CheckQuiet(window, texts::kDialFailed, 1500, true, false, "after the disconnected event");
    // Only the hang-up's wait for the line to go asks about it, once.
    CHECK_EQ(StatusCallsBeforeHangUp(app), 0u);
    CHECK_EQ(Calls(app, "RasGetConnectStatusA").size(), 1u);
    CHECK_MSG(!settings::RecordCounter().has_value(), "a failed dial stored a record");
}

E2E_TEST(Dialing, HangingUpWhileDialingWritesAZeroSecondRecord) {
    App app;
    // More than a second of dialing, which is no connected time.
    HWND window = StartDialer(app, "[dial]\nevent = 0 100\nevent = 5 1200\n");
    REQUIRE(Dial(app, window));
    REQUIRE_MSG(WaitStatus(window, "验证用户名和口令"), "status " + Describe(Status(window)));
    const SYSTEMTIME hungUpAt = PressHangUp(window);
    CHECK_MSG(WaitStatus(window, texts::kHungUp), "status " + Describe(Status(window)));
    CheckIdleOnScreen(window);
    CheckRecord(1, hungUpAt, 0, 0);
    CheckHungUpOnce(app, "1", std::nullopt);
}

E2E_TEST(Dialing, DialEventsAfterHangUpAreDropped) {
    // The service would connect 1.5 s after the dial; the user hangs up before.
    App app;
    HWND window = StartDialer(app, "[dial]\nevent = 0 100\nevent = 0x2000 1400\n");
    const SteadyClock::time_point dialedAt = SteadyClock::now();
    REQUIRE(Dial(app, window));
    REQUIRE_MSG(WaitStatus(window, "正在打开端口"), "status " + Describe(Status(window)));
    PressHangUp(window);
    REQUIRE_MSG(WaitStatus(window, texts::kHungUp), "status " + Describe(Status(window)));
    REQUIRE(MsSince(dialedAt) < 1400);
    CheckQuiet(window, texts::kHungUp, static_cast<unsigned>(2500 - MsSince(dialedAt)), true, false,
               "after hang-up");

    // RAS posts its events from its own thread; one posted just before the hang-up arrives
    // after it. Such late events (sent here, so that each is handled when the call returns)
    // change nothing: no stage text, no failure, no connection.
    for (const auto& [state, error] :
         {std::pair{5u, 0u}, std::pair{0x2000u, 0u}, std::pair{3u, 691u}, std::pair{0x2001u, 0u}}) {
        REQUIRE(SendTo(window, kRasDialEventMessage, state, error));
        CHECK_MSG(Status(window) == texts::kHungUp,
                  "late event " + Hex(state) + " showed " + Describe(Status(window)));
    }
    CheckQuiet(window, texts::kHungUp, 1500, true, false, "after late events");
    CHECK_EQ(ReadControls(window), kIdle);
    // Nothing asks about the line while dialing; the hang-up waits for it to go, and asks no
    // more once it has gone.
    CHECK_EQ(StatusCallsBeforeHangUp(app), 0u);
    CHECK_EQ(Calls(app, "RasGetConnectStatusA").size(), 1u);
    CHECK_EQ(settings::RecordCounter(), std::optional<std::string>("1"));
}

E2E_TEST(Dialing, DialCommandWhileDialingKeepsTheFirstDial) {
    // The idle tray menu offers show-and-dial while a dial is in progress.
    App app;
    HWND window = StartDialer(app, "[dial]\nevent = 0 100\n");
    REQUIRE(Dial(app, window));
    REQUIRE_MSG(WaitStatus(window, "正在打开端口"), "status " + Describe(Status(window)));
    REQUIRE(SendTo(window, WM_COMMAND, MAKEWPARAM(tray_ids::kShowAndDial, 0)));
    CHECK_EQ(Calls(app, "RasDialA").size(), 1u);
    CHECK_EQ(ReadControls(window), kBusy);
    CHECK_EQ(Status(window), std::string("正在打开端口"));

    // The first dial's handle is still the one held: hang-up ends it.
    PressHangUp(window);
    CHECK_MSG(WaitStatus(window, texts::kHungUp), "status " + Describe(Status(window)));
    CheckHungUpOnce(app, "1", 0);
}

E2E_TEST(Dialing, RedialRightAfterAHangUpIsNotTouchedByTheEndedDialsEvents) {
    // After the hang-up the line takes 400 ms to go, and the service still sends a connected
    // event, a failure and the disconnected state meanwhile; a dial connects after 1.5 s.
    App app;
    HWND window = StartDialer(app, "[dial]\nevent = 0 50\nevent = 0x2000 1450\n"
                                   "after_hangup = 0x2000 0\nafter_hangup = 5 100 629\n"
                                   "after_hangup = 0x2001 100\nhangup_ms = 400\n");
    REQUIRE(DialAndConnect(app, window).has_value());
    PressHangUp(window);
    PressButton(Item(window, ids::kDial)); // handled as soon as the hang-up has returned
    REQUIRE(WaitCalls(app, "RasDialA", 2));
    const SteadyClock::time_point redialedAt = SteadyClock::now();

    std::vector<Controls> controlsSeen;
    const std::vector<std::string> trail = FollowStatus(
        window, [](const std::vector<std::string>& t) { return ShowsConnection(t.back()); },
        1450 + DefaultTimeoutMs(), kBusy, controlsSeen);
    const long long tookMs = MsSince(redialedAt);
    CHECK_MSG(ShowsConnection(trail.back()), "the second dial did not connect: " + Describe(trail));
    // From the hang-up's text straight to the second dial's first stage.
    const auto first = std::find_if(trail.begin(), trail.end(),
                                    [](const std::string& t) { return t != texts::kHungUp; });
    CHECK_MSG(first != trail.end() && (*first == "正在打开端口" || first->empty()),
              "the second dial began with " + Describe(trail));
    for (const char* text : {texts::kDialFailed, texts::kLineDropped}) {
        CHECK_MSG(std::find(trail.begin(), trail.end(), text) == trail.end(),
                  "the second dial showed " + Describe(trail));
    }
    CHECK_MSG(tookMs >= 1000, "connected " + std::to_string(tookMs) + " ms after the dial");
    CHECK_MSG(controlsSeen.empty(), "controls while dialing: " + Describe(controlsSeen));

    // The second dial came after the first line had gone, and after its late events.
    const std::vector<RasLogLine> lines = ParseRasLog(app.RasLog());
    const size_t gone = LinesBefore(lines, [](const RasLogLine& l) {
        return l.name == "RasGetConnectStatusA" &&
               l.In("handle") == std::optional<std::string>("1") &&
               l.result == std::optional<long>(6);
    });
    const size_t redial = LinesBefore(lines, [](const RasLogLine& l) {
        return l.name == "RasDialA" && l.out.count("handle") && l.out.at("handle") == "2";
    });
    size_t late = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].raw.find("after_hangup") != std::string::npos) {
            ++late;
            CHECK_MSG(i < redial, "late event after the second dial: " + lines[i].raw);
        }
    }
    CHECK_EQ(late, 3u);
    CHECK_MSG(gone < redial, "the second dial did not wait for the line to go:\n" + app.RasLog());
    CHECK_EQ(settings::RecordCounter(), std::optional<std::string>("1"));
}
