// The hang-up of the real program timed end to end with many records in the settings file:
// from the hang-up command to the window idle again (the record stored, the running connection
// removed), as the command's sent message takes. Registered only for tests/bench/hangup.sh
// (E2E_HANGUP_BENCH); it prints figures and fails only when the hang-up goes wrong.

#include "probes/AppProcess.h"
#include "probes/MainWindowView.h"
#include "probes/ProgramFacts.h"
#include "probes/SettingsFile.h"
#include "probes/WindowProbe.h"
#include "steps/Steps.h"
#include "TestRunner.h"
#include "Text.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using namespace e2e;

double NowMs() {
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

std::string FileWithRecords(int count) {
    std::string text = "[Memory]\nMaxDataNumber=" + std::to_string(count) + "\n[Data]\n";
    text.reserve(text.size() + static_cast<size_t>(count) * 36);
    for (int i = 1; i <= count; ++i) {
        text += "data[" + std::to_string(i) + "]=2003-9-3,3725@15:9:51\n";
    }
    return text;
}

void TimeHangUps(int records) {
    const int repeats = 5;
    Started s = StartShown(QuickConnectBook(), FileWithRecords(records));
    std::vector<double> times;
    for (int i = 0; i < repeats; ++i) {
        PressButton(Item(s.main, ids::kDial));
        REQUIRE_MSG(WaitConnected(s.main).has_value(), "no connection");
        REQUIRE(WaitUntil([] { return settings::Stored("Running", "Record").has_value(); }));
        HWND button = Item(s.main, ids::kHangUp);
        const double start = NowMs();
        REQUIRE(SendTo(s.main, WM_COMMAND, MAKEWPARAM(ids::kHangUp, BN_CLICKED),
                       reinterpret_cast<LPARAM>(button)));
        times.push_back(NowMs() - start);
        CHECK_EQ(WindowText(Item(s.main, ids::kStatus)), std::string(texts::kHungUp));
    }
    CHECK_EQ(settings::RecordCounter(),
             std::optional<std::string>(std::to_string(records + repeats)));
    CHECK_EQ(settings::Stored("Running", "Record"), std::optional<std::string>());
    std::sort(times.begin(), times.end());
    char line[160];
    std::snprintf(line, sizeof line,
                  "hang-up with %d records: command to idle %.1f ms median, %.1f ms at most (%d "
                  "hang-ups)",
                  records, times[times.size() / 2], times.back(), repeats);
    Note(line);
}

void HangUpWithTenThousand() {
    TimeHangUps(10000);
}
void HangUpWithHundredThousand() {
    TimeHangUps(100000);
}

const bool kBenchRegistered = [] {
    if (GetEnv("E2E_HANGUP_BENCH").empty()) {
        return false;
    }
    Registry::Instance().Add(
        {"Bench.HangUpWith10000Records", __FILE__, __LINE__, &HangUpWithTenThousand});
    Registry::Instance().Add(
        {"Bench.HangUpWith100000Records", __FILE__, __LINE__, &HangUpWithHundredThousand});
    return true;
}();

} // namespace
