#pragma once

// Steps the statistics and plan cases share: the statistics window opened from the main window,
// and the message boxes its buttons bring.

#include "AppProcess.h"
#include "MessageBoxProbe.h"

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace e2e {

using Rows = std::vector<std::vector<std::string>>;

// Presses "时间统计" in the main window and waits for the statistics window; nullptr when none
// came.
HWND OpenStats(const App& app, HWND main);
// The same; ends the case when the window did not open.
HWND RequireStats(const Started& s);

// Waits for a message box, reads it, answers it (OK for a notice) and waits until it has gone
// (ends the case when it cannot be answered or stays); empty when no box came.
std::optional<MessageBoxView> Answered(const App& app, int answer = IDOK);
// Presses the button, then Answered.
std::optional<MessageBoxView> AnsweredAfter(const App& app, HWND button, int answer = IDOK);

} // namespace e2e
