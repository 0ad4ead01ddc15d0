// Leaving the program: the question every way out asks, what No and Yes do while idle and
// while connected, the end of the Windows session, and restart and shut-down.
//
// Restart and shut-down really end the session only in the "Power" cases, which exist only
// when the run script asks for one of them (E2E_POWER_CASE): ExitWindowsEx under Wine ends
// every process of the session, this driver included, so each runs in a session of its own
// and leaves its verdict in a file before the end (see tests/e2e/power-cases.sh). In the
// main run the script keeps the programs from ending the session, and the same commands are
// checked up to the point where the system refuses.

#include "probes/AppProcess.h"
#include "probes/Desktop.h"
#include "probes/MainWindowView.h"
#include "probes/MessageBoxProbe.h"
#include "probes/SettingsFile.h"
#include "probes/TrayProbe.h"
#include "probes/WindowProbe.h"
#include "steps/Steps.h"
#include "TestRunner.h"
#include "Text.h"

#include <functional>

namespace {

using namespace e2e;

// The program waits 3 s between storing the record and asking the system to restart or shut
// down. A program that does not answer for this long right after the record appeared is in
// that wait.
constexpr unsigned kPausedForMs = 1000;
// How long a power case waits for its session to end after the pause.
const unsigned kSessionEndTimeoutMs = ScaledMs(30000);

bool NoRecordStored() {
    return !settings::Exists() || StoredRecordCount() == 0;
}

// ---- restart and shut-down ----

// What a restart or shut-down command was seen to do before the system's part.
struct PowerObservation {
    bool recordStored = false;
    std::optional<int> recordSeconds;
    bool paused = false; // the program stopped answering (after the record, when connected)
    bool asked = false;  // a message box appeared
    bool ended = false;  // the program ended before it could be seen pausing
    std::string Problems(bool connected) const {
        std::string problems;
        if (connected && !recordStored) {
            problems += " no record was stored;";
        }
        if (!connected && recordStored) {
            problems += " a record was stored while idle;";
        }
        if (!paused) {
            problems += connected ? " no pause after the record;" : " no pause;";
        }
        if (asked) {
            problems += " a question was asked;";
        }
        if (ended) {
            problems += " the program ended before the pause was seen;";
        }
        return problems;
    }
};

bool AnyMessageBox(const App& app) {
    return app.WaitMessageBox(0).has_value();
}

// Call right after the command was chosen. While connected the record must be stored before
// the pause: it is looked for first, and the pause right after it.
PowerObservation ObservePowerCommand(const Started& s, bool connected) {
    PowerObservation seen;
    if (connected) {
        WaitUntil([&] {
            seen.asked = seen.asked || AnyMessageBox(s.app);
            seen.recordStored = StoredRecordSeconds(1).has_value();
            return seen.recordStored || !s.app.Running();
        });
        if (seen.recordStored) {
            seen.recordSeconds = StoredRecordSeconds(1);
            seen.paused = !Responds(s.main, kPausedForMs) && s.app.Running();
        }
    } else {
        WaitUntil([&] {
            seen.asked = seen.asked || AnyMessageBox(s.app);
            seen.paused = !Responds(s.main, kPausedForMs) && s.app.Running();
            return seen.paused || !s.app.Running();
        });
        seen.recordStored = !NoRecordStored();
    }
    seen.asked = seen.asked || AnyMessageBox(s.app);
    seen.ended = !s.app.Running();
    return seen;
}

// A connected program, counting, hidden in the tray; or an idle one hidden in the tray.
Started StartForPowerCommand(bool connected, int* secondsBefore) {
    if (connected) {
        Started s = StartConnected();
        REQUIRE_MSG(WaitSecondsAbove(s.main, 0), "the seconds did not start counting");
        *secondsBefore = ShownSeconds(s.main).value_or(0);
        return s;
    }
    *secondsBefore = 0;
    return StartHidden();
}

// The verdict of a power case, kept in a file the run script reads after the session ended:
// notes, then "pass" or "fail: ..." once everything that can be seen before the end has been,
// and "survived: ..." when the session did not end.
class Verdict {
public:
    explicit Verdict(std::string path) : m_path(std::move(path)) { Write("started"); }
    ~Verdict() {
        if (!m_decided) {
            Write("fail: the case ended before it could decide (see the driver's output)");
        }
    }
    Verdict(const Verdict&) = delete;
    Verdict& operator=(const Verdict&) = delete;
    void Note(const std::string& note) { Write("note: " + note); }
    void Decide(const std::string& problems) {
        m_decided = true;
        Write(problems.empty() ? std::string("pass") : "fail:" + problems);
    }
    void Survived() { Write("survived: the session did not end"); }

private:
    void Write(const std::string& line) {
        m_text += line + "\n";
        if (!m_path.empty()) {
            WriteFileBytes(m_path, m_text);
        }
    }
    std::string m_path;
    std::string m_text;
    bool m_decided = false;
};

void RunPowerCase(int position, bool connected) {
    Verdict verdict(GetEnv("E2E_POWER_VERDICT"));
    REQUIRE_MSG(RunningUnderWine(), "restart and shut-down are let through only under Wine");
    REQUIRE_MSG(GetEnv("E2E_POWER_CASE") == CurrentTestName(),
                "E2E_POWER_CASE does not name this case: the run script runs each on its own");
    REQUIRE_MSG(!SessionEndDisabled(), "this session is kept from ending");
    // The script checks the settings file after the end against this.
    verdict.Note(std::string("records expected: ") + (connected ? "1" : "0"));
    int secondsBefore = 0;
    Started s = StartForPowerCommand(connected, &secondsBefore);
    verdict.Note("choosing item " + std::to_string(position) + " of the tray menu");
    ChooseTrayItem(s, position, /*mayEndSession=*/true);
    const PowerObservation seen = ObservePowerCommand(s, connected);
    std::string problems = seen.Problems(connected);
    if (connected && seen.recordSeconds && *seen.recordSeconds < secondsBefore) {
        problems += " the record holds " + std::to_string(*seen.recordSeconds) +
                    " s, less than the " + std::to_string(secondsBefore) + " s shown before;";
    }
    verdict.Decide(problems);
    CHECK_MSG(problems.empty(), problems);

    // Now the session ends, this driver with it; nothing may be asked or stored meanwhile.
    const int records = connected ? 1 : 0;
    WaitUntil(
        [&] {
            return AnyMessageBox(s.app) || (settings::Exists() && StoredRecordCount() != records);
        },
        kSessionEndTimeoutMs);
    if (AnyMessageBox(s.app)) {
        verdict.Decide(" a message box appeared after the pause;");
    } else if (settings::Exists() && StoredRecordCount() != records) {
        verdict.Decide(" the records changed after the pause;");
    } else {
        verdict.Survived();
    }
    CHECK_MSG(false, "the session did not end");
}

// Registered only for the run script's power step, never in an ordinary run.
const bool kPowerCasesRegistered = [] {
    if (GetEnv("E2E_POWER_CASE").empty()) {
        return false;
    }
    const struct {
        const char* name;
        int position;
        bool connected;
    } cases[] = {
        {"Power.RestartWhileConnectedStoresTheRecordThenEndsTheSession", tray_positions::kRestart,
         true},
        {"Power.ShutDownWhileConnectedStoresTheRecordThenEndsTheSession", tray_positions::kShutDown,
         true},
        {"Power.RestartWhileIdleStoresNothingAndEndsTheSession", tray_positions::kRestart, false},
        {"Power.ShutDownWhileIdleStoresNothingAndEndsTheSession", tray_positions::kShutDown, false},
    };
    for (const auto& power : cases) {
        Registry::Instance().Add({power.name, __FILE__, __LINE__,
                                  [=] { RunPowerCase(power.position, power.connected); }});
    }
    return true;
}();

} // namespace

E2E_TEST(Exit, EveryWayOutAsksAndNoChangesNothingWhileConnected) {
    Started s = StartConnected();
    REQUIRE_MSG(WaitSecondsAbove(s.main, 0), "the seconds did not start counting");
    for (const WayOut& way : WaysOut()) {
        const std::string where = std::string(" (") + way.name + ")";
        ShowIfNeeded(s, way);
        const bool shown = IsWindowVisible(s.main) != FALSE;
        const MessageBoxView box = AskByWay(s, way);
        const std::optional<int> atQuestion = ShownSeconds(s.main);
        CHECK_MSG(SecondsKeepCounting(s.main), "the seconds stopped under the question" + where);

        REQUIRE(AnswerMessageBox(box.window, IDNO));
        REQUIRE_MSG(WaitGone(box.window), "the question stayed" + where);
        REQUIRE_MSG(s.app.Running(), "No ended the program" + where);
        CHECK_MSG((IsWindowVisible(s.main) != FALSE) == shown, "the window changed" + where);
        CHECK_MSG(TrayIconPresent(s.main), "the icon went" + where);
        CHECK_MSG(IsEnabled(Item(s.main, ids::kHangUp)), "the hang-up button is off" + where);
        CHECK_MSG(SecondsKeepCounting(s.main), "the seconds stopped after No" + where);
        const std::optional<int> after = ShownSeconds(s.main);
        CHECK_MSG(atQuestion && after && *after > *atQuestion,
                  "the count started again: " + Describe(atQuestion) + " then " + Describe(after) +
                      where);
        CHECK_MSG(RasCalls(s.app, "RasHangUpA") == 0, "hung up" + where);
        CHECK_MSG(NoRecordStored(), "a record was stored" + where);
    }
}

E2E_TEST(Exit, YesWhileIdleEndsWithoutARecordAndTheIconGoes) {
    for (const WayOut& way : WaysOut()) {
        const std::string where = std::string(" (") + way.name + ")";
        REQUIRE(settings::Remove());
        Started s = StartShown(NeverConnectingBook());
        // Minimised once, so that there is an icon to go.
        HideToTray(s);
        REQUIRE(TrayIconPresent(s.main));
        ShowIfNeeded(s, way);
        const MessageBoxView box = AskByWay(s, way);
        REQUIRE(AnswerMessageBox(box.window, IDYES));
        CHECK_MSG(IconGoneWithTheWindow(s.main), "the icon outlived the window" + where);
        CHECK_MSG(s.app.WaitExit() == std::optional<DWORD>(0),
                  "the program did not end with code 0" + where);
        CHECK_MSG(NoRecordStored(), "a record was stored" + where);
        CheckNoIconLeft(s.main, where);
    }
}

E2E_TEST(Exit, YesWhileConnectedStoresOneRecordOfTheSecondsUpToTheAnswer) {
    for (const WayOut& way : WaysOut()) {
        const std::string where = std::string(" (") + way.name + ")";
        REQUIRE(settings::Remove());
        Started s = StartShown(QuickConnectBook());
        REQUIRE_MSG(ConnectAndWait(s), "the connect step did not hide the window" + where);
        ShowIfNeeded(s, way);
        const MessageBoxView box = AskByWay(s, way);
        // The count goes on under the question; the record holds the seconds up to the answer.
        REQUIRE_MSG(WaitSecondsAbove(s.main, 1), "the seconds did not go on" + where);
        const int shown = ShownSeconds(s.main).value_or(-1);
        REQUIRE(AnswerMessageBox(box.window, IDYES));
        CHECK_MSG(IconGoneWithTheWindow(s.main), "the icon outlived the window" + where);
        CHECK_MSG(s.app.WaitExit() == std::optional<DWORD>(0),
                  "the program did not end with code 0" + where);
        CHECK_MSG(StoredRecordCount() == 1,
                  "records stored: " + std::to_string(StoredRecordCount()) + where);
        const std::optional<int> seconds = StoredRecordSeconds(1);
        CHECK_MSG(seconds && *seconds >= shown && *seconds <= shown + 1,
                  "the record holds " + Describe(seconds) + " s, the status showed " +
                      std::to_string(shown) + where);
        CHECK_MSG(RasCalls(s.app, "RasHangUpA") == 1, "not hung up once" + where);
        CheckNoIconLeft(s.main, where);
    }
}

E2E_TEST(Exit, EndingSessionWhileConnectedStoresOneRecordWithoutAsking) {
    Started s = StartConnected();
    REQUIRE(WaitSecondsAbove(s.main, 0));

    DWORD_PTR allowed = 0;
    REQUIRE_MSG(SendTo(s.main, WM_QUERYENDSESSION, 0, 0, &allowed),
                "WM_QUERYENDSESSION was not answered");
    CHECK_MSG(allowed != 0, "the program refused the end of the session");
    // A session that does not end after all changes nothing.
    REQUIRE(SendTo(s.main, WM_ENDSESSION, FALSE));
    CHECK(NoRecordStored());
    CHECK_EQ(RasCalls(s.app, "RasHangUpA"), 0);
    CHECK(SecondsKeepCounting(s.main));

    const int shown = ShownSeconds(s.main).value_or(-1);
    REQUIRE_MSG(SendTo(s.main, WM_ENDSESSION, TRUE),
                "WM_ENDSESSION was not handled in time (a question?)");
    CHECK_MSG(!AnyMessageBox(s.app), "a message box appeared");
    CHECK_EQ(StoredRecordCount(), 1);
    const std::optional<int> seconds = StoredRecordSeconds(1);
    CHECK_MSG(seconds && *seconds >= shown && *seconds <= shown + 1,
              "the record holds " + Describe(seconds) + " s, the status showed " +
                  std::to_string(shown));
    CHECK_EQ(RasCalls(s.app, "RasHangUpA"), 1);
}

E2E_TEST(Exit, EndingSessionWhileIdleStoresNothing) {
    Started s = StartShown(QuickConnectBook());
    REQUIRE(SendTo(s.main, WM_QUERYENDSESSION));
    REQUIRE(SendTo(s.main, WM_ENDSESSION, TRUE));
    CHECK(!AnyMessageBox(s.app));
    CHECK(NoRecordStored());
    CHECK_EQ(RasCalls(s.app, "RasHangUpA"), 0);
}

// Here the system refuses (the run script keeps this session from ending), so what the program
// does up to its request, and after a refusal, can be seen: restart and shut-down, each from a
// fresh start, show no problem up to the pause and the program answers again after it; `after`
// checks the rest.
static void CheckRefusedPowerCommands(
    bool connected, const std::function<void(const Started&, const PowerObservation&,
                                             int secondsBefore, const std::string& where)>& after) {
    RequireSafeMenuChoice();
    for (const int position : {tray_positions::kRestart, tray_positions::kShutDown}) {
        const std::string where =
            position == tray_positions::kRestart ? " (restart)" : " (shut-down)";
        REQUIRE(settings::Remove());
        int secondsBefore = 0;
        Started s = StartForPowerCommand(connected, &secondsBefore);
        ChooseTrayItem(s, position);
        const PowerObservation seen = ObservePowerCommand(s, connected);
        CHECK_MSG(seen.Problems(connected).empty(), seen.Problems(connected) + where);
        REQUIRE_MSG(WaitUntil([&] { return Responds(s.main, 200); }),
                    "the program did not come back after the pause" + where);
        after(s, seen, secondsBefore, where);
    }
}

E2E_TEST(Exit, RestartAndShutDownWhileConnectedStoreTheRecordBeforeThePauseWithoutAsking) {
    CheckRefusedPowerCommands(true, [](const Started& s, const PowerObservation& seen,
                                       int secondsBefore, const std::string& where) {
        CHECK_MSG(seen.recordSeconds && *seen.recordSeconds >= secondsBefore,
                  "the record holds " + Describe(seen.recordSeconds) + " s, the status showed " +
                      std::to_string(secondsBefore) + where);
        // Refused: the program goes on, idle, its window as it was (hidden), the icon there.
        CHECK_MSG(s.app.Running(), "the program ended" + where);
        CHECK_MSG(!AnyMessageBox(s.app), "a message box appeared" + where);
        CHECK_EQ(WindowText(Item(s.main, ids::kStatus)), texts::kHungUp);
        CHECK_MSG(!IsWindowVisible(s.main), "the window was shown" + where);
        CHECK_MSG(TrayIconPresent(s.main), "the icon went" + where);
        CHECK_MSG(StoredRecordCount() == 1, "records: " + std::to_string(StoredRecordCount()));
        CHECK_MSG(RasCalls(s.app, "RasHangUpA") == 1, "not hung up once" + where);
    });
}

E2E_TEST(Exit, RestartAndShutDownWhileIdlePauseWithoutARecordOrAQuestion) {
    CheckRefusedPowerCommands(
        false, [](const Started& s, const PowerObservation&, int, const std::string& where) {
            CHECK_MSG(!AnyMessageBox(s.app), "a message box appeared" + where);
            CHECK_MSG(NoRecordStored(), "a record was stored" + where);
            CHECK_EQ(WindowText(Item(s.main, ids::kStatus)), texts::kReady);
            CHECK_MSG(!IsWindowVisible(s.main), "the window was shown" + where);
            CHECK_MSG(s.app.Running(), "the program ended" + where);
        });
}
