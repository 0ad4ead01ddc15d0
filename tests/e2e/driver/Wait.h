#pragma once

// Waiting for a condition in another process: poll with a deadline, never a fixed sleep.

#include <functional>
#include <optional>

namespace e2e {

// How long a wait lasts unless a case asks otherwise; E2E_TIMEOUT_MS overrides it for slow
// machines.
unsigned DefaultTimeoutMs();

// Polls until the condition holds or the deadline passes; returns whether it held.
bool WaitUntil(const std::function<bool()>& condition, unsigned timeoutMs = DefaultTimeoutMs());

// Polls until the probe yields a value; empty when the deadline passed first.
template <class T>
std::optional<T> WaitFor(const std::function<std::optional<T>()>& probe,
                         unsigned timeoutMs = DefaultTimeoutMs()) {
    std::optional<T> result;
    WaitUntil(
        [&] {
            result = probe();
            return result.has_value();
        },
        timeoutMs);
    return result;
}

} // namespace e2e
