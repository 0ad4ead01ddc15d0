#pragma once

// The test runner of the Win32 checks (the end-to-end driver, the pixel check, the simulated
// RAS check): cases registered by E2E_TEST, checks that report file:line and both values, a
// name filter, a watchdog per case, and the closing line "N passed, N failed" that
// tools/e2e-env.sh reads (e2e_summary).

#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <type_traits>
#include <vector>

namespace e2e {

struct TestCase {
    std::string name; // "Group.Case"
    const char* file;
    int line;
    std::function<void()> body;
};

class Registry {
public:
    static Registry& Instance();
    void Add(TestCase test) { m_tests.push_back(std::move(test)); }
    const std::vector<TestCase>& Tests() const { return m_tests; }
    // Run before and after every case, in the order added (cleanup of processes, files).
    void AddBeforeEach(std::function<void()> hook) { m_before.push_back(std::move(hook)); }
    void AddAfterEach(std::function<void()> hook) { m_after.push_back(std::move(hook)); }
    // Run from the watchdog when a case overruns, and before a crashed run ends: ends what
    // the case started (programs), so that the case's blocked waits return.
    void AddOnHang(std::function<void()> hook) { m_onHang.push_back(std::move(hook)); }
    const std::vector<std::function<void()>>& BeforeEach() const { return m_before; }
    const std::vector<std::function<void()>>& AfterEach() const { return m_after; }
    const std::vector<std::function<void()>>& OnHang() const { return m_onHang; }

private:
    std::vector<TestCase> m_tests;
    std::vector<std::function<void()>> m_before;
    std::vector<std::function<void()>> m_after;
    std::vector<std::function<void()>> m_onHang;
};

struct Registrar {
    Registrar(const char* name, const char* file, int line, void (*body)()) {
        Registry::Instance().Add({name, file, line, body});
    }
};

// Thrown by REQUIRE to end the current case; the runner catches it.
struct RequireFailed {};

// Runs part of a case (on any thread): a failed REQUIRE ends it, another exception is reported
// as a failure at file:line.
void RunGuarded(const std::function<void()>& body, const char* file, int line);

// Name of the case now running ("" outside a case), for per-case folders and screenshots.
const std::string& CurrentTestName();

void ReportFailure(const char* file, int line, const std::string& message);
// Writes one progress line (GBK text as the program shows it).
void Note(const std::string& message);

// Text of a value for failure messages; strings are quoted with their control characters
// escaped so that "a\nb" and "a b" can be told apart.
std::string Describe(const std::string& value);
std::string Describe(const char* value);
inline std::string Describe(char* value) {
    return Describe(static_cast<const char*>(value));
}
inline std::string Describe(bool value) {
    return value ? "true" : "false";
}
template <class T> std::string Describe(const T& value) {
    std::ostringstream out;
    if constexpr (std::is_pointer_v<T>) {
        out << static_cast<const void*>(value);
    } else if constexpr (std::is_enum_v<T>) {
        out << static_cast<long long>(value);
    } else {
        out << value;
    }
    return out.str();
}
template <class T> std::string Describe(const std::vector<T>& values) {
    std::string text = "{";
    for (size_t i = 0; i < values.size(); ++i) {
        text += (i ? ", " : "") + Describe(values[i]);
    }
    return text + "}";
}
template <class T> std::string Describe(const std::optional<T>& value) {
    return value ? Describe(*value) : std::string("(none)");
}

template <class A, class B>
bool CheckEqual(const A& actual, const B& expected, const char* actualText,
                const char* expectedText, const char* file, int line) {
    if (actual == expected) {
        return true;
    }
    ReportFailure(file, line,
                  std::string(actualText) + " == " + expectedText + "\n      actual:   " +
                      Describe(actual) + "\n      expected: " + Describe(expected));
    return false;
}

bool CheckTrue(bool value, const char* text, const char* file, int line,
               const std::string& context = {});

// Parses the command line ([--list] [--repeat N] [PATTERN...]) and runs the selected cases,
// each under the watchdog (CaseTimeLimitMs). Returns the process exit code. A case that stays
// hung after the OnHang hooks, or a crash, ends the run with its summary and exit code 3.
int RunTests(const std::vector<std::string>& args);

} // namespace e2e

#define E2E_CONCAT_INNER(a, b) a##b
#define E2E_CONCAT(a, b) E2E_CONCAT_INNER(a, b)

// E2E_TEST(Group, Case) { ... } registers the case "Group.Case".
#define E2E_TEST(group, name)                                                                      \
    static void E2E_CONCAT(e2e_test_, E2E_CONCAT(group, E2E_CONCAT(_, name)))();                   \
    static const ::e2e::Registrar E2E_CONCAT(e2e_registrar_,                                       \
                                             E2E_CONCAT(group, E2E_CONCAT(_, name)))(              \
        #group "." #name, __FILE__, __LINE__,                                                      \
        &E2E_CONCAT(e2e_test_, E2E_CONCAT(group, E2E_CONCAT(_, name))));                           \
    static void E2E_CONCAT(e2e_test_, E2E_CONCAT(group, E2E_CONCAT(_, name)))()

// CHECK* record a failure and go on; REQUIRE* record it and end the case.
#define CHECK(expr) ::e2e::CheckTrue(static_cast<bool>(expr), #expr, __FILE__, __LINE__)
#define CHECK_MSG(expr, context)                                                                   \
    ::e2e::CheckTrue(static_cast<bool>(expr), #expr, __FILE__, __LINE__, (context))
#define CHECK_EQ(actual, expected)                                                                 \
    ::e2e::CheckEqual((actual), (expected), #actual, #expected, __FILE__, __LINE__)
#define REQUIRE(expr)                                                                              \
    do {                                                                                           \
        if (!CHECK(expr))                                                                          \
            throw ::e2e::RequireFailed{};                                                          \
    } while (0)
#define REQUIRE_MSG(expr, context)                                                                 \
    do {                                                                                           \
        if (!CHECK_MSG(expr, context))                                                             \
            throw ::e2e::RequireFailed{};                                                          \
    } while (0)
#define REQUIRE_EQ(actual, expected)                                                               \
    do {                                                                                           \
        if (!CHECK_EQ(actual, expected))                                                           \
            throw ::e2e::RequireFailed{};                                                          \
    } while (0)
