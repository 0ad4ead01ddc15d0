#pragma once

// Opening the program's other windows as a user does: the statistics, help, plan and cycles
// windows, and exporting the records through the system's save dialog.

#include "probes/AppProcess.h"
#include "steps/StartSteps.h"

#include <windows.h>

#include <string>

namespace e2e {

// Presses "时间统计" in the main window and waits for the statistics window; nullptr when none
// came. RequireStats ends the case instead.
HWND OpenStats(const App& app, HWND main);
HWND RequireStats(const Started& s);
// The same command as the tray menus send it, for a main window that is not on the screen.
HWND OpenStatsByCommand(const App& app, HWND main);

// Presses "使用帮助" in the main window and waits for the help window; nullptr when none came.
HWND OpenHelp(const App& app, HWND main);

// The statistics window's "套餐设置" and "各期统计": the window each opens, nullptr when none
// came.
HWND OpenPlanFromStats(const App& app, HWND stats);
HWND OpenCycles(const App& app, HWND stats);
// The statistics window's "连接保护": the guards' settings, nullptr when none came.
HWND OpenGuardFromStats(const App& app, HWND stats);

// Presses "导出..." and saves to the path through the system's save dialog; returns the dialog,
// which may still ask about an existing file. Ends the case when no save dialog came.
HWND ExportThroughSaveDialog(const App& app, HWND stats, const std::string& path);

// A modal dialog of the program other than the main window and message boxes.
HWND WaitOwnedDialog(const App& app, HWND main);

} // namespace e2e
