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

} // namespace e2e
