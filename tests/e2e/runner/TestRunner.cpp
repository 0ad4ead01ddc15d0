#include "TestRunner.h"

#include "Threads.h"
#include "Wait.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>

namespace e2e {
namespace {

// Printing and the run's counts are shared with the watchdog's thread.
Lock g_lock;
std::string g_currentTest;
std::atomic<int> g_failuresInCase{0};
int g_passed = 0;
int g_failed = 0;
int g_notRun = 0; // selected cases not yet started
std::vector<std::string> g_failedNames;

void Print(const std::string& text) {
    std::lock_guard<Lock> hold(g_lock);
    std::fputs(text.c_str(), stdout);
    std::fflush(stdout);
}

void PrintSummary() {
    std::lock_guard<Lock> hold(g_lock);
    for (const auto& name : g_failedNames) {
        Print("failed: " + name + "\n");
    }
    // Cases a run that was given up never reached count as failed: the counts stay whole.
    if (g_notRun > 0) {
        Print("not run: " + std::to_string(g_notRun) + " cases\n");
    }
    Print(std::to_string(g_passed) + " passed, " + std::to_string(g_failed + g_notRun) +
          " failed\n");
}

// '*' any run of characters, '?' one character; without either the pattern matches as a
// substring, so "Startup" selects the whole group.
bool Matches(const std::string& pattern, const std::string& name) {
    if (pattern.find_first_of("*?") == std::string::npos) {
        return name.find(pattern) != std::string::npos;
    }
    size_t p = 0, n = 0, starP = std::string::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (starP != std::string::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') {
        ++p;
    }
    return p == pattern.size();
}

bool Selected(const std::vector<std::string>& patterns, const std::string& name) {
    if (patterns.empty()) {
        return true;
    }
    for (const auto& pattern : patterns) {
        if (Matches(pattern, name)) {
            return true;
        }
    }
    return false;
}

// Hooks must not end a run: a failing cleanup counts against the case it belongs to.
void RunHooks(const std::vector<std::function<void()>>& hooks, const char* what) {
    for (const auto& hook : hooks) {
        RunGuarded(hook, what, 0);
    }
}

// Ends a run that cannot go on: the case counts as failed, the summary is printed, and the
// process ends without waiting for the case's thread.
[[noreturn]] void GiveUp(const std::string& why) {
    {
        std::lock_guard<Lock> hold(g_lock);
        Print("[ FAIL ] " + g_currentTest + " (" + why + ")\n");
        ++g_failed;
        g_failedNames.push_back(g_currentTest);
        PrintSummary();
    }
    TerminateProcess(GetCurrentProcess(), 3);
    std::abort();
}

LONG WINAPI OnCrash(EXCEPTION_POINTERS* info) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08lX",
                  static_cast<unsigned long>(info->ExceptionRecord->ExceptionCode));
    ReportFailure(__FILE__, __LINE__, std::string("crashed: exception ") + code);
    RunHooks(Registry::Instance().OnHang(), "the stop after a crash");
    GiveUp("crashed");
}

// Watches the running case: past CaseTimeLimitMs it fails the case and runs the OnHang hooks;
// when the case still has not returned a while later, the run is given up.
class Watchdog {
public:
    Watchdog() : m_thread([this] { Watch(); }) {}
    ~Watchdog() {
        {
            std::lock_guard<Lock> hold(m_lock);
            m_stop = true;
        }
        m_changed.Notify();
        m_thread.Join();
    }
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

    void CaseStarted() { Mark(true); }
    void CaseEnded() { Mark(false); }

private:
    void Mark(bool running) {
        {
            std::lock_guard<Lock> hold(m_lock);
            m_running = running;
            ++m_serial;
        }
        m_changed.Notify();
    }

    void Watch() {
        std::unique_lock<Lock> lock(m_lock);
        while (!m_stop) {
            if (!m_running) {
                m_changed.Wait(lock);
                continue;
            }
            const unsigned long long serial = m_serial;
            const auto moved = [&] { return m_stop || m_serial != serial; };
            if (m_changed.WaitFor(lock, CaseTimeLimitMs(), moved)) {
                continue;
            }
            lock.unlock();
            ReportFailure(__FILE__, __LINE__,
                          "hung: still running after " + std::to_string(CaseTimeLimitMs() / 1000) +
                              " s; ending the programs it started");
            RunHooks(Registry::Instance().OnHang(), "the stop of a hung case");
            lock.lock();
            if (!m_changed.WaitFor(lock, ScaledMs(30000), moved)) {
                GiveUp("hung");
            }
        }
    }

    Lock m_lock;
    Signal m_changed;
    bool m_stop = false;
    bool m_running = false;
    unsigned long long m_serial = 0;
    Thread m_thread;
};

void PrintUsage() {
    Print("usage: e2e_driver [--list] [--repeat N] [--shard K/N] [PATTERN...]\n"
          "  PATTERN selects cases by name: a substring, or a pattern with * and ?\n"
          "  --shard K/N keeps the K-th of every N selected cases (runs side by side)\n");
}

} // namespace

Registry& Registry::Instance() {
    static Registry registry;
    return registry;
}

void RunGuarded(const std::function<void()>& body, const char* file, int line) {
    try {
        body();
    } catch (const RequireFailed&) {
    } catch (const std::exception& e) {
        ReportFailure(file, line, std::string("exception: ") + e.what());
    } catch (...) {
        ReportFailure(file, line, "unknown exception");
    }
}

const std::string& CurrentTestName() {
    return g_currentTest;
}

void ReportFailure(const char* file, int line, const std::string& message) {
    g_failuresInCase++;
    Print(std::string("  ") + file + ":" + std::to_string(line) + ": failed: " + message + "\n");
}

void Note(const std::string& message) {
    Print("  " + message + "\n");
}

std::string Describe(const std::string& value) {
    std::string text = "\"";
    for (char c : value) {
        const char* named = c == '\n'   ? "\\n"
                            : c == '\r' ? "\\r"
                            : c == '\t' ? "\\t"
                            : c == '"'  ? "\\\""
                            : c == '\\' ? "\\\\"
                                        : nullptr;
        char hex[8] = {};
        if (!named && static_cast<unsigned char>(c) < 0x20) {
            std::snprintf(hex, sizeof hex, "\\x%02x", static_cast<unsigned char>(c));
            named = hex;
        }
        text += named ? std::string(named) : std::string(1, c);
    }
    return text + "\"";
}

std::string Describe(const char* value) {
    return value ? Describe(std::string(value)) : std::string("(null)");
}

bool CheckTrue(bool value, const char* text, const char* file, int line,
               const std::string& context) {
    if (!value) {
        ReportFailure(file, line,
                      std::string(text) + (context.empty() ? "" : " (" + context + ")"));
    }
    return value;
}

int RunTests(const std::vector<std::string>& args) {
    // Plain "\n" line ends, so that the shell sees plain lines.
    _setmode(_fileno(stdout), _O_BINARY);
    std::vector<std::string> patterns;
    bool list = false;
    int repeat = 1;
    int shard = 1;
    int shards = 1;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--list") {
            list = true;
        } else if (args[i] == "--repeat" && i + 1 < args.size()) {
            repeat = std::max(1, std::atoi(args[++i].c_str()));
        } else if (args[i] == "--shard" && i + 1 < args.size()) {
            if (std::sscanf(args[++i].c_str(), "%d/%d", &shard, &shards) != 2 || shards < 1 ||
                shard < 1 || shard > shards) {
                Print("--shard takes K/N with 1 <= K <= N\n");
                return 2;
            }
        } else if (args[i] == "--help" || args[i] == "-h") {
            PrintUsage();
            return 0;
        } else if (!args[i].empty() && args[i][0] == '-') {
            Print("unknown option " + args[i] + "\n");
            PrintUsage();
            return 2;
        } else {
            patterns.push_back(args[i]);
        }
    }

    const auto& registry = Registry::Instance();
    std::vector<const TestCase*> selected;
    int position = 0;
    for (const auto& test : registry.Tests()) {
        // Every N-th case: cases of one kind sit together, so the shards take alike shares.
        if (Selected(patterns, test.name) && position++ % shards == shard - 1) {
            selected.push_back(&test);
        }
    }
    if (list) {
        for (const TestCase* test : selected) {
            Print(test->name + "\n");
        }
        return 0;
    }
    if (selected.empty()) {
        Print("no test matches\n");
        return 2;
    }

    SetUnhandledExceptionFilter(OnCrash);
    g_notRun = static_cast<int>(selected.size()) * repeat;
    Watchdog watchdog;
    for (int round = 0; round < repeat; ++round) {
        for (const TestCase* test : selected) {
            {
                std::lock_guard<Lock> hold(g_lock);
                g_currentTest = test->name;
                g_failuresInCase = 0;
                --g_notRun;
            }
            Print("[ RUN  ] " + test->name + "\n");
            const auto start = std::chrono::steady_clock::now();
            watchdog.CaseStarted();
            RunHooks(registry.BeforeEach(), "set-up");
            if (g_failuresInCase == 0) {
                RunGuarded(test->body, test->file, test->line);
            }
            RunHooks(registry.AfterEach(), "clean-up");
            watchdog.CaseEnded();
            const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                                std::chrono::steady_clock::now() - start)
                                .count();
            const std::string timing = " (" + std::to_string(ms) + " ms)\n";
            std::lock_guard<Lock> hold(g_lock);
            if (g_failuresInCase == 0) {
                ++g_passed;
                Print("[   OK ] " + test->name + timing);
            } else {
                ++g_failed;
                g_failedNames.push_back(test->name);
                Print("[ FAIL ] " + test->name + timing);
            }
            g_currentTest.clear();
        }
    }
    PrintSummary();
    return g_failed == 0 ? 0 : 1;
}

} // namespace e2e
