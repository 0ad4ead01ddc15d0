#pragma once

// The program's own message numbers and timer ids, one list for every window. The dial events
// arrive as <ras.h>'s WM_RASDIALEVENT (wParam: RAS connection state, lParam: RAS error code),
// which the dial callback posts.

#define WM_TRAYNOTIFY 0x8064  // wParam: icon id, lParam: mouse message
#define ID_TIMER_SECONDS 1001 // one tick a second while connected
// While idle: a look at the connections that are up, for one dialed elsewhere.
#define ID_TIMER_WATCH 1002
#define WATCH_INTERVAL_MS 1000
// Posted to the main window when the plan settings were saved or the records cleared: the tray
// tip and the warnings follow the new allowance and count from the records the file now holds.
#define WM_PLANCHANGED 0x8065
// Posted by the main window to itself when the allowance is used up while connected: the
// question to hang up is asked from its own message, outside the tick that found it due.
// wParam: the number of the connection it is asked for.
#define WM_PLANASKLIMIT 0x8066
// Posted by the main window to itself when the settings file could not be written: the notice
// comes after the dial event or tick that found it, which goes on meanwhile.
#define WM_UNSAVEDNOTICE 0x8067
// Posted by the countdown window to its owner when the user answered it (the close box and Esc
// answer as "继续上网" does): wParam 1 = keep online, 2 = hang up now.
#define WM_GUARDANSWER 0x8068
#define GUARD_ANSWER_KEEP_ONLINE 1
#define GUARD_ANSWER_HANG_UP_NOW 2
// Posted by the statistics window to itself when it opens over a settings file it cannot use:
// the notice comes once the window is up.
#define WM_STATSFILENOTICE 0x8070
