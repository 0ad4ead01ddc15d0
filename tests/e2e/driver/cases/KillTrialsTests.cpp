// Kill trials: the program is killed at a random moment while dialing, while connected, just
// after a hang-up or just after a confirmed reset, again and again on one settings file. After
// every kill the file must read, every finished record must still be there, and a running
// connection must come back at the next start short of at most 60 s. Registered only when
// tests/e2e/kill-trials.sh asks for them (E2E_KILL_TRIALS, the number of trials; E2E_KILL_SEED
// repeats a run): each trial is a case of its own and starts from the file the one before left.

#include "probes/AppProcess.h"
#include "probes/MainWindowView.h"
#include "probes/MessageBoxProbe.h"
#include "probes/ProgramFacts.h"
#include "probes/SettingsFile.h"
#include "probes/WindowProbe.h"
#include "steps/Steps.h"
#include "TestRunner.h"
#include "Text.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace e2e;
using SteadyClock = std::chrono::steady_clock;

// Connected 950 ms after the dial.
const PhoneBook kBook{{kEntryName}, "[dial]\nevent = 0 50\nevent = 1 300\nevent = 0x2000 600\n"};
constexpr int kMostSecondsLost = 60;

enum class Phase { Dialing, Connected, HangUp, Reset };
const char* PhaseName(Phase phase) {
    static const char* const names[] = {"dialing", "connected", "hang-up", "reset"};
    return names[static_cast<int>(phase)];
}

struct TrialRun {
    int trials = 0;
    unsigned seed = 0;
    std::mt19937 random;
    int done = 0;
    std::string fileBytes; // what the last trial left; empty: no file
    int phases[4] = {};
    int recovered = 0;
    int worstLossSeconds = 0;
};

TrialRun& Run() {
    static TrialRun run;
    return run;
}

unsigned Between(unsigned low, unsigned high) {
    return std::uniform_int_distribution<unsigned>(low, high)(Run().random);
}

// The moment of the kill is the point of the trial: a chosen wait, not a wait for a condition.
void Pause(unsigned ms) {
    Sleep(ms);
}

// The live records data[1] ... data[MaxDataNumber] as a reader of the file lists them.
std::vector<std::string> LiveRecords(const std::string& bytes) {
    const std::optional<std::string> counter =
        settings::ValueInText(bytes, "Memory", "MaxDataNumber");
    const int count = counter ? std::atoi(counter->c_str()) : 0;
    std::vector<std::string> records;
    for (int i = 1; i <= count; ++i) {
        const std::optional<std::string> value =
            settings::ValueInText(bytes, "Data", "data[" + std::to_string(i) + "]");
        if (value && value->size() > 10) {
            records.push_back(*value);
        }
    }
    return records;
}

std::optional<std::string> Running(const std::string& bytes) {
    const std::optional<std::string> text = settings::ValueInText(bytes, "Running", "Record");
    return text && text->size() > 10 ? text : std::nullopt;
}

int SecondsOf(const std::string& record) {
    const size_t comma = record.find(',');
    return comma == std::string::npos ? -1 : std::atoi(record.c_str() + comma + 1);
}

bool StartsWith(const std::vector<std::string>& all, const std::vector<std::string>& head) {
    return all.size() >= head.size() && std::equal(head.begin(), head.end(), all.begin());
}

// The file reads: whole lines only, each a section, a key with its value, or blank.
void CheckFileReads(const std::string& bytes) {
    if (bytes.empty()) {
        return;
    }
    CHECK_MSG(bytes.size() >= 2 && bytes.compare(bytes.size() - 2, 2, "\r\n") == 0,
              "the file ends inside a line: " +
                  Describe(bytes.substr(bytes.size() - std::min<size_t>(bytes.size(), 40))));
    size_t at = 0;
    while (at < bytes.size()) {
        size_t end = bytes.find("\r\n", at);
        if (end == std::string::npos) {
            end = bytes.size();
        }
        const std::string line = bytes.substr(at, end - at);
        const bool section = !line.empty() && line.front() == '[' && line.back() == ']';
        CHECK_MSG(line.empty() || section || line.find('=') != std::string::npos,
                  "a damaged line: " + Describe(line));
        at = end + 2;
    }
}

// Starts the program on the file; a running connection the last kill left must come back as
// a record, told once in a notice. Returns the main window (nullptr when it did not come).
HWND StartAndRecover(App& app, std::vector<std::string>& records) {
    const std::optional<std::string> running = Running(settings::Bytes());
    app = App::Start(kBook);
    if (running) {
        const std::optional<MessageBoxView> box = app.WaitMessageBox();
        CHECK_MSG(box.has_value(), "no notice for the running connection " + Describe(*running));
        if (box) {
            CHECK_EQ(box->caption, texts::kNotice);
            AnswerMessageBox(box->window, IDOK);
        }
        records.push_back(*running);
        ++Run().recovered;
    }
    HWND main = app.WaitMainWindow();
    if (main == nullptr) {
        return nullptr;
    }
    SendTo(main, WM_NULL); // idle after its first show
    const std::string bytes = settings::Bytes();
    CHECK_MSG(LiveRecords(bytes) == records, "after the start the file holds " +
                                                 Describe(LiveRecords(bytes)) + ", expected " +
                                                 Describe(records));
    CHECK_MSG(!Running(bytes).has_value(), "the running connection is still there");
    CHECK(!app.WaitMessageBox(0).has_value());
    return main;
}

void RunTrial() {
    TrialRun& run = Run();
    const int number = ++run.done;
    if (!run.fileBytes.empty()) {
        REQUIRE(WriteFileBytes(settings::Path(), run.fileBytes));
    }
    std::vector<std::string> records = LiveRecords(settings::Bytes());
    App app;
    HWND main = StartAndRecover(app, records);
    REQUIRE_MSG(main != nullptr, "the main window did not come");

    // Now and then (in a long run) a connection that outlives a save or two.
    const bool longConnection = run.trials >= 100 && number % 40 == 20;
    Phase phase = longConnection ? Phase::Connected : static_cast<Phase>(Between(0, 3));
    if (phase == Phase::Reset && records.empty()) {
        phase = Phase::Connected; // a reset needs records to lose
    }
    ++run.phases[static_cast<int>(phase)];
    std::optional<SteadyClock::time_point> connectedAt;
    unsigned delayMs = 0;
    if (phase == Phase::Reset) {
        HWND stats = OpenStats(app, main);
        REQUIRE(stats != nullptr);
        PressButton(Item(stats, ids::kReset));
        const std::optional<MessageBoxView> question = app.WaitMessageBox();
        REQUIRE(question.has_value());
        delayMs = Between(0, 150);
        AnswerMessageBox(question->window, IDYES);
    } else {
        PressButton(Item(main, ids::kDial));
        if (phase == Phase::Dialing) {
            delayMs = Between(0, 1000);
        } else {
            REQUIRE_MSG(WaitConnected(main).has_value(), "no connection");
            connectedAt = SteadyClock::now();
            delayMs = longConnection ? Between(31000, 65000) : Between(0, 2500);
            if (phase == Phase::HangUp) {
                Pause(delayMs);
                PressButton(Item(main, ids::kHangUp));
                delayMs = Between(0, 150);
            }
        }
    }
    Pause(delayMs);
    app.Kill();
    const long long upMs = connectedAt ? std::chrono::duration_cast<std::chrono::milliseconds>(
                                             SteadyClock::now() - *connectedAt)
                                             .count()
                                       : 0;

    const std::string bytes = settings::Bytes();
    CheckFileReads(bytes);
    const std::vector<std::string> now = LiveRecords(bytes);
    const std::optional<std::string> running = Running(bytes);
    const std::string what = std::string(PhaseName(phase)) + " trial " + std::to_string(number);
    if (phase == Phase::Reset) {
        CHECK_MSG(now == records || now.empty(), what + ": records " + Describe(now));
    } else {
        CHECK_MSG(StartsWith(now, records) && now.size() <= records.size() + 1,
                  what + ": records " + Describe(now) + ", before " + Describe(records));
    }
    // A connection is kept either as a record or as the running connection, never both.
    const bool recorded = now.size() > records.size();
    CHECK_MSG(!(recorded && running), what + ": recorded and still running");
    if (phase == Phase::Connected || (phase == Phase::HangUp && !recorded)) {
        CHECK_MSG(running.has_value(), what + ": the running connection is lost");
    }
    if (running && connectedAt) {
        const int lost = static_cast<int>(upMs / 1000) - SecondsOf(*running);
        run.worstLossSeconds = std::max(run.worstLossSeconds, lost);
        CHECK_MSG(lost <= kMostSecondsLost, what + ": " + std::to_string(lost) + " s lost");
    }
    Note(what + ", killed " + std::to_string(delayMs) + " ms in: " + std::to_string(now.size()) +
         " records" + (running ? ", running " + *running : std::string()));
    run.fileBytes = bytes;

    if (number == run.trials) {
        // The last kill's running connection comes back too.
        App last;
        std::vector<std::string> expected = now;
        CHECK(StartAndRecover(last, expected) != nullptr);
        char line[200];
        std::snprintf(line, sizeof line,
                      "%d trials (seed %u): %d dialing, %d connected, %d hang-up, %d reset; %d "
                      "running connections recovered, %zu records at the end, at most %d s lost",
                      run.trials, run.seed, run.phases[0], run.phases[1], run.phases[2],
                      run.phases[3], run.recovered, expected.size(), run.worstLossSeconds);
        Note(line);
    }
}

const bool kTrialsRegistered = [] {
    const int trials = std::atoi(GetEnv("E2E_KILL_TRIALS").c_str());
    if (trials <= 0) {
        return false;
    }
    TrialRun& run = Run();
    run.trials = trials;
    const std::string seed = GetEnv("E2E_KILL_SEED");
    run.seed = seed.empty() ? static_cast<unsigned>(GetTickCount())
                            : static_cast<unsigned>(std::strtoul(seed.c_str(), nullptr, 10));
    run.random.seed(run.seed);
    std::printf("kill trials: %d, seed %u\n", trials, run.seed);
    for (int i = 1; i <= trials; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "KillTrials.Trial%03d", i);
        Registry::Instance().Add({name, __FILE__, __LINE__, &RunTrial});
    }
    return true;
}();

} // namespace
