// Dialing: the stage texts, dials that fail, the connected seconds, hang-up and the record it
// stores, a line that drops, and what the program hands to the RAS service. Each case scripts
// the simulated service in its own phone book and reads back the service's log.

#include "probes/AppProcess.h"
#include "probes/MainWindowView.h"
#include "probes/MessageBoxProbe.h"
#include "probes/RasLog.h"
#include "probes/Screenshot.h"
#include "probes/SettingsFile.h"
#include "probes/TrayIconProbe.h"
#include "probes/WindowProbe.h"
#include "steps/TraySteps.h"
#include "TestRunner.h"
#include "Text.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <ostream>

namespace {

using namespace e2e;
using SteadyClock = std::chrono::steady_clock;

constexpr const char* kUserName = "张三@isp";
constexpr const char* kPasswordText = "pa55 密码";

// A dial that connects quickly.
constexpr const char* kQuickConnect = "[dial]\nevent = 0 50\nevent = 0x2000 50\n";

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

long long MsSince(SteadyClock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - start)
        .count();
}

// --- The window -------------------------------------------------------------------------

struct Controls {
    bool dial, hangUp, entry, user, password;
    bool operator==(const Controls& other) const {
        return dial == other.dial && hangUp == other.hangUp && entry == other.entry &&
               user == other.user && password == other.password;
    }
};

std::ostream& operator<<(std::ostream& out, const Controls& c) {
    auto on = [](bool enabled) { return enabled ? "on" : "off"; };
    return out << "{dial " << on(c.dial) << ", hang-up " << on(c.hangUp) << ", entry "
               << on(c.entry) << ", account " << on(c.user) << ", password " << on(c.password)
               << "}";
}

constexpr Controls kIdle{true, false, true, true, true};
constexpr Controls kBusy{false, true, false, false, false}; // dialing and connected alike

Controls ReadControls(HWND window) {
    return {IsEnabled(Item(window, ids::kDial)), IsEnabled(Item(window, ids::kHangUp)),
            IsEnabled(Item(window, ids::kEntry)), IsEnabled(Item(window, ids::kUser)),
            IsEnabled(Item(window, ids::kPassword))};
}

std::string Status(HWND window) {
    return WindowText(Item(window, ids::kStatus));
}

bool WaitStatus(HWND window, const std::string& text, unsigned timeoutMs = DefaultTimeoutMs()) {
    return WaitUntil([&] { return Status(window) == text; }, timeoutMs);
}

bool WaitControls(HWND window, const Controls& wanted) {
    return WaitUntil([&] { return ReadControls(window) == wanted; });
}

// Starts the program with the phone book and dial script, and types the account; ends the case
// when the window does not appear or takes no text.
HWND StartDialer(App& app, const std::string& dialLines,
                 const std::vector<std::string>& entries = {kEntryName}) {
    Started s = StartShown(PhoneBook{entries, dialLines});
    app = std::move(s.app);
    REQUIRE(SetWindowTextTo(Item(s.main, ids::kUser), kUserName) &&
            SetWindowTextTo(Item(s.main, ids::kPassword), kPasswordText));
    return s.main;
}

// --- The simulated service's log ----------------------------------------------------------

std::vector<RasLogLine> Calls(const App& app, const std::string& name) {
    return RasLogLinesNamed(ParseRasLog(app.RasLog()), name);
}

bool WaitCalls(const App& app, const std::string& name, size_t count) {
    return WaitUntil([&] { return Calls(app, name).size() >= count; });
}

// Presses dial and waits until the program has asked the service.
bool Dial(const App& app, HWND window) {
    const size_t before = Calls(app, "RasDialA").size();
    PressButton(Item(window, ids::kDial));
    return WaitCalls(app, "RasDialA", before + 1);
}

// --- The texts of a connection ----------------------------------------------------------

struct Record {
    SYSTEMTIME endedAt{};
    int seconds = 0;
};

// "Y-M-D,S@h:m:s" with plain decimal numbers (no padding), exactly.
std::optional<Record> ParseRecord(const std::string& text) {
    int year, month, day, seconds, hour, minute, second;
    size_t at = 0;
    if (!(ReadNumber(text, at, year) && ReadLiteral(text, at, "-") && ReadNumber(text, at, month) &&
          ReadLiteral(text, at, "-") && ReadNumber(text, at, day) && ReadLiteral(text, at, ",") &&
          ReadNumber(text, at, seconds) && ReadLiteral(text, at, "@") &&
          ReadNumber(text, at, hour) && ReadLiteral(text, at, ":") &&
          ReadNumber(text, at, minute) && ReadLiteral(text, at, ":") &&
          ReadNumber(text, at, second) && at == text.size())) {
        return std::nullopt;
    }
    char again[96];
    std::snprintf(again, sizeof again, "%d-%d-%d,%d@%d:%d:%d", year, month, day, seconds, hour,
                  minute, second);
    if (text != again) {
        return std::nullopt; // zero-padded numbers
    }
    Record record;
    record.endedAt.wYear = static_cast<WORD>(year);
    record.endedAt.wMonth = static_cast<WORD>(month);
    record.endedAt.wDay = static_cast<WORD>(day);
    record.endedAt.wHour = static_cast<WORD>(hour);
    record.endedAt.wMinute = static_cast<WORD>(minute);
    record.endedAt.wSecond = static_cast<WORD>(second);
    record.seconds = seconds;
    return record;
}

// b lies at most two seconds before or after a; false when either is not a valid time.
bool WithinTwoSeconds(const SYSTEMTIME& a, const SYSTEMTIME& b) {
    FILETIME fa, fb;
    if (!SystemTimeToFileTime(&a, &fa) || !SystemTimeToFileTime(&b, &fb)) {
        return false;
    }
    auto ticks = [](const FILETIME& f) {
        return static_cast<long long>((static_cast<unsigned long long>(f.dwHighDateTime) << 32) |
                                      f.dwLowDateTime);
    };
    const long long apart = (ticks(fb) - ticks(fa)) / 10000000;
    return apart >= -2 && apart <= 2;
}

std::string TimeText(const SYSTEMTIME& t) {
    char text[64];
    std::snprintf(text, sizeof text, "%d-%d-%d %d:%02d:%02d", t.wYear, t.wMonth, t.wDay, t.wHour,
                  t.wMinute, t.wSecond);
    return text;
}

// --- The settings file ------------------------------------------------------------------

// The record data[number]: the counter at `number`, the text in the record format, ended at the
// moment of hang-up (the driver's clock, within 2 s) and `seconds` long (within `tolerance`).
void CheckRecord(int number, const SYSTEMTIME& hungUpAt, double seconds, double tolerance) {
    const std::string where = "data[" + std::to_string(number) + "]";
    const bool stored = WaitUntil([&] {
        return settings::Record(number).has_value() &&
               settings::RecordCounter() == std::optional<std::string>(std::to_string(number));
    });
    CHECK_MSG(stored, where + " not stored; the file holds " + Describe(settings::Bytes()));
    if (!stored) {
        return;
    }
    const std::string text = *settings::Record(number);
    const std::optional<Record> record = ParseRecord(text);
    CHECK_MSG(record.has_value(), where + " is not in the record format: " + Describe(text));
    if (!record) {
        return;
    }
    CHECK_MSG(WithinTwoSeconds(hungUpAt, record->endedAt),
              where + " " + Describe(text) + " ended at " + TimeText(record->endedAt) +
                  ", hung up at " + TimeText(hungUpAt));
    CHECK_MSG(record->seconds >= seconds - tolerance && record->seconds <= seconds + tolerance,
              where + " " + Describe(text) + ": " + std::to_string(record->seconds) +
                  " s, the driver measured " + std::to_string(seconds) + " s");
}

// --- Following a dial and a connection ------------------------------------------------------

// The status line's texts in turn, each change once, until `done` holds for the trail or the
// deadline passes. `controlsSeen` gathers any control states that differ from `controls`.
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

// Waits for the connection (the success text, or already a tick); the driver's time of it.
std::optional<SteadyClock::time_point> WaitConnected(HWND window) {
    std::optional<SteadyClock::time_point> at;
    if (WaitUntil([&] { return ShowsConnection(Status(window)); })) {
        at = SteadyClock::now();
    }
    return at;
}

struct TickSeen {
    TickText tick;
    long long elapsedMs; // driver's time since it saw the connection
};

// Follows the status line from the connection until it shows `until` seconds: every text on
// the way the success text or a tick, one tick a second from 1 on, each the seconds since the
// connection as the driver measured them (within one), with hours and minutes that follow
// from the seconds.
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

// Presses hang-up (a posted click, as the keyboard gives it; it works while the window is
// hidden) and returns the local time of that moment.
SYSTEMTIME PressHangUp(HWND window) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    PressButton(Item(window, ids::kHangUp));
    return now;
}

// Hangs up the connection that came up at `connectedAt`: it is stored as record `number`, as
// long as the driver measured it (within a second).
void HangUpAndCheckRecord(HWND window, SteadyClock::time_point connectedAt, int number) {
    const double seconds = MsSince(connectedAt) / 1000.0;
    const SYSTEMTIME hungUpAt = PressHangUp(window);
    REQUIRE_MSG(WaitStatus(window, texts::kHungUp), "status " + Describe(Status(window)));
    CheckRecord(number, hungUpAt, seconds, 1);
}

// Dials and waits until the line is up: the window hidden and the icon in the tray.
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

// The log's lines up to the first one that `stop` picks (all of them when none does).
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

// Changes of the line that must not come: something other than `status`, a tick, the window
// hidden or a tray icon. Watched for `ms`; a change that came fails the case, named `after`.
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

// Idle and on screen: the controls unlocked, the window shown and no tray icon.
void CheckIdleOnScreen(HWND window) {
    CHECK_MSG(WaitControls(window, kIdle), "controls " + Describe(ReadControls(window)));
    CHECK(IsWindowVisible(window));
    CHECK(!TrayIconPresent(window));
}

// The service was asked to hang up once, with the handle and the result given (empty: any).
void CheckHungUpOnce(const App& app, const std::optional<std::string>& handle,
                     const std::optional<long>& result) {
    const std::vector<RasLogLine> hangUps = Calls(app, "RasHangUpA");
    CHECK_MSG(hangUps.size() == 1 && (!handle || hangUps[0].In("handle") == handle) &&
                  (!result || hangUps[0].result == result),
              "hang-up calls: " + Describe(app.RasLog()));
}

// Keeps the settings file open without sharing for as long as it lives, as another program
// can: every write to it fails. (Its read-only attribute would not do: Wine maps it to the
// file's mode bits, which do not stop a process running as root.)
class LockedSettings {
public:
    LockedSettings()
        : m_file(CreateFileA(settings::Path().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    ~LockedSettings() {
        if (Held()) {
            CloseHandle(m_file);
        }
    }
    LockedSettings(const LockedSettings&) = delete;
    LockedSettings& operator=(const LockedSettings&) = delete;
    bool Held() const { return m_file != INVALID_HANDLE_VALUE; }

private:
    HANDLE m_file;
};

} // namespace

// Each stage empties the status line before writing its text; a reader from another process
// may catch that blank in between. Blanks followed by a text are dropped.
static std::vector<std::string> WithoutPassingBlanks(const std::vector<std::string>& trail) {
    std::vector<std::string> kept;
    for (size_t i = 0; i < trail.size(); ++i) {
        if (!trail[i].empty() || i + 1 == trail.size()) {
            kept.push_back(trail[i]);
        }
    }
    return kept;
}

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
    const std::optional<Record> record = ParseRecord(line);
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

// --- Events that end a line that is up, and what a kill leaves ------------------------------

namespace {

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

// The running connection as stored now, in the record format.
std::optional<Record> RunningRecord() {
    const std::optional<std::string> text = settings::Stored("Running", "Record");
    return text ? ParseRecord(*text) : std::nullopt;
}

} // namespace

E2E_TEST(Dialing, ErrorEventWhileConnectedEndsTheConnectionAsAHangUpDoes) {
    CheckLineEndedByEvent("event = 5 2500 629\n");
}

E2E_TEST(Dialing, DisconnectedEventWhileConnectedEndsTheConnectionAsAHangUpDoes) {
    CheckLineEndedByEvent("event = 0x2001 2500\n");
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

E2E_TEST(ConnectionLoss, RunningConnectionIsSavedAtConnectAndGoesWithTheHangUp) {
    App app;
    HWND window = StartDialer(app, kQuickConnect);
    REQUIRE(DialAndConnect(app, window).has_value());
    SYSTEMTIME connectedAt;
    GetLocalTime(&connectedAt);
    CHECK_MSG(WaitUntil([] { return RunningRecord().has_value(); }),
              "no running connection saved; the file holds " + Describe(settings::Bytes()));
    if (const std::optional<Record> running = RunningRecord()) {
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

E2E_TEST(ConnectionLoss, ExitWhileConnectedStoresTheRecordAndNoRunningConnection) {
    Started s = StartShown(QuickConnectBook());
    REQUIRE(ConnectAndWait(s));
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
