#pragma once

// Reading and driving another process's windows the way a user would see and touch them.
// Texts are ANSI (code page 936) as the program shows them.

#include "Wait.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace e2e {

// Top-level windows of the desktop that `which` takes.
std::vector<HWND> TopWindows(const std::function<bool(HWND)>& which);
// Top-level windows of the desktop that belong to the process, with the given class
// ("" for any); visible ones only unless asked otherwise.
std::vector<HWND> TopWindowsOf(DWORD processId, const std::string& className = "",
                               bool visibleOnly = true);
// Every descendant of the window, parents before their children.
std::vector<HWND> ChildWindowsOf(HWND parent);
// The process the window belongs to.
DWORD ProcessOf(HWND window);

// A message sent to another process's window and answered in time (it gives up on a hung
// window); the answer goes to `result` when given.
bool SendTo(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0,
            DWORD_PTR* result = nullptr);
// The answer of SendTo, 0 when there was none.
LRESULT Ask(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

std::string WindowText(HWND window);
std::string ClassNameOf(HWND window);
HWND Item(HWND dialog, int id);
int ItemId(HWND control);
bool IsEnabled(HWND window);
LONG StyleOf(HWND window);
LONG ExStyleOf(HWND window);
RECT ScreenRect(HWND window);
// The control's rectangle relative to the dialog's client area.
RECT RectInClient(HWND dialog, HWND control);
int CheckState(HWND button); // BST_UNCHECKED, BST_CHECKED, or -1 when it did not answer

// Combo box items and selection (-1 = none) as shown.
std::vector<std::string> ComboItems(HWND combo);
int ComboSelection(HWND combo);

// The window that has the keyboard focus in the thread that owns `window`.
HWND FocusedWindow(HWND window);
// The window after `control` in the dialog's tab order.
HWND NextTabItem(HWND dialog, HWND control);

// Moves a top-level window to a spot of the screen and waits until it stands there.
bool MoveTo(HWND window, LONG left, LONG top);

// Push buttons: a posted BM_CLICK, as the keyboard or a click does. Does not wait.
void PressButton(HWND button);
// A left click in the middle of the control (mouse down and up posted), as a user does;
// check boxes toggle and report BN_CLICKED to their parent.
void ClickControl(HWND control);
// Replaces an edit's text (no notification a user could not also cause by pasting).
bool SetWindowTextTo(HWND window, const std::string& text);
// Types the text into the control, one character message per character.
void TypeText(HWND control, const std::string& text);
// A key pressed and released in the control (posted to it).
void PressKey(HWND control, UINT virtualKey);
// Chooses a combo item as a user's choice arrives at the dialog: selection then
// CBN_SELCHANGE to the owner. Returns once the dialog has handled it.
bool ChooseComboItem(HWND dialog, int comboId, int index);

// Pixels of the window as they are on the screen, 32-bit BGRA rows top-down; empty when
// the screen could not be read.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<unsigned> data; // 0x00RRGGBB
    unsigned At(int x, int y) const { return data[static_cast<size_t>(y) * width + x]; }
};
Pixels CaptureScreen(const RECT& rect);

// An icon drawn at the top-left of a picture of the given size on a background colour,
// stretched to the picture or at its own size.
Pixels RenderIcon(HICON icon, int width, int height, unsigned background, bool naturalSize = false);

// Mean difference per colour channel, 0 (same) ... 255, of `small` against `big` at an offset;
// the largest double when `small` is empty or does not fit.
double MeanDifference(const Pixels& big, const Pixels& small, int dx = 0, int dy = 0);

// Lets the window's thread paint what is pending and waits until the window's pixels on the
// screen stay the same for a moment (another process's drawing reaches the screen late).
// Returns whether they settled before the deadline.
bool WaitUntilPainted(HWND window, unsigned timeoutMs = ScaledMs(3000));

// Waits until the window is destroyed (a dialog ended, a message box answered).
bool WaitGone(HWND window);

} // namespace e2e
