#include "WindowProbe.h"

#include "Text.h"
#include "Wait.h"

#include <algorithm>
#include <functional>

namespace e2e {
namespace {

constexpr UINT kSendTimeoutMs = 5000;

bool Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* result = nullptr) {
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                               result ? result : &ignored) != 0;
}

bool SendW(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* result) {
    return SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                               result) != 0;
}

struct EnumState {
    DWORD processId;
    std::string className;
    bool visibleOnly;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM param) {
    auto* state = reinterpret_cast<EnumState*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != state->processId) {
        return TRUE;
    }
    if (state->visibleOnly && !IsWindowVisible(window)) {
        return TRUE;
    }
    if (!state->className.empty() && ClassNameOf(window) != state->className) {
        return TRUE;
    }
    state->found.push_back(window);
    return TRUE;
}

POINT Centre(HWND control) {
    RECT rect{};
    GetClientRect(control, &rect);
    return {(rect.right - rect.left) / 2, (rect.bottom - rect.top) / 2};
}

} // namespace

std::vector<HWND> TopWindowsOf(DWORD processId, const std::string& className, bool visibleOnly) {
    EnumState state{processId, className, visibleOnly, {}};
    EnumDesktopWindows(GetThreadDesktop(GetCurrentThreadId()), CollectWindow,
                       reinterpret_cast<LPARAM>(&state));
    return state.found;
}

std::string WindowText(HWND window) {
    DWORD_PTR length = 0;
    if (!window || !Send(window, WM_GETTEXTLENGTH, 0, 0, &length)) {
        return {};
    }
    // The length is in ANSI bytes for an ANSI caller, but leave room for a larger answer; the
    // text may also grow between the two questions, so a full buffer is asked again, larger.
    std::string text(std::max<size_t>(length * 2 + 2, 256), '\0');
    for (;;) {
        DWORD_PTR copied = 0;
        if (!Send(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
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

bool IsShown(HWND window) {
    return window && (StyleOf(window) & WS_VISIBLE) != 0;
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
    return button && Send(button, BM_GETCHECK, 0, 0, &state) ? static_cast<int>(state) : -1;
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
    if (!combo || !Send(combo, CB_GETCURSEL, 0, 0, &index)) {
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
    return Send(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), &result) && result;
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
    if (!combo || !Send(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0)) {
        return false;
    }
    return Send(dialog, WM_COMMAND, MAKEWPARAM(comboId, CBN_SELCHANGE),
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

RECT DialogUnits::ToUnits(const RECT& pixels) const {
    RECT units{};
    if (baseX > 0 && baseY > 0) {
        units.left = MulDiv(pixels.left, 4, baseX);
        units.top = MulDiv(pixels.top, 8, baseY);
        units.right = MulDiv(pixels.right, 4, baseX);
        units.bottom = MulDiv(pixels.bottom, 8, baseY);
    }
    return units;
}

DialogUnits SimSunDialogUnits() {
    DialogUnits units;
    HDC screen = GetDC(nullptr);
    LOGFONTA font{};
    font.lfHeight = -MulDiv(9, GetDeviceCaps(screen, LOGPIXELSY), 72);
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    lstrcpyA(font.lfFaceName, "宋体");
    HFONT handle = CreateFontIndirectA(&font);
    HGDIOBJ old = SelectObject(screen, handle);
    TEXTMETRICA metrics{};
    SIZE size{};
    static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    if (GetTextMetricsA(screen, &metrics) &&
        GetTextExtentPoint32A(screen, kAlphabet, sizeof kAlphabet - 1, &size)) {
        units.baseX = (size.cx / 26 + 1) / 2;
        units.baseY = metrics.tmHeight;
    }
    SelectObject(screen, old);
    DeleteObject(handle);
    ReleaseDC(nullptr, screen);
    return units;
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
