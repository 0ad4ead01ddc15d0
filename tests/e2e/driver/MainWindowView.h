#pragma once

// The main window's controls and what a user sees in them at one moment.

#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

namespace ids {
inline constexpr int kEntry = 1000;
inline constexpr int kUser = 1001;
inline constexpr int kPassword = 1002;
inline constexpr int kStatus = 1003;
inline constexpr int kSaveBox = 1005;
inline constexpr int kStatistics = 1006;
inline constexpr int kHangUp = 1007;
inline constexpr int kDial = 1008;
inline constexpr int kHelp = 1044;
inline constexpr int kLabel = 0xFFFF; // statics without an id
} // namespace ids

inline constexpr const char* kReadyText = "准备就绪，等待连接...";

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

} // namespace e2e
