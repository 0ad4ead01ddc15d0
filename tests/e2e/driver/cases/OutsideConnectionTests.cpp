// Connections the program did not dial: one that comes up elsewhere while the window is idle,
// one that ends elsewhere, the line a killed run left up, and the bytes each connection moved.
// The simulated service lists a connection of its own while a "connection" line names it
// (sim/README.md).

#include "probes/AppProcess.h"
#include "probes/MainWindowView.h"
#include "probes/SettingsFile.h"
#include "probes/TrayIconProbe.h"
#include "steps/Steps.h"
#include "TestRunner.h"
#include "Text.h"

#include <windows.h>

#include <cstdlib>

namespace {

using namespace e2e;

// The phone book with the quick dial and any further lines.
PhoneBook BookWith(const std::string& lines) {
    return PhoneBook{{kEntryName}, std::string(kQuickConnect) + lines};
}

// "connection = NAME SECONDS": a connection of the entry up for that long, dialed elsewhere.
std::string UpElsewhere(int seconds) {
    return "connection = " + std::string(kEntryName) + " " + std::to_string(seconds) + "\n";
}

// Rewrites the running program's phone book, as the service rereads it on every call.
void RewriteBook(const App& app, const PhoneBook& book) {
    REQUIRE(WriteFileBytes(app.PhoneBookPath(), book.FileText()));
}

// The handle the service gave the connection it lists of its own.
std::optional<std::string> OutsideHandle(const App& app) {
    const std::vector<RasLogLine> found = Calls(app, "outside");
    return found.empty() ? std::nullopt : found.front().In("handle");
}

// The record's detail "ORIGIN,RECEIVED,SENT,ENTRY" split at its first three commas.
std::vector<std::string> DetailFields(int number) {
    const std::string text =
        settings::Stored("DataDetail", "data[" + std::to_string(number) + "]").value_or("");
    std::vector<std::string> fields;
    size_t from = 0;
    for (int i = 0; i < 3; ++i) {
        const size_t comma = text.find(',', from);
        if (comma == std::string::npos) {
            return {text};
        }
        fields.push_back(text.substr(from, comma - from));
        from = comma + 1;
    }
    fields.push_back(text.substr(from));
    return fields;
}

// The rasapi32.dll of the system directory swapped for one without the statistics call, for as
// long as this lives.
class ServiceWithoutStatistics {
public:
    ServiceWithoutStatistics() {
        char folder[MAX_PATH] = "";
        GetSystemDirectoryA(folder, MAX_PATH);
        m_installed = JoinPath(folder, "rasapi32.dll");
        m_swapped = CopyFileA(JoinPath(DriverFolder(), "nostats\\rasapi32.dll").c_str(),
                              m_installed.c_str(), FALSE) != FALSE;
    }
    ~ServiceWithoutStatistics() {
        CopyFileA(JoinPath(DriverFolder(), "rasapi32.dll").c_str(), m_installed.c_str(), FALSE);
    }
    ServiceWithoutStatistics(const ServiceWithoutStatistics&) = delete;
    ServiceWithoutStatistics& operator=(const ServiceWithoutStatistics&) = delete;
    bool Swapped() const { return m_swapped; }

private:
    std::string m_installed;
    bool m_swapped = false;
};

} // namespace

E2E_TEST(Outside, AConnectionUpElsewhereIsFollowedAndEndedByTheHangUpButton) {
    Started s = StartShown(BookWith(""));
    RewriteBook(s.app, BookWith(UpElsewhere(100)));
    const SteadyClock::time_point written = SteadyClock::now();
    REQUIRE_MSG(WaitUntil([&] { return ShownSeconds(s.main).value_or(0) >= 100; }, ScaledMs(3000)),
                "not followed; status " + Describe(Status(s.main)));
    std::printf("followed with its seconds %lld ms after it came up\n", MsSince(written));
    // Shown as connected, the window left where the user has it.
    CHECK(IsWindowVisible(s.main));
    CHECK(TrayIconPresent(s.main));
    CHECK_EQ(ReadControls(s.main), kBusy);
    CHECK_EQ(ReadMainWindow(s.main).entryText, kEntryName);

    const int shown = ShownSeconds(s.main).value_or(0);
    const SYSTEMTIME hungUpAt = PressHangUp(s.main);
    REQUIRE_MSG(WaitStatus(s.main, texts::kHungUp), "status " + Describe(Status(s.main)));
    const std::optional<std::string> handle = OutsideHandle(s.app);
    REQUIRE(handle.has_value());
    const std::vector<RasLogLine> hangUps = Calls(s.app, "RasHangUpA");
    CHECK_MSG(hangUps.size() == 1 && hangUps[0].In("handle") == handle,
              "hang-ups " + std::to_string(hangUps.size()) + ", outside handle " + *handle);
    CheckRecord(1, hungUpAt, shown, 2);
    // The service gives figures; this line moved no bytes.
    CHECK_EQ(DetailFields(1), (std::vector<std::string>{"taken", "0", "0", kEntryName}));
}

E2E_TEST(Outside, ALineThatEndsElsewhereIsStoredOnceWithItsEntry) {
    Started s = StartShown(BookWith(UpElsewhere(30) + "traffic = " + kEntryName + " 2000 100\n"));
    // Four seconds followed; its counters start when the service first lists it.
    REQUIRE_MSG(WaitUntil([&] { return ShownSeconds(s.main).value_or(0) >= 34; }),
                "not followed at the start; status " + Describe(Status(s.main)));
    RewriteBook(s.app, BookWith(""));
    REQUIRE_MSG(WaitStatus(s.main, texts::kLineDropped), "status " + Describe(Status(s.main)));
    SYSTEMTIME endedAt;
    GetLocalTime(&endedAt);
    CHECK_MSG(WaitControls(s.main, kIdle), "controls " + Describe(ReadControls(s.main)));
    const std::optional<int> seconds = StoredRecordSeconds(1);
    CHECK_MSG(seconds.value_or(0) >= 31, "data[1] " + Describe(settings::Record(1).value_or("")));
    const std::vector<std::string> detail = DetailFields(1);
    REQUIRE_EQ(detail.size(), 4u);
    CHECK_EQ(detail[0], "taken");
    CHECK_EQ(detail[3], kEntryName);
    CHECK_MSG(std::atoll(detail[1].c_str()) >= 2000LL * 3, "received " + detail[1]);
    CHECK_MSG(std::atoll(detail[2].c_str()) >= 100LL * 3, "sent " + detail[2]);
    // Looked at again and again since, and nothing more stored.
    const int looks = RasCalls(s.app, "RasEnumConnectionsA");
    REQUIRE(WaitCalls(s.app, "RasEnumConnectionsA", static_cast<size_t>(looks) + 2));
    CHECK_EQ(StoredRecordCount(), 1);
}

// Without the service's own figure the seconds count from the connect the killed run saved.
E2E_TEST(Outside, ALineAKilledRunLeftUpIsContinuedByTheNextStart) {
    ServiceWithoutStatistics service;
    REQUIRE(service.Swapped());
    App first;
    HWND window = StartDialer(first, kQuickConnect);
    const std::optional<SteadyClock::time_point> connectedAt = DialAndConnect(first, window);
    REQUIRE(connectedAt.has_value());
    REQUIRE(WaitSecondsAbove(window, 3));
    REQUIRE(RunningRecord().has_value());
    first.Kill();
    REQUIRE(WaitUntil([] { return !MutexExists(); }));

    // The line stays up: the service of the next start lists it as dialed elsewhere (its count
    // of the time up starts late, as this start is slow under emulation; the program's does not).
    const int upFor = static_cast<int>(MsSince(*connectedAt) / 1000);
    Started again = StartProgram(BookWith(UpElsewhere(upFor)));
    REQUIRE(again.main != nullptr);
    CHECK_MSG(!again.app.WaitMessageBox(0).has_value(), "a notice at the start");
    REQUIRE_MSG(WaitUntil([&] { return ShownSeconds(again.main).value_or(0) >= upFor; }),
                "not continued; status " + Describe(Status(again.main)));
    CHECK_EQ(StoredRecordCount(), 0);

    const double seconds = MsSince(*connectedAt) / 1000.0;
    const SYSTEMTIME hungUpAt = PressHangUp(again.main);
    REQUIRE_MSG(WaitStatus(again.main, texts::kHungUp), "status " + Describe(Status(again.main)));
    // Counted from the first connect: the new run's start is not lost.
    CheckRecord(1, hungUpAt, seconds, 3);
    CHECK_EQ(DetailFields(1).front(), "dialed");
    CHECK_EQ(settings::Stored("Running", "Record"), std::optional<std::string>());
}

E2E_TEST(Outside, CountersThatWrapDuringAConnectionGiveTheRightSums) {
    constexpr long long kReceivedPerSecond = 1'000'000;
    constexpr long long kSentPerSecond = 1000;
    App app;
    // Both counters pass 4 GiB within the first two seconds.
    HWND window = StartDialer(app, std::string(kQuickConnect) + "traffic = " + kEntryName +
                                       " 1000000 1000\ncounters_start = " + kEntryName +
                                       " 0xFFF00000 0xFFFFFC00\n");
    REQUIRE(DialAndConnect(app, window).has_value());
    REQUIRE(WaitSecondsAbove(window, 4));
    PressHangUp(window);
    REQUIRE_MSG(WaitStatus(window, texts::kHungUp), "status " + Describe(Status(window)));
    const long long seconds = StoredRecordSeconds(1).value_or(0);
    const std::vector<std::string> detail = DetailFields(1);
    REQUIRE_EQ(detail.size(), 4u);
    const long long received = std::atoll(detail[1].c_str());
    const long long sent = std::atoll(detail[2].c_str());
    // From the connect to the last tick before the hang-up: within two seconds of traffic.
    CHECK_MSG(received >= kReceivedPerSecond * (seconds - 2) &&
                  received <= kReceivedPerSecond * (seconds + 1),
              "received " + detail[1] + " in " + std::to_string(seconds) + " s");
    CHECK_MSG(sent >= kSentPerSecond * (seconds - 2) && sent <= kSentPerSecond * (seconds + 1),
              "sent " + detail[2] + " in " + std::to_string(seconds) + " s");
}

E2E_TEST(Outside, AServiceWithoutStatisticsStillStartsAndDials) {
    ServiceWithoutStatistics service;
    REQUIRE_MSG(service.Swapped(), "the service without statistics could not be installed");
    App app;
    HWND window = StartDialer(app, kQuickConnect);
    const std::optional<SteadyClock::time_point> connectedAt = DialAndConnect(app, window);
    REQUIRE(connectedAt.has_value());
    HangUpAndCheckRecord(window, *connectedAt, 1);
    CHECK_EQ(DetailFields(1), (std::vector<std::string>{"dialed", "", "", kEntryName}));
    CHECK(Calls(app, "RasGetConnectionStatistics").empty());
}
