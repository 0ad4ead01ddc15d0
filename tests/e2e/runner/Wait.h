#pragma once

// Waiting for a condition in another process: poll with a deadline, never a fixed sleep. Every
// time limit of the end-to-end checks derives from one default, so that E2E_TIMEOUT_MS stretches
// them all alike on a slow machine.

#include <functional>

namespace e2e {

// How long a wait lasts unless a case asks otherwise: 10 s, or E2E_TIMEOUT_MS.
unsigned DefaultTimeoutMs();
// A limit given as it is at the default timeout, scaled in proportion to the one in force.
unsigned ScaledMs(unsigned msAtDefault);
// How long one case may run before the watchdog declares it hung.
inline unsigned CaseTimeLimitMs() {
    return ScaledMs(180000);
}

// Polls until the condition holds or the deadline passes; returns whether it held.
bool WaitUntil(const std::function<bool()>& condition, unsigned timeoutMs = DefaultTimeoutMs());

// Polls `get` until what it gives counts as true (a window, a value); returns the last of it.
template <class Get> auto WaitFor(Get get, unsigned timeoutMs = DefaultTimeoutMs()) {
    decltype(get()) value{};
    WaitUntil([&] { return static_cast<bool>(value = get()); }, timeoutMs);
    return value;
}

} // namespace e2e
