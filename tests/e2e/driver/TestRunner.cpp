#include "TestRunner.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>

namespace e2e {
namespace {

std::string g_currentTest;
int g_failuresInCase = 0;

void Print(const std::string& text) {
    std::fputs(text.c_str(), stdout);
    std::fflush(stdout);
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
        try {
            hook();
        } catch (const RequireFailed&) {
        } catch (const std::exception& e) {
            ReportFailure(__FILE__, __LINE__, std::string(what) + " threw: " + e.what());
        }
    }
}

void PrintUsage() {
    Print("usage: e2e_driver [--list] [--repeat N] [PATTERN...]\n"
          "  PATTERN selects cases by name: a substring, or a pattern with * and ?\n");
}

} // namespace

Registry& Registry::Instance() {
    static Registry registry;
    return registry;
}

const std::string& CurrentTestName() {
    return g_currentTest;
}

void ReportFailure(const char* file, int line, const std::string& message) {
    ++g_failuresInCase;
    Print(std::string("  ") + file + ":" + std::to_string(line) + ": failed: " + message + "\n");
}

void Note(const std::string& message) {
    Print("  " + message + "\n");
}

std::string Describe(const std::string& value) {
    std::string text = "\"";
    for (char c : value) {
        switch (c) {
        case '\n':
            text += "\\n";
            break;
        case '\r':
            text += "\\r";
            break;
        case '\t':
            text += "\\t";
            break;
        case '"':
            text += "\\\"";
            break;
        case '\\':
            text += "\\\\";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char hex[8];
                std::snprintf(hex, sizeof hex, "\\x%02x", static_cast<unsigned char>(c));
                text += hex;
            } else {
                text += c;
            }
        }
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
    std::vector<std::string> patterns;
    bool list = false;
    int repeat = 1;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--list") {
            list = true;
        } else if (args[i] == "--repeat" && i + 1 < args.size()) {
            repeat = std::max(1, std::atoi(args[++i].c_str()));
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
    if (list) {
        for (const auto& test : registry.Tests()) {
            if (Selected(patterns, test.name)) {
                Print(test.name + "\n");
            }
        }
        return 0;
    }

    int passed = 0, failed = 0;
    std::vector<std::string> failedNames;
    for (int round = 0; round < repeat; ++round) {
        for (const auto& test : registry.Tests()) {
            if (!Selected(patterns, test.name)) {
                continue;
            }
            g_currentTest = test.name;
            g_failuresInCase = 0;
            Print("[ RUN  ] " + test.name + "\n");
            const auto start = std::chrono::steady_clock::now();
            RunHooks(registry.BeforeEach(), "set-up");
            if (g_failuresInCase == 0) {
                try {
                    test.body();
                } catch (const RequireFailed&) {
                } catch (const std::exception& e) {
                    ReportFailure(test.file, test.line, std::string("exception: ") + e.what());
                } catch (...) {
                    ReportFailure(test.file, test.line, "unknown exception");
                }
            }
            RunHooks(registry.AfterEach(), "clean-up");
            const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                                std::chrono::steady_clock::now() - start)
                                .count();
            const std::string timing = " (" + std::to_string(ms) + " ms)\n";
            if (g_failuresInCase == 0) {
                ++passed;
                Print("[   OK ] " + test.name + timing);
            } else {
                ++failed;
                failedNames.push_back(test.name);
                Print("[ FAIL ] " + test.name + timing);
            }
            g_currentTest.clear();
        }
    }
    if (passed + failed == 0) {
        Print("no test matches\n");
        return 2;
    }
    for (const auto& name : failedNames) {
        Print("failed: " + name + "\n");
    }
    Print(std::to_string(passed) + " passed, " + std::to_string(failed) + " failed\n");
    return failed == 0 ? 0 : 1;
}

} // namespace e2e
