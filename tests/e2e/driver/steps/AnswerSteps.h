#pragma once

// Answering the program's message boxes as a user does.

#include "probes/AppProcess.h"
#include "probes/MessageBoxProbe.h"

#include <windows.h>

#include <optional>
#include <string>

namespace e2e {

// Waits for a message box, reads it, answers it (OK for a notice) and waits until it has gone
// (ends the case when it cannot be answered or stays); empty when no box came.
std::optional<MessageBoxView> Answered(const App& app, int answer = IDOK);
// Presses the button, then Answered.
std::optional<MessageBoxView> AnsweredAfter(const App& app, HWND button, int answer = IDOK);

// Answered, and the box a notice of `owner` with the text: the caption "提示", OK its only
// button, the information icon.
void CheckNotice(const App& app, HWND owner, const std::string& text);

} // namespace e2e
