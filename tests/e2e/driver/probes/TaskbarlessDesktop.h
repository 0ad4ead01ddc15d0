#pragma once

// A desktop without a taskbar, for the cases that check the program where there is none.
// Wine gives every desktop its shell's taskbar window ("Shell_TrayWnd"), so the shell's window
// is taken away: made a child of a window of ours, which is then destroyed with it.

#include <functional>
#include <string>

namespace e2e {

// Runs `body` on a thread of its own that sits on a new desktop without a taskbar; programs
// started by App::Start in the meantime go to that desktop too. A failed REQUIRE ends `body`
// as it ends a case. Returns false, with the reason, when the desktop could not be prepared
// (then `body` has not run).
bool RunOnDesktopWithoutTaskbar(const std::function<void()>& body, std::string* error);

} // namespace e2e
