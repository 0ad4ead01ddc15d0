#include "Wait.h"

#include <windows.h>

#include <cstdlib>

namespace e2e {

namespace {
constexpr unsigned kStandardTimeoutMs = 10000;
}

unsigned DefaultTimeoutMs() {
    static const unsigned value = [] {
        const char* text = std::getenv("E2E_TIMEOUT_MS");
        const long parsed = text ? std::atol(text) : 0;
        return parsed > 0 ? static_cast<unsigned>(parsed) : kStandardTimeoutMs;
    }();
    return value;
}

unsigned ScaledMs(unsigned msAtDefault) {
    return static_cast<unsigned>(static_cast<unsigned long long>(msAtDefault) * DefaultTimeoutMs() /
                                 kStandardTimeoutMs);
}

bool WaitUntil(const std::function<bool()>& condition, unsigned timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (condition()) {
            return true;
        }
        if (GetTickCount() - start >= timeoutMs) {
            return condition();
        }
        Sleep(15); // poll interval, not a wait for the result
    }
}

} // namespace e2e
