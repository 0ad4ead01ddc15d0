#pragma once

// Screenshots through the shell script's watcher: the driver cannot run the X tools itself, so
// it writes NAME.request into E2E_SHOT_DIR and waits for the watcher to write NAME.png.

#include <windows.h>

#include <string>

namespace e2e {

// A PNG of the whole screen, or of the window's rectangle when a window is given. Returns the
// file's path, or empty when there is no watcher or it did not answer in time.
std::string TakeScreenshot(const std::string& name, HWND window = nullptr);
// The same for a check: true when the picture was taken, or when no watcher runs at all.
bool ScreenshotTaken(const std::string& name, HWND window = nullptr);

} // namespace e2e
