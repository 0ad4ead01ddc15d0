#pragma once

// Connections of the phone book that this program did not dial: which one to follow, how long
// it has been up, and the bytes it moved.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace dialer {

using RasHandle = std::uintptr_t; // 0 when no dial or connection is held

// A connection the service lists as up.
struct ActiveConnection {
    RasHandle handle = 0;
    std::string entry;
};

// The service's figures of a connection: 32-bit byte counters that wrap at 4 GiB, and the
// milliseconds since it came up.
struct LinkStatistics {
    std::uint32_t received = 0;
    std::uint32_t sent = 0;
    std::uint32_t connectedMs = 0;
};

// The first connection of the list that is of an entry in the phone book and not the one held
// (`own`); the list's order is the service's.
std::optional<ActiveConnection> ConnectionToFollow(const std::vector<ActiveConnection>& up,
                                                   const std::vector<std::string>& phoneBook,
                                                   RasHandle own);

// How long a connection found up has been up, in seconds: the service's own figure where it has
// one; else, for a connection a run of this program saved, the wall clock since the connect it
// saved (the seconds it saved when that gives fewer, or more than a year); else none, counted from
// the moment it was noticed.
struct ElapsedSources {
    std::optional<LinkStatistics> statistics;
    std::optional<std::int64_t> savedConnectedAtWallMs;
    int savedSeconds = 0;
    std::int64_t wallNowMs = 0;
};
int ElapsedSeconds(const ElapsedSources& sources);

// The bytes of one connection from samples of the wrapping counters: each sample adds its
// difference from the one before, taken modulo 2^32, so a wrap between two samples counts what
// passed, not a negative leap.
class TrafficSum {
public:
    // Counting starts anew with carried sums. With countFirst the first sample's counters are
    // bytes of this connection (a connection found up, whose counters ran since its connect);
    // without it they only set the base (a dial: the counters at the connect, or a connection
    // continued after the sums were saved).
    void Start(std::uint64_t received, std::uint64_t sent, bool countFirst);
    void Sample(std::uint32_t received, std::uint32_t sent);
    // Whether any sample was taken (the service gives figures) or sums were carried.
    bool Known() const { return m_known; }
    std::uint64_t Received() const { return m_received; }
    std::uint64_t Sent() const { return m_sent; }

private:
    std::uint64_t m_received = 0;
    std::uint64_t m_sent = 0;
    std::uint32_t m_lastReceived = 0;
    std::uint32_t m_lastSent = 0;
    bool m_sampled = false;
    bool m_countFirst = false;
    bool m_known = false;
};

} // namespace dialer
