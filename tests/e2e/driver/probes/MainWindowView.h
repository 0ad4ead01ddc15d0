#pragma once

// The main window's controls and what a user sees in them at one moment.

#include "probes/ProgramFacts.h"

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace e2e {

struct MainWindowState {
    std::vector<std::string> entries; // as listed
    int selection = -1;               // -1: none
    std::string entryText;            // what the closed list shows
    int saveBox = -1;                 // BST_CHECKED / BST_UNCHECKED
    std::string user;
    std::string password;
    std::string status;
};

MainWindowState ReadMainWindow(HWND window);

// The status line while connected: "已连接N秒钟，合计H小时M分", exactly; empty for any other text.
struct TickText {
    int seconds = 0;
    int hours = 0;
    int minutes = 0;
};
std::optional<TickText> ParseTickText(const std::string& text);
// The status line tells of a connection: the success text, or already a tick.
bool ShowsConnection(const std::string& status);

} // namespace e2e
