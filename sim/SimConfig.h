#pragma once

// The simulated phone book and its dial scripts, read from a small UTF-8 text file. Plain C++ so
// that the parser is tested natively; the DLL converts names to the ANSI code page itself.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace simras {

struct DialEvent {
    std::uint32_t state = 0;
    std::uint32_t delayMs = 0; // counted from the previous event (or from the dial)
    std::uint32_t error = 0;   // non-zero ends the dial after this event
};

struct DialScript {
    std::uint32_t refuseCode = 0; // non-zero: the dial request itself fails with this code
    std::vector<DialEvent> events;
    std::optional<std::uint32_t> dropAfterMs; // the line drops this long after the last event
    std::vector<DialEvent> afterHangUp;       // still delivered after RasHangUpA, timed from it
    std::uint32_t hangUpMs = 0; // how long the connection stays known after RasHangUpA
};

// A pair of byte figures of a connection: counts, or rates in bytes a second.
struct ByteCounts {
    std::uint32_t received = 0;
    std::uint32_t sent = 0;

    bool operator==(const ByteCounts& other) const {
        return received == other.received && sent == other.sent;
    }
};

// A connection that is up without having been dialed by the caller (`connection` line).
struct OutsideConnection {
    std::string name;           // UTF-8
    std::uint32_t elapsedS = 0; // how long it has been up when the caller first lists it
};

struct ConfigError {
    int line = 0;
    std::string message;
};

struct SimConfig {
    std::vector<std::string> entries;                // UTF-8, in file order
    std::optional<DialScript> commonScript;          // [dial]
    std::map<std::string, DialScript> perEntry;      // [dial NAME]
    std::vector<OutsideConnection> connections;      // in file order, names unique
    std::map<std::string, ByteCounts> trafficPerS;   // by connection name
    std::map<std::string, ByteCounts> countersStart; // by connection name
    std::vector<ConfigError> errors;                 // lines that were skipped, and why

    bool HasEntry(std::string_view name) const;
    bool HasConnection(std::string_view name) const;
    // Zero for a name without a line.
    ByteCounts TrafficFor(std::string_view name) const;
    ByteCounts CountersStartFor(std::string_view name) const;
    // The script for a dial of `name`: its own section, else [dial], else DefaultDialScript().
    DialScript ScriptFor(std::string_view name) const;
};

// What a dial does when the file has no [dial] section: a successful connection in about 1.2 s.
DialScript DefaultDialScript();

// Never fails: a line it cannot use is recorded in `errors` and skipped.
SimConfig ParseSimConfig(std::string_view text);

// Log values: strings are always quoted, with backslash escapes for quote, backslash and
// control characters, so a line splits on spaces outside quotes.
std::string QuoteForLog(std::string_view text);

} // namespace simras
