#include "probes/Screenshot.h"

#include "probes/WindowProbe.h"
#include "Text.h"
#include "Wait.h"

#include <algorithm>

namespace e2e {

std::string TakeScreenshot(const std::string& name, HWND window) {
    const std::string folder = GetEnv("E2E_SHOT_DIR");
    if (folder.empty()) {
        return {};
    }
    const std::string base = JoinPath(folder, name);
    const std::string png = base + ".png";
    const std::string failed = base + ".failed";
    DeleteFileA(png.c_str());
    DeleteFileA(failed.c_str());

    std::string crop;
    if (window) {
        WaitUntilPainted(window);
        const RECT rect = ScreenRect(window);
        const LONG left = std::max<LONG>(rect.left, 0), top = std::max<LONG>(rect.top, 0);
        crop = std::to_string(rect.right - left) + "x" + std::to_string(rect.bottom - top) + "+" +
               std::to_string(left) + "+" + std::to_string(top);
    }
    // Written under another name and renamed, so the watcher never reads half a request.
    const std::string partial = base + ".request-partial";
    if (!WriteFileBytes(partial, crop + "\n") ||
        !MoveFileExA(partial.c_str(), (base + ".request").c_str(), MOVEFILE_REPLACE_EXISTING)) {
        return {};
    }
    const bool done = WaitUntil([&] { return FileExists(png) || FileExists(failed); });
    return done && FileExists(png) ? png : std::string();
}

bool ScreenshotTaken(const std::string& name, HWND window) {
    return !TakeScreenshot(name, window).empty() || GetEnv("E2E_SHOT_DIR").empty();
}

} // namespace e2e
