#pragma once

#include <windows.h>
#include <ras.h>

#include "dialer/Connection.h"

namespace dialer {

// The platform's Remote Access Service, dialing asynchronously with a notifier of type 0.
class RasService : public RasPort {
public:
    explicit RasService(RASDIALFUNC notifier) : m_notifier(notifier) {}

    unsigned Dial(const DialRequest& request, RasHandle* handle) override;
    void HangUp(RasHandle handle) override;
    bool IsLineUp(RasHandle handle) override;
    std::vector<std::string> ListEntries() override;

private:
    RASDIALFUNC m_notifier;
};

// QueryPerformanceCounter for the seconds, GetLocalTime for the record.
class SystemClock : public Clock {
public:
    std::int64_t MonotonicMs() const override;
    store::LocalTime LocalNow() const override;
};

} // namespace dialer
