#pragma once

// Starting the program as the cases need it: on screen and idle, connected, or hidden in the
// tray.

#include "probes/AppProcess.h"

#include <windows.h>

#include <string>

namespace e2e {

// The settings file replaced by `settingsText` (left as it is when that is empty), the program
// started with the phone book, and its main window up with the program idle. The dialog manager
// shows a dialog once more when its queue first runs empty, which would undo a hide requested
// before. `main` is nullptr when the window did not appear; cases about what comes instead of
// the window start the program with App::Start.
struct Started {
    App app;
    HWND main = nullptr;
};
Started StartProgram(const PhoneBook& book = OneEntryBook(), const std::string& settingsText = {});
// The same with the phone book read from a path of the caller's (a pipe).
Started StartProgramReading(const std::string& phoneBookPath);
// StartProgram for the cases that need the window: ends the case when it did not appear.
Started StartShown(const PhoneBook& book = OneEntryBook(), const std::string& settingsText = {});

// Presses the dial button and waits for the connect step: window hidden, icon added.
bool ConnectAndWait(Started& s);
// StartShown with the quick connection and the settings text, then connected (the window
// hidden, the icon added); ends the case when it does not get there.
Started StartConnected(const std::string& settingsText = {});
// StartShown, then hidden to the tray.
Started StartHidden(const PhoneBook& book = NeverConnectingBook());

} // namespace e2e
