#pragma once

// The ways a user leaves the program, each of which asks first.

#include "probes/MessageBoxProbe.h"
#include "steps/StartSteps.h"

#include <vector>

namespace e2e {

// A way out of the program as a user takes it.
struct WayOut {
    const char* name;
    bool needsShownWindow; // keys and the system menu reach only a window on screen
    void (*take)(const Started&);
};
extern const WayOut kByExitItem;
extern const WayOut kByEnterInThePassword;
extern const WayOut kByEscInTheAccount;
// Every way out; the exit item comes first: it is taken while a connected program is still
// hidden.
const std::vector<WayOut>& WaysOut();
// Shows a hidden window by the tray icon's double-click when the way needs it on screen.
void ShowIfNeeded(const Started& s, const WayOut& way);
// Takes the way out and returns the question it asks, checked (text, caption, Yes and No, the
// question icon, owned by the main window); ends the case when none is asked.
MessageBoxView AskByWay(const Started& s, const WayOut& way);

} // namespace e2e
