#pragma once

#include <windows.h>
#include <ras.h>

#include "dialer/Connection.h"

namespace dialer {

// The platform's Remote Access Service, dialing asynchronously with a notifier of type 0.
// The notifier runs on a thread of the service and hands each event to PostDialEvent, which
// posts it to the event window while a dial is open. A hang-up closes the dial first, waits
// (bounded) until the service reports the connection gone, and drops the events of it still
// queued, so that nothing of an ended dial acts on the next one.
class RasService : public RasPort {
public:
    explicit RasService(RASDIALFUNC notifier) : m_notifier(notifier) {}

    // The window the events go to: set once it exists, before any dial; null as it goes.
    static void SetEventWindow(HWND window);
    // From the notifier, on the service's thread: reads nothing but the two flags.
    static void PostDialEvent(UINT state, DWORD error);
    // How long a hang-up waits at most for the connection to go.
    static constexpr DWORD kHangUpWaitMs = 3000;

    unsigned Dial(const DialRequest& request, RasHandle* handle) override;
    void HangUp(RasHandle handle) override;
    bool IsLineUp(RasHandle handle) override;
    std::vector<std::string> ListEntries() override;
    std::vector<ActiveConnection> ListConnections() override;
    std::optional<LinkStatistics> Statistics(RasHandle handle) override;
    bool HasStatistics() override;

private:
    RASDIALFUNC m_notifier;
};

// QueryPerformanceCounter for the seconds, bounded by GetSystemTimeAsFileTime; GetLocalTime
// for the record.
class SystemClock : public Clock {
public:
    std::int64_t MonotonicMs() const override;
    std::int64_t WallMs() const override;
    store::LocalTime LocalNow() const override;
};

} // namespace dialer
