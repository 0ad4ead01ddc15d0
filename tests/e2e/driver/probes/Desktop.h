#pragma once

// The virtual desktop the program under test runs in. A driver started with plain "wine"
// sits on the desktop "Default" and sees none of its windows until it joins the test desktop.

#include <string>

namespace e2e {

// Opens the desktop by name (waiting for the shell script's desktop to appear) and makes it
// the calling thread's desktop. Must run before the thread owns any window.
bool JoinDesktop(const std::string& name, unsigned timeoutMs);

// Name given to JoinDesktop; programs are started on it. Empty when not joined.
const std::string& DesktopName();

// Under Wine (ntdll exports wine_get_version). Cases that end the session or choose items of
// the tray menu by position refuse to run anywhere else.
bool RunningUnderWine();
// True when programs started from this driver cannot end the Wine session: ExitWindowsEx
// starts wineboot, which the run script disables for the main run.
bool SessionEndDisabled();

} // namespace e2e
