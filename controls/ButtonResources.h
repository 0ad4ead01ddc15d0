#pragma once

// The pictures of the image buttons, as numbered in res/kelvorin.rc.

namespace controls {

constexpr unsigned kDialIcon = 131;       // a handshake
constexpr unsigned kHangUpIcon = 133;     // a lightning bolt between arrows; also "total"
constexpr unsigned kBackIcon = 141;       // a pointing hand: back to the main window
constexpr unsigned kStatisticsIcon = 142; // a clock
constexpr unsigned kHelpIcon = 143;       // a question-mark bubble
constexpr unsigned kClearIcon = 144;      // a recycle bin
constexpr int kHandCursor = 132;          // over every image button; hot spot (0, 0)

// The size every window declares for its button icons.
constexpr unsigned char kButtonIconSize = 32;

} // namespace controls
