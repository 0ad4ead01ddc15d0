#pragma once

// The help window's text: six fixed pieces, each appended as a line.

#include <array>
#include <string>

namespace help {

inline constexpr std::size_t kPieceCount = 6;

// The pieces in the order they are appended.
const std::array<const char*, kPieceCount>& Pieces();

// The text of an edit control after one more line: "\r\n" goes only between lines, so an
// empty control takes the line as it is, and an empty line on a filled control leaves a
// trailing "\r\n".
std::string WithLineAppended(const std::string& text, const std::string& line);

// The whole text as the window builds it from an empty control.
std::string Text();

} // namespace help
