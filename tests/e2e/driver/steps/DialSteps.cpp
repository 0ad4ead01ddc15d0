#include "steps/DialSteps.h"

#include "probes/MainWindowView.h"
#include "probes/ProgramFacts.h"
#include "probes/SettingsFile.h"
#include "probes/TrayIconProbe.h"
#include "probes/WindowProbe.h"
#include "steps/RecordSteps.h"
#include "steps/StartSteps.h"
#include "TestRunner.h"

namespace e2e {

long long MsSince(SteadyClock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - start)
        .count();
}

std::ostream& operator<<(std::ostream& out, const Controls& c) {
    auto on = [](bool enabled) { return enabled ? "on" : "off"; };
    return out << "{dial " << on(c.dial) << ", hang-up " << on(c.hangUp) << ", entry "
               << on(c.entry) << ", account " << on(c.user) << ", password " << on(c.password)
               << "}";
}

Controls ReadControls(HWND window) {
    return {IsEnabled(Item(window, ids::kDial)), IsEnabled(Item(window, ids::kHangUp)),
            IsEnabled(Item(window, ids::kEntry)), IsEnabled(Item(window, ids::kUser)),
            IsEnabled(Item(window, ids::kPassword))};
}

std::string Status(HWND window) {
    return WindowText(Item(window, ids::kStatus));
}

bool WaitStatus(HWND window, const std::string& text, unsigned timeoutMs) {
    return WaitUntil([&] { return Status(window) == text; }, timeoutMs);
}

bool WaitControls(HWND window, const Controls& wanted) {
    return WaitUntil([&] { return ReadControls(window) == wanted; });
}

bool TypeAccount(HWND main, const std::string& user, const std::string& password) {
    return SetWindowTextTo(Item(main, ids::kUser), user) &&
           SetWindowTextTo(Item(main, ids::kPassword), password);
}

HWND StartDialer(App& app, const std::string& dialLines, const std::vector<std::string>& entries) {
    Started s = StartShown(PhoneBook{entries, dialLines});
    app = std::move(s.app);
    REQUIRE(TypeAccount(s.main, kUserName, kPasswordText));
    return s.main;
}

std::vector<RasLogLine> Calls(const App& app, const std::string& name) {
    return RasLogLinesNamed(ParseRasLog(app.RasLog()), name);
}

bool WaitCalls(const App& app, const std::string& name, size_t count) {
    return WaitUntil([&] { return Calls(app, name).size() >= count; });
}

bool Dial(const App& app, HWND window) {
    const size_t before = Calls(app, "RasDialA").size();
    PressButton(Item(window, ids::kDial));
    return WaitCalls(app, "RasDialA", before + 1);
}

int RasCalls(const App& app, const std::string& call) {
    return static_cast<int>(Calls(app, call).size());
}

std::vector<std::string>
FollowStatus(HWND window, const std::function<bool(const std::vector<std::string>&)>& done,
             unsigned timeoutMs, const Controls& controls, std::vector<Controls>& controlsSeen) {
    std::vector<std::string> trail;
    WaitUntil(
        [&] {
            const std::string text = Status(window);
            if (trail.empty() || trail.back() != text) {
                trail.push_back(text);
            }
            const Controls now = ReadControls(window);
            if (!(now == controls) && (controlsSeen.empty() || !(controlsSeen.back() == now))) {
                controlsSeen.push_back(now);
            }
            return done(trail);
        },
        timeoutMs);
    return trail;
}

std::optional<SteadyClock::time_point> WaitConnected(HWND window) {
    std::optional<SteadyClock::time_point> at;
    if (WaitUntil([&] { return ShowsConnection(Status(window)); })) {
        at = SteadyClock::now();
    }
    return at;
}

namespace {

struct TickSeen {
    TickText tick;
    long long elapsedMs; // driver's time since it saw the connection
};

} // namespace

void CheckCountsTo(HWND window, SteadyClock::time_point connectedAt, int until) {
    std::vector<TickSeen> ticks;
    std::vector<std::string> strays;
    std::string last;
    WaitUntil(
        [&] {
            const std::string text = Status(window);
            if (text == last) {
                return false;
            }
            last = text;
            if (const auto tick = ParseTickText(text)) {
                ticks.push_back({*tick, MsSince(connectedAt)});
                return tick->seconds >= until;
            }
            if (text != texts::kConnected) {
                strays.push_back(text);
            }
            return false;
        },
        static_cast<unsigned>(until) * 1000 + DefaultTimeoutMs());
    CHECK_MSG(strays.empty(), "other texts while connected: " + Describe(strays));
    CHECK_MSG(!ticks.empty() && ticks.back().tick.seconds == until,
              "the count did not reach " + std::to_string(until));
    int expected = 1;
    for (const TickSeen& seen : ticks) {
        const TickText& t = seen.tick;
        const std::string what = "tick " + std::to_string(t.seconds) + " s seen after " +
                                 std::to_string(seen.elapsedMs) + " ms";
        CHECK_MSG(t.seconds == expected, what + ", expected " + std::to_string(expected) + " s");
        expected = t.seconds + 1;
        CHECK_MSG(t.seconds * 1000LL >= seen.elapsedMs - 1000 &&
                      t.seconds * 1000LL <= seen.elapsedMs + 1000,
                  what + ": more than a second off");
        CHECK_MSG(t.hours == t.seconds / 3600 && t.minutes == t.seconds / 60 % 60,
                  what + ": " + std::to_string(t.hours) + " h " + std::to_string(t.minutes) +
                      " min");
    }
}

SYSTEMTIME PressHangUp(HWND window) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    PressButton(Item(window, ids::kHangUp));
    return now;
}

void HangUpAndCheckRecord(HWND window, SteadyClock::time_point connectedAt, int number) {
    const double seconds = MsSince(connectedAt) / 1000.0;
    const SYSTEMTIME hungUpAt = PressHangUp(window);
    REQUIRE_MSG(WaitStatus(window, texts::kHungUp), "status " + Describe(Status(window)));
    CheckRecord(number, hungUpAt, seconds, 1);
}

std::optional<SteadyClock::time_point> DialAndConnect(const App& app, HWND window) {
    if (!Dial(app, window)) {
        return std::nullopt;
    }
    const auto at = WaitConnected(window);
    CHECK_MSG(at.has_value(), "no connection; status " + Describe(Status(window)));
    if (at) {
        CHECK_MSG(WaitUntil([&] { return !IsWindowVisible(window); }),
                  "the window stayed on screen");
        CHECK_MSG(TrayIconPresent(window), "no tray icon while connected");
        CHECK_EQ(ReadControls(window), kBusy);
    }
    return at;
}

size_t LinesBefore(const std::vector<RasLogLine>& lines,
                   const std::function<bool(const RasLogLine&)>& stop) {
    size_t at = 0;
    while (at < lines.size() && !stop(lines[at])) {
        ++at;
    }
    return at;
}

size_t StatusCallsBeforeHangUp(const App& app) {
    const std::vector<RasLogLine> lines = ParseRasLog(app.RasLog());
    const size_t hangUp =
        LinesBefore(lines, [](const RasLogLine& l) { return l.name == "RasHangUpA"; });
    return RasLogLinesNamed({lines.begin(), lines.begin() + static_cast<long>(hangUp)},
                            "RasGetConnectStatusA")
        .size();
}

void CheckQuiet(HWND window, const std::string& status, unsigned ms, bool windowShown,
                bool iconExpected, const std::string& after) {
    std::optional<std::string> change;
    WaitUntil(
        [&] {
            const std::string text = Status(window);
            if (text != status) {
                change = "status " + Describe(text);
            } else if ((IsWindowVisible(window) != FALSE) != windowShown) {
                change = windowShown ? "window hidden" : "window shown";
            } else if (TrayIconPresent(window) != iconExpected) {
                change = iconExpected ? "tray icon gone" : "tray icon added";
            }
            return change.has_value();
        },
        ms);
    CHECK_MSG(!change, after + ": " + change.value_or(""));
}

void CheckIdleOnScreen(HWND window) {
    CHECK_MSG(WaitControls(window, kIdle), "controls " + Describe(ReadControls(window)));
    CHECK(IsWindowVisible(window));
    CHECK(!TrayIconPresent(window));
}

void CheckHungUpOnce(const App& app, const std::optional<std::string>& handle,
                     const std::optional<long>& result) {
    const std::vector<RasLogLine> hangUps = Calls(app, "RasHangUpA");
    CHECK_MSG(hangUps.size() == 1 && (!handle || hangUps[0].In("handle") == handle) &&
                  (!result || hangUps[0].result == result),
              "hang-up calls: " + Describe(app.RasLog()));
}

std::optional<int> ShownSeconds(HWND main) {
    const std::optional<TickText> tick = ParseTickText(WindowText(Item(main, ids::kStatus)));
    return tick ? std::optional<int>(tick->seconds) : std::nullopt;
}

bool WaitSecondsAbove(HWND main, int seconds, unsigned timeoutMs) {
    return WaitUntil(
        [&] {
            const std::optional<int> shown = ShownSeconds(main);
            return shown && *shown > seconds;
        },
        timeoutMs);
}

bool SecondsKeepCounting(HWND main) {
    const std::optional<int> first = WaitFor([&] { return ShownSeconds(main); });
    return first && WaitSecondsAbove(main, *first);
}

bool Responds(HWND window, unsigned timeoutMs) {
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &ignored) != 0;
}

} // namespace e2e
