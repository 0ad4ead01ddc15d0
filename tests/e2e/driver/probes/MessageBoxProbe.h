#pragma once

// Message boxes shown by another process: caption, text, buttons and icon as a user sees them.

#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

enum class BoxIcon { None, Information, Question, Warning, Error, Other };
const char* BoxIconName(BoxIcon icon);
// Lets failed checks print an icon by name.
std::string Describe(BoxIcon icon);

struct MessageBoxView {
    HWND window = nullptr;
    HWND owner = nullptr;
    std::string caption;
    std::string text;
    std::vector<int> buttons; // visible button ids in increasing order: 1 OK, 2 Cancel, 6, 7
    BoxIcon icon = BoxIcon::None;
};

// True for a dialog that is a message box: a "#32770" window with a message text static and
// at least one visible standard button, and none of the main window's controls.
bool LooksLikeMessageBox(HWND window);

MessageBoxView ReadMessageBox(HWND box);

// Answers the box with the button (posted click); returns false when there is no such button.
bool AnswerMessageBox(HWND box, int buttonId);

} // namespace e2e
