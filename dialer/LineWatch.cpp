#include "dialer/LineWatch.h"

#include <algorithm>

namespace dialer {

std::optional<ActiveConnection> ConnectionToFollow(const std::vector<ActiveConnection>& up,
                                                   const std::vector<std::string>& phoneBook,
                                                   RasHandle own) {
    for (const ActiveConnection& connection : up) {
        if (connection.handle == 0 || connection.handle == own) {
            continue;
        }
        if (std::find(phoneBook.begin(), phoneBook.end(), connection.entry) != phoneBook.end()) {
            return connection;
        }
    }
    return std::nullopt;
}

int ElapsedSeconds(const ElapsedSources& sources) {
    constexpr std::int64_t kYearSeconds = 366LL * 24 * 3600;
    if (sources.statistics) {
        return static_cast<int>(sources.statistics->connectedMs / 1000);
    }
    if (sources.savedConnectedAtWallMs) {
        const std::int64_t seconds = (sources.wallNowMs - *sources.savedConnectedAtWallMs) / 1000;
        // A clock set back, or a saved moment no clock could have read, keeps the saved seconds.
        if (seconds < sources.savedSeconds || seconds > kYearSeconds) {
            return sources.savedSeconds;
        }
        return static_cast<int>(seconds);
    }
    return sources.savedSeconds;
}

void TrafficSum::Start(std::uint64_t received, std::uint64_t sent, bool countFirst) {
    *this = TrafficSum{};
    m_received = received;
    m_sent = sent;
    m_countFirst = countFirst;
    m_known = received != 0 || sent != 0;
}

void TrafficSum::Sample(std::uint32_t received, std::uint32_t sent) {
    if (!m_sampled && !m_countFirst) {
        m_lastReceived = received;
        m_lastSent = sent;
    }
    // Unsigned subtraction is modulo 2^32: a counter that wrapped still gives what passed.
    m_received += static_cast<std::uint32_t>(received - m_lastReceived);
    m_sent += static_cast<std::uint32_t>(sent - m_lastSent);
    m_lastReceived = received;
    m_lastSent = sent;
    m_sampled = true;
    m_known = true;
}

} // namespace dialer
