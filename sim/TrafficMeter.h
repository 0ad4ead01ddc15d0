#pragma once

// The byte counters and connect time of one simulated connection. Rates come from the phone
// book, which may change between calls, so the bytes are counted at each sample for the time
// since the previous one, at the rates in force then. Plain C++ for the native tests; the times
// are a 32-bit millisecond clock such as GetTickCount, which may wrap.

#include <cstdint>

#include "sim/SimConfig.h"

namespace simras {

class TrafficMeter {
public:
    // The line has been up for `upForMs` at `nowMs`, with the counters at `start` then.
    TrafficMeter(std::uint32_t nowMs, std::uint32_t upForMs, ByteCounts start, ByteCounts ratePerS);

    // Counts the bytes since the previous sample at the rates in force, which are `ratePerS`
    // from now on. Times must not go back.
    void Sample(std::uint32_t nowMs, ByteCounts ratePerS);
    // The line is down at `nowMs`: later samples change nothing.
    void Stop(std::uint32_t nowMs);
    bool Stopped() const { return stopped_; }

    // As of the last sample. 32 bits each, wrapping as the service's counters do.
    ByteCounts Counters() const { return counters_; }
    std::uint32_t ConnectDurationMs() const { return durationMs_; }

private:
    ByteCounts counters_;
    ByteCounts ratePerS_;
    // Parts of a byte not yet counted, in thousandths, so that short samples lose nothing.
    std::uint32_t receivedMilli_ = 0;
    std::uint32_t sentMilli_ = 0;
    std::uint32_t lastMs_;
    std::uint32_t durationMs_;
    bool stopped_ = false;
};

} // namespace simras
