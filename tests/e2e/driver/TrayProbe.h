#pragma once

// The program's notification-area icon and its pop-up menus, seen and driven from outside:
// whether the shell holds the icon, how many icons the taskbar draws, the tray callback as
// the shell sends it, the open pop-up menu, and the menus as the program file holds them.

#include "TrayIconProbe.h"
#include "Wait.h"

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace e2e {

inline constexpr UINT kTrayNotifyMessage = 0x8064; // WM_APP + 100
inline constexpr UINT kIdleTrayMenu = 136;
inline constexpr UINT kConnectedTrayMenu = 138;

namespace tray_ids {
inline constexpr UINT kShowMain = 32771;
inline constexpr UINT kExit = 32772;
inline constexpr UINT kShutDown = 32773;
inline constexpr UINT kRestart = 32774;
inline constexpr UINT kShowAndDial = 32776;
} // namespace tray_ids

// True while the shell of this thread's desktop holds an icon of the window with the id.
inline bool TrayIconPresent(HWND window, UINT id = kTrayIconId) {
    return TrayIconExists(window, id);
}

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

// A key pressed and released, posted to an open pop-up menu.
void PressMenuKey(HWND menu, UINT virtualKey);
// Chooses the item at a position (1-based, separators counted) of an open menu the way a
// user does with the keyboard: Down once per item up to it (a separator is skipped), Return.
// `separators` are the positions of the separators in the menu.
void ChooseMenuPosition(HWND menu, int position, const std::vector<int>& separators);

// Tray menus as laid out in the program file.
inline const std::vector<int> kTrayMenuSeparators{2, 5, 8, 10};

// A menu resource read from the program file: the top-level entries and, for the first
// pop-up, its items.
struct MenuItem {
    UINT id = 0;      // 0 for a separator
    std::string text; // "" for a separator
    bool separator = false;
    bool popup = false;
    UINT state = 0; // MFS_* of the item
};
struct MenuResource {
    std::vector<MenuItem> top;
    std::vector<MenuItem> popupItems; // of the first top-level entry, when it is a pop-up
    int defaultItem = -1;             // of the pop-up: GetMenuDefaultItem by position
};
std::optional<MenuResource> ReadMenuResource(const std::string& moduleFile, UINT menuId);

// The caption of a dialog template in the program file (empty when there is none).
std::string DialogTemplateCaption(const std::string& moduleFile, UINT dialogId);

// Under Wine (ntdll exports wine_get_version). Cases that end the session or choose items of
// the tray menu by position refuse to run anywhere else.
bool RunningUnderWine();
// True when programs started from this driver cannot end the Wine session: ExitWindowsEx
// starts wineboot, which the run script disables for the main run.
bool SessionEndDisabled();

} // namespace e2e
