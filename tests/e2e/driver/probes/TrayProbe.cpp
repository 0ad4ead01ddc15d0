#include "probes/TrayProbe.h"

#include "probes/ProgramFile.h"
#include "probes/WindowProbe.h"
#include "Text.h"

#include <algorithm>
#include <limits>

namespace e2e {
namespace {

// The shell keeps this much room around each small icon (Wine's explorer: 2 pixels a side).
constexpr int kIconBorder = 2;
// Mean difference per colour channel below which two small pictures count as the same.
constexpr double kSameImage = 12.0;

int IconSlotWidth() {
    return GetSystemMetrics(SM_CXSMICON) + 2 * kIconBorder;
}

HWND VisibleTaskbar() {
    HWND taskbar = FindWindowA("Shell_TrayWnd", nullptr);
    return taskbar && IsWindowVisible(taskbar) ? taskbar : nullptr;
}

// A slot the shell has drawn nothing into is a single colour.
bool SlotUsed(const Pixels& bar, int left, int width) {
    const unsigned first = bar.At(left, 0);
    for (int y = 0; y < bar.height; ++y) {
        for (int x = left; x < left + width && x < bar.width; ++x) {
            if (bar.At(x, y) != first) {
                return true;
            }
        }
    }
    return false;
}

} // namespace

int VisibleTrayIconCount() {
    HWND taskbar = VisibleTaskbar();
    if (!taskbar) {
        return 0;
    }
    const Pixels bar = CaptureScreen(ScreenRect(taskbar));
    if (bar.data.empty()) {
        return 0;
    }
    const int slot = IconSlotWidth();
    int count = 0;
    for (int right = bar.width; right - slot >= 0 && SlotUsed(bar, right - slot, slot);
         right -= slot) {
        ++count;
    }
    return count;
}

RECT RightmostTrayIconRect() {
    HWND taskbar = VisibleTaskbar();
    if (!taskbar) {
        return {};
    }
    RECT rect = ScreenRect(taskbar);
    rect.left = rect.right - IconSlotWidth();
    return rect;
}

bool RightmostTrayIconShows(const std::string& moduleFile, UINT iconId) {
    const RECT slot = RightmostTrayIconRect();
    const Pixels shown = CaptureScreen(slot);
    if (shown.data.empty()) {
        return false;
    }
    DataModule module(moduleFile);
    if (!module.Handle()) {
        return false;
    }
    const int small = GetSystemMetrics(SM_CXSMICON);
    const unsigned background = shown.At(0, 0);
    double best = std::numeric_limits<double>::max();
    // The shell may shrink the large image or use the small one of the resource.
    for (int size : {GetSystemMetrics(SM_CXICON), small}) {
        HICON icon = static_cast<HICON>(
            LoadImageA(module.Handle(), MAKEINTRESOURCEA(iconId), IMAGE_ICON, size, size, 0));
        if (!icon) {
            continue;
        }
        const Pixels drawn = RenderIcon(icon, small, small, background);
        DestroyIcon(icon);
        for (int dy = 0; dy + small <= shown.height; ++dy) {
            for (int dx = 0; dx + small <= shown.width; ++dx) {
                best = std::min(best, MeanDifference(shown, drawn, dx, dy));
            }
        }
    }
    return best < kSameImage;
}

void PostTrayNotify(HWND window, UINT mouseMessage, UINT id) {
    PostMessageA(window, kTrayNotifyMessage, id, static_cast<LPARAM>(mouseMessage));
}

HWND OpenPopupMenu(DWORD processId) {
    const std::vector<HWND> menus = TopWindowsOf(processId, "#32768");
    return menus.empty() ? nullptr : menus.front();
}

HWND WaitPopupMenu(DWORD processId, unsigned timeoutMs) {
    return WaitFor([&] { return OpenPopupMenu(processId); }, timeoutMs);
}

bool WaitNoPopupMenu(DWORD processId, unsigned timeoutMs) {
    return WaitUntil([&] { return OpenPopupMenu(processId) == nullptr; }, timeoutMs);
}

void ChooseMenuPosition(HWND menu, int position, const std::vector<int>& separators) {
    for (int at = 1; at <= position; ++at) {
        if (std::find(separators.begin(), separators.end(), at) == separators.end()) {
            PressKey(menu, VK_DOWN);
        }
    }
    PressKey(menu, VK_RETURN);
}

} // namespace e2e
