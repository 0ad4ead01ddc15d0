#include "TrayProbe.h"

#include "Text.h"
#include "WindowProbe.h"

#include <algorithm>
#include <cstdlib>
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

// Releases a module loaded as data when the scope ends.
struct DataModule {
    explicit DataModule(const std::string& path)
        : handle(LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {}
    ~DataModule() {
        if (handle) {
            FreeLibrary(handle);
        }
    }
    DataModule(const DataModule&) = delete;
    DataModule& operator=(const DataModule&) = delete;
    HMODULE handle;
};

std::vector<MenuItem> ReadItems(HMENU menu) {
    std::vector<MenuItem> items;
    const int count = GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position) {
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_SUBMENU;
        GetMenuItemInfoA(menu, static_cast<UINT>(position), TRUE, &info);
        MenuItem item;
        item.separator = (info.fType & MFT_SEPARATOR) != 0;
        item.popup = info.hSubMenu != nullptr;
        item.id = item.popup ? 0 : info.wID;
        item.state = info.fState;
        char text[256] = {};
        const int length =
            GetMenuStringA(menu, static_cast<UINT>(position), text, sizeof text, MF_BYPOSITION);
        item.text.assign(text, length > 0 ? static_cast<size_t>(length) : 0);
        items.push_back(item);
    }
    return items;
}

// Mean difference per colour channel of `small` against `big` at an offset.
double DifferenceAt(const Pixels& big, const Pixels& small, int dx, int dy) {
    if (small.data.empty() || dx + small.width > big.width || dy + small.height > big.height) {
        return std::numeric_limits<double>::max();
    }
    double sum = 0;
    for (int y = 0; y < small.height; ++y) {
        for (int x = 0; x < small.width; ++x) {
            const unsigned a = big.At(x + dx, y + dy);
            const unsigned b = small.At(x, y);
            for (int shift = 0; shift < 24; shift += 8) {
                sum += std::abs(static_cast<int>((a >> shift) & 0xFF) -
                                static_cast<int>((b >> shift) & 0xFF));
            }
        }
    }
    return sum / (3.0 * small.width * small.height);
}

// Reads a 16-bit string or ordinal field of a dialog template; returns the string.
std::wstring ReadTemplateField(const WORD*& at) {
    std::wstring text;
    if (*at == 0xFFFF) {
        at += 2;
    } else {
        while (*at) {
            text += static_cast<wchar_t>(*at++);
        }
        ++at;
    }
    return text;
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
    if (!module.handle) {
        return false;
    }
    const int small = GetSystemMetrics(SM_CXSMICON);
    const unsigned background = shown.At(0, 0);
    double best = std::numeric_limits<double>::max();
    // The shell may shrink the large image or use the small one of the resource.
    for (int size : {GetSystemMetrics(SM_CXICON), small}) {
        HICON icon = static_cast<HICON>(
            LoadImageA(module.handle, MAKEINTRESOURCEA(iconId), IMAGE_ICON, size, size, 0));
        if (!icon) {
            continue;
        }
        const Pixels drawn = RenderIcon(icon, small, small, background);
        DestroyIcon(icon);
        for (int dy = 0; dy + small <= shown.height; ++dy) {
            for (int dx = 0; dx + small <= shown.width; ++dx) {
                best = std::min(best, DifferenceAt(shown, drawn, dx, dy));
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
    HWND menu = nullptr;
    WaitUntil(
        [&] {
            menu = OpenPopupMenu(processId);
            return menu != nullptr;
        },
        timeoutMs);
    return menu;
}

bool WaitNoPopupMenu(DWORD processId, unsigned timeoutMs) {
    return WaitUntil([&] { return OpenPopupMenu(processId) == nullptr; }, timeoutMs);
}

void PressMenuKey(HWND menu, UINT virtualKey) {
    const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(virtualKey, 0)) << 16;
    PostMessageA(menu, WM_KEYDOWN, virtualKey, scan | 1);
    PostMessageA(menu, WM_KEYUP, virtualKey, scan | 1 | (1u << 30) | (1u << 31));
}

void ChooseMenuPosition(HWND menu, int position, const std::vector<int>& separators) {
    for (int at = 1; at <= position; ++at) {
        if (std::find(separators.begin(), separators.end(), at) == separators.end()) {
            PressMenuKey(menu, VK_DOWN);
        }
    }
    PressMenuKey(menu, VK_RETURN);
}

std::optional<MenuResource> ReadMenuResource(const std::string& moduleFile, UINT menuId) {
    DataModule module(moduleFile);
    if (!module.handle) {
        return std::nullopt;
    }
    HMENU menu = LoadMenuA(module.handle, MAKEINTRESOURCEA(menuId));
    if (!menu) {
        return std::nullopt;
    }
    MenuResource resource;
    resource.top = ReadItems(menu);
    if (HMENU popup = GetSubMenu(menu, 0)) {
        resource.popupItems = ReadItems(popup);
        resource.defaultItem = static_cast<int>(GetMenuDefaultItem(popup, TRUE, 0));
    }
    DestroyMenu(menu);
    return resource;
}

std::string DialogTemplateCaption(const std::string& moduleFile, UINT dialogId) {
    DataModule module(moduleFile);
    if (!module.handle) {
        return {};
    }
    HRSRC found = FindResourceA(module.handle, MAKEINTRESOURCEA(dialogId), RT_DIALOG);
    HGLOBAL loaded = found ? LoadResource(module.handle, found) : nullptr;
    const auto* words = loaded ? static_cast<const WORD*>(LockResource(loaded)) : nullptr;
    if (!words) {
        return {};
    }
    // DIALOGEX starts with version 1 and 0xFFFF; both kinds then hold the menu, the class and
    // the caption after their fixed part.
    const bool extended = words[0] == 1 && words[1] == 0xFFFF;
    const WORD* at = words + (extended ? 13 : 9);
    ReadTemplateField(at); // menu
    ReadTemplateField(at); // class
    return Narrow(ReadTemplateField(at));
}

bool RunningUnderWine() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

bool SessionEndDisabled() {
    std::string overrides = GetEnv("WINEDLLOVERRIDES");
    for (char& c : overrides) {
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    }
    return RunningUnderWine() && overrides.find("wineboot.exe=d") != std::string::npos;
}

} // namespace e2e
