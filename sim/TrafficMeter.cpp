#include "sim/TrafficMeter.h"

namespace simras {

namespace {

// Adds rate x elapsed to a 32-bit counter, carrying the fraction of a byte in `milli`.
void Count(std::uint32_t& counter, std::uint32_t& milli, std::uint32_t ratePerS,
           std::uint32_t elapsedMs) {
    std::uint64_t total = std::uint64_t{ratePerS} * elapsedMs + milli;
    counter += static_cast<std::uint32_t>(total / 1000); // wraps modulo 2^32
    milli = static_cast<std::uint32_t>(total % 1000);
}

} // namespace

TrafficMeter::TrafficMeter(std::uint32_t nowMs, std::uint32_t upForMs, ByteCounts start,
                           ByteCounts ratePerS)
    : counters_(start), ratePerS_(ratePerS), lastMs_(nowMs), durationMs_(upForMs) {}

void TrafficMeter::Sample(std::uint32_t nowMs, ByteCounts ratePerS) {
    if (stopped_)
        return;
    const std::uint32_t elapsedMs = nowMs - lastMs_; // right across the clock's wrap
    Count(counters_.received, receivedMilli_, ratePerS_.received, elapsedMs);
    Count(counters_.sent, sentMilli_, ratePerS_.sent, elapsedMs);
    durationMs_ += elapsedMs;
    lastMs_ = nowMs;
    ratePerS_ = ratePerS;
}

void TrafficMeter::Stop(std::uint32_t nowMs) {
    Sample(nowMs, ratePerS_);
    stopped_ = true;
}

} // namespace simras
