#pragma once

// The program's notification-area icon and its pop-up menus, seen and driven from outside:
// whether the shell holds the icon, how many icons the taskbar draws, the tray callback as
// the shell sends it, the open pop-up menu, and the menus as the program file holds them.

#include "probes/ProgramFacts.h"
#include "probes/TrayIconProbe.h"
#include "Wait.h"

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace e2e {

// The icons the taskbar draws now, counted from its right end, where the shell puts them;
// 0 when the taskbar is hidden or missing.
int VisibleTrayIconCount();
// The slot of the icon at the right end on the screen (empty when there is none).
RECT RightmostTrayIconRect();

// Whether the icon at the right end of the taskbar shows this image, drawn small as the
// shell draws it (icon resource of the program file).
bool RightmostTrayIconShows(const std::string& moduleFile, UINT iconId);

// The callback the shell sends for a mouse message over the icon.
void PostTrayNotify(HWND window, UINT mouseMessage, UINT id = kTrayIconId);

// The pop-up menu window ("#32768") of the process that is open now, else nullptr.
HWND OpenPopupMenu(DWORD processId);
HWND WaitPopupMenu(DWORD processId, unsigned timeoutMs = DefaultTimeoutMs());
bool WaitNoPopupMenu(DWORD processId, unsigned timeoutMs = DefaultTimeoutMs());

// Chooses the item at a position (1-based, separators counted) of an open menu the way a
// user does with the keyboard: Down once per item up to it (a separator is skipped), Return.
// `separators` are the positions of the separators in the menu.
void ChooseMenuPosition(HWND menu, int position, const std::vector<int>& separators);

} // namespace e2e
