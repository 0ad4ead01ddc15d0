#pragma once

// Steps the tray and exit cases share: a program hidden to the tray and shown again, connected,
// the seconds its status line counts, and the records it stores.

#include "probes/AppProcess.h"
#include "Wait.h"

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace e2e {

// Opens the tray menu as the shell reports a press of the right button on the icon.
HWND OpenTrayMenu(const Started& s);

// Choosing tray menu items by position must never restart or shut down for real where that
// is not meant: it is done only under Wine, and (unless the case means to end the session) only
// where the run script keeps the programs from ending the session. Ends the case otherwise.
void RequireSafeMenuChoice(bool mayEndSession = false);

// Opens the tray menu and chooses the item at the position (1-based, separators counted);
// ends the case when the menu does not open or does not close.
void ChooseTrayItem(const Started& s, int position, bool mayEndSession = false);

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

// Presses the dial button and waits for the connect step: window hidden, icon added.
bool ConnectAndWait(Started& s);
// StartShown with the quick connection, then connected; ends the case when it does not get there.
Started StartConnected();

// Call at once after the answer that ends the program: waits for its main window to go and
// tells whether the icon was gone by then (the shell holds none of the window's icons and the
// taskbar, shown only while it holds an icon, is hidden). Wine's shell drops the icons of a
// window that is gone by itself, a moment later; only a look taken at once can tell whether the
// program removed its icon.
bool IconGoneWithTheWindow(HWND main);

// Waits until the window is hidden or shown; true when it got there. `everIconic`, when
// given, learns whether the window was seen minimised on the way.
bool WaitHidden(HWND window, bool* everIconic = nullptr, unsigned timeoutMs = DefaultTimeoutMs());
bool WaitShown(HWND window, bool* everIconic = nullptr, unsigned timeoutMs = DefaultTimeoutMs());

// The minimise request of the caption's box and of the system menu.
void PostMinimise(HWND window, WPARAM command = SC_MINIMIZE);
// Minimises the window and ends the case unless it goes to the tray.
void HideToTray(const Started& s);
// StartShown, then hidden to the tray.
Started StartHidden(const PhoneBook& book = NeverConnectingBook());
// After the program ended: its icon is gone and the taskbar shows none (`where` names the case).
void CheckNoIconLeft(HWND main, const std::string& where);

// The seconds "已连接%d秒钟，合计%d小时%d分" shows; empty for any other status text.
std::optional<int> ShownSeconds(HWND main);
// Waits until the status shows more than `seconds`.
bool WaitSecondsAbove(HWND main, int seconds, unsigned timeoutMs = DefaultTimeoutMs());
// Waits until the status shows a count of seconds and then a higher one.
bool SecondsKeepCounting(HWND main);

// Whether the window's thread handles a sent message within the time: false while the program
// is busy (or paused) for longer.
bool Responds(HWND window, unsigned timeoutMs);

// Records as stored in the settings file now: the counter ("[Memory] MaxDataNumber", 0 when
// missing or empty) and the seconds of one record (empty when it is missing or malformed).
int StoredRecordCount();
std::optional<int> StoredRecordSeconds(int number);

// Lines of the simulated RAS service's log that start with the word, e.g. "RasDialA".
int RasCalls(const App& app, const std::string& call);

} // namespace e2e
