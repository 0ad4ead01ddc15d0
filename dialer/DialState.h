#pragma once

#include <cstdint>
#include <string>

namespace dialer {

// RAS connection states the program tells apart (RASCONNSTATE values).
inline constexpr unsigned kRasWaitForCallback = 17;     // the last of the stages counted from 0
inline constexpr unsigned kRasInteractive = 0x1000;     // the first of the paused states
inline constexpr unsigned kRasPasswordExpired = 0x1003; // the last of them
inline constexpr unsigned kRasDoneBit = 0x2000;
inline constexpr unsigned kRasConnected = 0x2000;
inline constexpr unsigned kRasDisconnected = 0x2001;

// String id of a dial stage's text; kNoStageText for any state outside the table, which loads
// as an empty text.
inline constexpr unsigned kNoStageText = 3;
unsigned GetStateStringId(unsigned state);

enum class LinkState { Idle, Dialing, Connected };

// Enabled states of the five controls that follow the connection.
struct ControlStates {
    bool dial;
    bool hangUp;
    bool entry;
    bool user;
    bool password;
    bool operator==(const ControlStates& other) const {
        return dial == other.dial && hangUp == other.hangUp && entry == other.entry &&
               user == other.user && password == other.password;
    }
};
ControlStates ControlsFor(LinkState state);

// What a dial event means for the connection.
enum class DialEvent {
    Stale,     // no dial is held: an event left over from an ended dial
    Progress,  // a stage on the way
    Failed,    // the dial is over without a connection
    Connected, // the line is up
    Dropped,   // the line that was up is gone (an error, or the disconnected state)
};
DialEvent ClassifyDialEvent(unsigned state, unsigned error, bool dialHeld, bool connected);

// While connected the running connection is saved at connect and again once this many
// connected seconds have passed since the last save, so a kill or a power cut loses less than
// a minute.
inline constexpr int kRunningSaveSeconds = 30;
bool RunningSaveDue(int seconds, int savedAtSeconds);

// Whole seconds from startMs to nowMs on a monotonic clock; 0 when the clock went backwards.
int ElapsedWholeSeconds(std::int64_t startMs, std::int64_t nowMs);

// One moment on both clocks: the monotonic counter and the wall clock (UTC), in milliseconds.
struct ClockReading {
    std::int64_t monotonicMs = 0;
    std::int64_t wallMs = 0;
};

// The connected seconds from `connected` to `now`: what the counter says, so a late tick still
// counts every second, but never more than the wall clock saw pass plus a second, so a counter
// that leaps, or runs on while the process is frozen, adds nothing. 0 when a clock went back
// past the connect.
int ConnectedSeconds(const ClockReading& connected, const ClockReading& now);

// The status line while connected: the seconds, then the total as hours and minutes.
std::string FormatConnectedStatus(int seconds);

// Fixed status texts.
extern const char* const kDialFailedText;
extern const char* const kConnectedText;
extern const char* const kHungUpText;
extern const char* const kLineDroppedText;

// The message shown when a finished connection could not be stored.
std::string UnsavedRecordMessage(const std::string& recordText);

// The notice, shown once, that the settings file (at location) cannot be written now: the
// record (recordText) stays in memory and goes out with the next write that succeeds.
std::string UnwrittenFileMessage(const std::string& location, const std::string& recordText);

} // namespace dialer
