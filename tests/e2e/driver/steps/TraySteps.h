#pragma once

// The tray as a user works it: the window hidden to the tray and shown again, the tray menu
// opened, chosen from and closed, and the icon that stays or goes.

#include "steps/StartSteps.h"
#include "Wait.h"

#include <windows.h>

#include <string>

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
// Closes the open menu with Esc; a failed check when it stays.
void CloseMenuWithEscape(const Started& s, HWND menu);

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
// Waits until the window has gone to the tray (ends the case otherwise), never minimised.
void RequireHiddenNotIconic(HWND main);
// After the program ended: its icon is gone and the taskbar shows none (`where` names the case).
void CheckNoIconLeft(HWND main, const std::string& where);
// Exactly one icon on the taskbar, and it is the program's, shown with its window id.
void CheckOneIcon(HWND main, const std::string& when);
// The taskbar restarts: the program's icon is gone (ends the case when there was none) and the
// new shell's "TaskbarCreated" reaches the window.
void RestartTaskbar(HWND main);

} // namespace e2e
