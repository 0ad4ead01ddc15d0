#include "probes/WindowProbe.h"

#include "Text.h"
#include "Wait.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <functional>

namespace e2e {
namespace {

bool SendW(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* result) {
    return SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, ScaledMs(5000),
                               result) != 0;
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM param) {
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
    return TRUE;
}

POINT Centre(HWND control) {
    RECT rect{};
    GetClientRect(control, &rect);
    return {(rect.right - rect.left) / 2, (rect.bottom - rect.top) / 2};
}

} // namespace

bool SendTo(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* result) {
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, ScaledMs(5000),
                               result ? result : &ignored) != 0;
}

LRESULT Ask(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    SendTo(window, message, wParam, lParam, &result);
    return static_cast<LRESULT>(result);
}

std::vector<HWND> TopWindows(const std::function<bool(HWND)>& which) {
    std::vector<HWND> all;
    EnumDesktopWindows(GetThreadDesktop(GetCurrentThreadId()), CollectWindow,
                       reinterpret_cast<LPARAM>(&all));
    all.erase(std::remove_if(all.begin(), all.end(), [&](HWND w) { return !which(w); }), all.end());
    return all;
}

std::vector<HWND> TopWindowsOf(DWORD processId, const std::string& className, bool visibleOnly) {
    return TopWindows([&](HWND window) {
        return ProcessOf(window) == processId && (!visibleOnly || IsWindowVisible(window)) &&
               (className.empty() || ClassNameOf(window) == className);
    });
}

std::vector<HWND> ChildWindowsOf(HWND parent) {
    std::vector<HWND> all;
    EnumChildWindows(parent, CollectWindow, reinterpret_cast<LPARAM>(&all));
    return all;
}

DWORD ProcessOf(HWND window) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    return processId;
}

std::string WindowText(HWND window) {
    DWORD_PTR length = 0;
    if (!window || !SendTo(window, WM_GETTEXTLENGTH, 0, 0, &length)) {
        return {};
    }
    // The length is in ANSI bytes for an ANSI caller, but leave room for a larger answer; the
    // text may also grow between the two questions, so a full buffer is asked again, larger.
    std::string text(std::max<size_t>(length * 2 + 2, 256), '\0');
    for (;;) {
        DWORD_PTR copied = 0;
        if (!SendTo(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                    &copied)) {
            return {};
        }
        if (copied + 2 < text.size()) {
            text.resize(copied);
            return text;
        }
        text.assign(text.size() * 2, '\0');
    }
}

std::string ClassNameOf(HWND window) {
    char name[256] = {};
    const int length = GetClassNameA(window, name, sizeof name);
    return std::string(name, length > 0 ? static_cast<size_t>(length) : 0);
}

HWND Item(HWND dialog, int id) {
    return dialog ? GetDlgItem(dialog, id) : nullptr;
}

int ItemId(HWND control) {
    return control ? GetDlgCtrlID(control) : 0;
}

bool IsEnabled(HWND window) {
    return window && IsWindowEnabled(window);
}

LONG StyleOf(HWND window) {
    return GetWindowLongA(window, GWL_STYLE);
}

LONG ExStyleOf(HWND window) {
    return GetWindowLongA(window, GWL_EXSTYLE);
}

RECT ScreenRect(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

RECT RectInClient(HWND dialog, HWND control) {
    RECT rect = ScreenRect(control);
    MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

int CheckState(HWND button) {
    DWORD_PTR state = 0;
    return button && SendTo(button, BM_GETCHECK, 0, 0, &state) ? static_cast<int>(state) : -1;
}

std::vector<std::string> ComboItems(HWND combo) {
    // The ANSI item messages come back from another process as UTF-16 with a UTF-16 length,
    // so ask in Unicode and convert.
    std::vector<std::string> items;
    DWORD_PTR count = 0;
    if (!combo || !SendW(combo, CB_GETCOUNT, 0, 0, &count) || static_cast<LRESULT>(count) < 0) {
        return items;
    }
    for (DWORD_PTR i = 0; i < count; ++i) {
        DWORD_PTR length = 0;
        SendW(combo, CB_GETLBTEXTLEN, i, 0, &length);
        if (static_cast<LRESULT>(length) < 0) {
            items.emplace_back();
            continue;
        }
        std::wstring text(length + 1, L'\0');
        DWORD_PTR copied = 0;
        SendW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()), &copied);
        text.resize(static_cast<LRESULT>(copied) < 0 ? 0 : std::min<size_t>(copied, length));
        items.push_back(Narrow(text));
    }
    return items;
}

int ComboSelection(HWND combo) {
    DWORD_PTR index = static_cast<DWORD_PTR>(-1);
    if (!combo || !SendTo(combo, CB_GETCURSEL, 0, 0, &index)) {
        return -2;
    }
    return static_cast<int>(static_cast<LRESULT>(index));
}

HWND FocusedWindow(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    const DWORD thread = GetWindowThreadProcessId(window, nullptr);
    return thread && GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
}

HWND NextTabItem(HWND dialog, HWND control) {
    return GetNextDlgTabItem(dialog, control, FALSE);
}

bool MoveTo(HWND window, LONG left, LONG top) {
    SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return WaitUntil([&] {
        const RECT at = ScreenRect(window);
        return at.left == left && at.top == top;
    });
}

void PressButton(HWND button) {
    PostMessageA(button, BM_CLICK, 0, 0);
}

void ClickControl(HWND control) {
    const POINT at = Centre(control);
    PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    PostMessageA(control, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
}

bool SetWindowTextTo(HWND window, const std::string& text) {
    DWORD_PTR result = 0;
    return SendTo(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), &result) && result;
}

void TypeText(HWND control, const std::string& text) {
    for (wchar_t c : Widen(text)) {
        PostMessageW(control, WM_CHAR, c, 1);
    }
}

void PressKey(HWND control, UINT virtualKey) {
    const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(virtualKey, 0)) << 16;
    PostMessageA(control, WM_KEYDOWN, virtualKey, scan | 1);
    PostMessageA(control, WM_KEYUP, virtualKey, scan | 1 | (1u << 30) | (1u << 31));
}

bool ChooseComboItem(HWND dialog, int comboId, int index) {
    HWND combo = Item(dialog, comboId);
    if (!combo || !SendTo(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0)) {
        return false;
    }
    return SendTo(dialog, WM_COMMAND, MAKEWPARAM(comboId, CBN_SELCHANGE),
                  reinterpret_cast<LPARAM>(combo));
}

namespace {

// A 32-bit top-down picture of the given size, drawn by `draw` into a memory DC over the
// picture's bits; empty when drawing fails.
Pixels DrawPicture(int width, int height, const std::function<bool(HDC, unsigned*)>& draw) {
    Pixels pixels;
    if (width <= 0 || height <= 0) {
        return pixels;
    }
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap && bits) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        auto* data = static_cast<unsigned*>(bits);
        if (draw(memory, data)) {
            GdiFlush();
            pixels.width = width;
            pixels.height = height;
            pixels.data.reserve(static_cast<size_t>(width) * height);
            for (int i = 0; i < width * height; ++i) {
                pixels.data.push_back(data[i] & 0xFFFFFFu);
            }
        }
        SelectObject(memory, old);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

} // namespace

Pixels CaptureScreen(const RECT& rect) {
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    return DrawPicture(width, height, [&](HDC memory, unsigned*) {
        HDC screen = GetDC(nullptr);
        const BOOL copied =
            BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
        ReleaseDC(nullptr, screen);
        return copied != FALSE;
    });
}

double MeanDifference(const Pixels& big, const Pixels& small, int dx, int dy) {
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

bool WaitUntilPainted(HWND window, unsigned timeoutMs) {
    constexpr DWORD kQuietMs = 150;
    // Sent, so the window's thread handles its pending WM_PAINT before this returns.
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    Pixels last;
    DWORD sameSince = GetTickCount();
    return WaitUntil(
        [&] {
            Pixels now = CaptureScreen(ScreenRect(window));
            if (now.data.empty() || now.width != last.width || now.height != last.height ||
                now.data != last.data) {
                last = std::move(now);
                sameSince = GetTickCount();
                return false;
            }
            return GetTickCount() - sameSince >= kQuietMs;
        },
        timeoutMs);
}

bool WaitGone(HWND window) {
    return WaitUntil([&] { return !IsWindow(window); });
}

Pixels RenderIcon(HICON icon, int width, int height, unsigned background, bool naturalSize) {
    return DrawPicture(width, height, [&](HDC memory, unsigned* bits) {
        std::fill(bits, bits + width * height, background);
        DrawIconEx(memory, 0, 0, icon, naturalSize ? 0 : width, naturalSize ? 0 : height, 0,
                   nullptr, DI_NORMAL);
        return true;
    });
}

} // namespace e2e
