#include "probes/DialogProbe.h"

#include "probes/AppProcess.h"
#include "probes/Desktop.h"
#include "probes/ProgramFacts.h"
#include "probes/ProgramFile.h"
#include "probes/RemoteProcess.h"
#include "probes/WindowProbe.h"
#include "TestRunner.h"

#include <algorithm>
#include <cstdio>

namespace e2e {
namespace {

constexpr const char* kDialogFace = "宋体";
constexpr int kDialogPoints = 9;

// A static without an id reads as 0xFFFF from a DIALOG template and as -1 from a DIALOGEX one.
bool SameId(int actual, int expected) {
    return (actual & 0xFFFF) == (expected & 0xFFFF);
}

int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

// Where a window of this size stands when centred over `over` and kept inside the work area.
POINT CentredPosition(const RECT& window, const RECT& over) {
    const RECT area = WorkArea();
    const LONG width = window.right - window.left;
    const LONG height = window.bottom - window.top;
    LONG left = (over.left + over.right) / 2 - width / 2;
    LONG top = (over.top + over.bottom) / 2 - height / 2;
    left = std::max(area.left, std::min(left, area.right - width));
    top = std::max(area.top, std::min(top, area.bottom - height));
    return {left, top};
}

} // namespace

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
    font.lfHeight = -MulDiv(kDialogPoints, GetDeviceCaps(screen, LOGPIXELSY), 72);
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    lstrcpyA(font.lfFaceName, kDialogFace);
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

std::string Units(const RECT& r) {
    char text[64];
    std::snprintf(text, sizeof text, "(%ld, %ld, %ld, %ld)", r.left, r.top, r.right, r.bottom);
    return text;
}

bool Near(LONG actual, LONG expected) {
    return actual - expected <= 1 && expected - actual <= 1;
}

void CheckClientSize(HWND dialog, LONG width, LONG height) {
    const DialogUnits units = SimSunDialogUnits();
    REQUIRE(units.baseX > 0 && units.baseY > 0);
    RECT client{};
    GetClientRect(dialog, &client);
    const RECT size = units.ToUnits(client);
    CHECK_MSG(Near(size.right, width) && Near(size.bottom, height), "client area " + Units(size));
}

void CheckControls(HWND dialog, const std::vector<ExpectedControl>& expected) {
    const DialogUnits units = SimSunDialogUnits();
    REQUIRE(units.baseX > 0 && units.baseY > 0);
    std::vector<HWND> children;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (GetParent(child) == dialog) {
            children.push_back(child);
        }
    }
    REQUIRE_EQ(children.size(), expected.size());
    for (size_t i = 0; i < children.size(); ++i) {
        const ExpectedControl& wanted = expected[i];
        HWND child = children[i];
        const std::string where =
            "child " + std::to_string(i) + " (id " + std::to_string(ItemId(child)) + ")";
        CHECK_MSG(SameId(ItemId(child), wanted.id),
                  where + ": expected id " + std::to_string(wanted.id));
        CHECK_MSG(ClassNameOf(child) == wanted.className, where + ": class " + ClassNameOf(child));
        if (wanted.text) {
            CHECK_MSG(WindowText(child) == wanted.text,
                      where + ": text " + Describe(WindowText(child)));
        }
        CHECK_MSG(IsWindowVisible(child), where + ": hidden");
        if (wanted.tabStop != TabStop::Unchecked) {
            const bool tabStop = (StyleOf(child) & WS_TABSTOP) != 0;
            CHECK_MSG(tabStop == (wanted.tabStop == TabStop::Yes),
                      where + (tabStop ? ": a tab stop" : ": no tab stop"));
        }
        const RECT actual = units.ToUnits(RectInClient(dialog, child));
        const bool placed = Near(actual.left, wanted.units.left) &&
                            Near(actual.top, wanted.units.top) &&
                            Near(actual.right, wanted.units.right) &&
                            (wanted.units.bottom == 0 || Near(actual.bottom, wanted.units.bottom));
        CHECK_MSG(placed, where + ": at " + Units(actual) + ", expected " + Units(wanted.units));
    }
}

void CheckDialogFont(HWND dialog, unsigned templateId) {
    const std::optional<LOGFONTA> font = ReadWindowFont(dialog);
    // Fails the check, not the case: the layout and what follows are still worth seeing.
    CHECK_MSG(font.has_value(), "the dialog's font could not be read");
    if (!font) {
        return;
    }
    CHECK_EQ(std::string(font->lfFaceName), kDialogFace);
    CHECK_EQ(font->lfHeight, -MulDiv(kDialogPoints, ScreenDpi(), 72));
    CHECK_EQ(font->lfWeight, FW_NORMAL);
    if (RunningUnderWine() && font->lfCharSet == DEFAULT_CHARSET) {
        const std::optional<DialogTemplate> made = ReadDialogTemplate(AppPath(), templateId);
        REQUIRE_MSG(made.has_value(), "no dialog template " + std::to_string(templateId));
        CHECK_EQ(made->charset, GB2312_CHARSET);
    } else {
        CHECK_EQ(static_cast<int>(font->lfCharSet), GB2312_CHARSET);
    }
}

void CheckModalLayout(HWND dialog, HWND owner, const DialogLayout& layout) {
    CheckModalOver(dialog, owner);
    CheckClientSize(dialog, layout.width, layout.height);
    CheckControls(dialog, layout.controls);
    CheckDialogFont(dialog, layout.templateId);
    CHECK_EQ(ItemId(FocusedWindow(dialog)), layout.focusId);
}

HWND OpenAwayFromTheCorner(HWND main, const std::function<HWND()>& open) {
    REQUIRE(MoveTo(main, 420, 260));
    HWND dialog = open();
    REQUIRE_MSG(dialog != nullptr, "the window did not open");
    return dialog;
}

void CheckModalOver(HWND dialog, HWND owner) {
    const LONG style = StyleOf(dialog);
    CHECK_MSG((style & WS_POPUP) && (style & WS_CAPTION) == WS_CAPTION && (style & WS_SYSMENU),
              "style " + std::to_string(style));
    CHECK_MSG(!(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)), "resizable");
    CHECK_MSG(ExStyleOf(dialog) & WS_EX_DLGMODALFRAME, "no modal frame");
    // Owned by the window it was opened from, which waits disabled until the dialog ends.
    CHECK_EQ(GetWindow(dialog, GW_OWNER), owner);
    CHECK(!IsEnabled(owner));
    CheckCentredOver(dialog, ScreenRect(owner), "over its owner");
}

void CheckCentredOver(HWND window, const RECT& over, const std::string& context) {
    const RECT actual = ScreenRect(window);
    const POINT expected = CentredPosition(actual, over);
    CHECK_MSG(Near(actual.left, expected.x) && Near(actual.top, expected.y),
              context + ": at " + Units(actual) + ", expected its corner at (" +
                  std::to_string(expected.x) + ", " + std::to_string(expected.y) + ")");
}

RECT WorkArea() {
    RECT area{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    return area;
}

bool CloseByBackButton(HWND dialog) {
    PressButton(Item(dialog, ids::kReturn));
    return WaitGone(dialog);
}

WayToEnd ByBackButton() {
    return {"the back button", [](HWND dialog) { PressButton(Item(dialog, ids::kReturn)); }};
}

WayToEnd ByKey(const std::string& name, int controlId, UINT key) {
    return {name, [=](HWND dialog) { PressKey(Item(dialog, controlId), key); }};
}

WayToEnd ByCloseBox() {
    return {"the close box", [](HWND dialog) { PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }};
}

void CheckEachWayEnds(const std::function<HWND()>& open, const std::vector<WayToEnd>& ways,
                      HWND owner) {
    for (const WayToEnd& way : ways) {
        HWND dialog = open();
        REQUIRE_MSG(dialog != nullptr, "the window did not open before " + way.name);
        way.take(dialog);
        CHECK_MSG(WaitGone(dialog), way.name + " did not end the window");
    }
    CHECK(WaitUntil([&] { return IsEnabled(owner); }));
}

} // namespace e2e
