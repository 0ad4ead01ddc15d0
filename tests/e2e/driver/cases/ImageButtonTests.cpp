// The image buttons of the real program as a user meets them with the mouse: icon beside the
// caption, the thin raised frame while the pointer is over a button and the sunken one while
// it is pressed, the tooltip, the hand cursor, and clicks that still reach the window.

#include "probes/AppProcess.h"
#include "probes/DialogProbe.h"
#include "probes/MainWindowView.h"
#include "probes/Screenshot.h"
#include "probes/WindowProbe.h"
#include "steps/Steps.h"
#include "TestRunner.h"
#include "Text.h"

#include <windows.h>

#include <cstdio>
#include <functional>
#include <string>

namespace {

using namespace e2e;

unsigned Sys(int index) {
    const COLORREF c = GetSysColor(index);
    return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

// The pointer moves as the mouse moves it: an absolute move of the input queue, with a button
// press or release of its own when asked.
void MovePointer(POINT screen, DWORD buttonFlags = 0) {
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = MulDiv(screen.x, 65535, width - 1);
    input.mi.dy = MulDiv(screen.y, 65535, height - 1);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | buttonFlags;
    SendInput(1, &input, sizeof input);
}

// Points at `target` and keeps the pointer moving by a pixel there, as a hand on the mouse
// does, until the condition holds. A single move is not enough under Wine: a move that ends a
// button's mouse capture goes to that button, and the window under the pointer hears of the
// pointer (its cursor, its own hover) only with the next move.
bool PointAt(POINT target, const std::function<bool()>& condition,
             unsigned timeoutMs = DefaultTimeoutMs()) {
    MovePointer(target);
    int step = 0;
    return WaitUntil(
        [&] {
            if (condition()) {
                return true;
            }
            MovePointer({target.x + (++step % 2), target.y});
            return false;
        },
        timeoutMs);
}

// Pressed or released at `where`, not wherever the pointer is by then: under load a late
// motion event of the virtual desktop can put the pointer back where it was a moment before.
void LeftButton(POINT where, bool down) {
    MovePointer(where, down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP);
}

POINT CentreOf(HWND window) {
    const RECT r = ScreenRect(window);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// A spot of the main window's client area that no control covers (left of the divider,
// below the status line).
POINT EmptySpotOf(HWND main) {
    POINT at{6, 6};
    ClientToScreen(main, &at);
    return at;
}

// A pixel of the button's left edge and one of its right edge, halfway down, as on the screen.
struct Edges {
    unsigned left = 0;
    unsigned right = 0;
    unsigned top = 0;
    unsigned bottom = 0;
};

Edges EdgesOf(HWND button) {
    const RECT r = ScreenRect(button);
    const Pixels pixels = CaptureScreen(r);
    Edges edges;
    if (pixels.width > 4 && pixels.height > 4) {
        const int midX = pixels.width / 2, midY = pixels.height / 2;
        edges.left = pixels.At(0, midY);
        edges.right = pixels.At(pixels.width - 1, midY);
        edges.top = pixels.At(midX, 0);
        edges.bottom = pixels.At(midX, pixels.height - 1);
    }
    return edges;
}

// The four edges in the colours given: top and left, bottom and right.
bool EdgesAre(HWND button, int topLeft, int bottomRight) {
    const Edges e = EdgesOf(button);
    return e.left == Sys(topLeft) && e.top == Sys(topLeft) && e.right == Sys(bottomRight) &&
           e.bottom == Sys(bottomRight);
}
bool Raised(HWND button) {
    return EdgesAre(button, COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW);
}
bool Sunken(HWND button) {
    return EdgesAre(button, COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT);
}
bool Flat(HWND button) {
    return EdgesAre(button, COLOR_BTNFACE, COLOR_BTNFACE);
}

std::string DescribeEdges(HWND button) {
    const Edges e = EdgesOf(button);
    char text[96];
    std::snprintf(text, sizeof text, "edges left %06x top %06x right %06x bottom %06x", e.left,
                  e.top, e.right, e.bottom);
    return text;
}

// What a user sees of a dressed button: owner-drawn, its icon three pixels in from the left
// and vertically centred, and the caption in the rest. A window that has just opened may still
// be painting, so the picture is read until it shows both or the deadline passes.
struct ButtonInk {
    int icon = 0;       // pixels other than the face in the icon's square
    int leftOfIcon = 0; // in the three columns left of it
    int caption = 0;    // right of the icon
};

ButtonInk InkOf(HWND button) {
    const Pixels pixels = CaptureScreen(ScreenRect(button));
    ButtonInk ink;
    const unsigned face = Sys(COLOR_BTNFACE);
    const int iconTop = (pixels.height - 32) / 2;
    for (int y = 1; y < pixels.height - 1; ++y) {
        for (int x = 1; x < pixels.width - 1; ++x) {
            const int on = pixels.At(x, y) != face ? 1 : 0;
            if (x < 3) {
                ink.leftOfIcon += on;
            } else if (x < 35 && y >= iconTop && y < iconTop + 32) {
                ink.icon += on;
            } else if (x >= 35) {
                ink.caption += on;
            }
        }
    }
    return ink;
}

void CheckDressed(HWND button, const std::string& where) {
    REQUIRE_MSG(button != nullptr, where + ": no such button");
    CHECK_MSG((StyleOf(button) & BS_TYPEMASK) == BS_OWNERDRAW,
              where + ": not owner-drawn, style " + std::to_string(StyleOf(button)));
    ButtonInk ink;
    WaitUntil([&] {
        ink = InkOf(button);
        return ink.icon > 150 && ink.caption > 40;
    });
    CHECK_MSG(ink.icon > 150, where + ": no icon (" + std::to_string(ink.icon) + " pixels)");
    CHECK_MSG(ink.leftOfIcon == 0, where + ": something left of the icon");
    CHECK_MSG(ink.caption > 40,
              where + ": no caption (" + std::to_string(ink.caption) + " pixels)");
}

// The visible tooltip of the program, if one is shown now.
HWND ShownTooltip(const App& app) {
    for (HWND window : TopWindowsOf(app.Id(), "tooltips_class32")) {
        if (IsWindowVisible(window)) {
            return window;
        }
    }
    return nullptr;
}

// The cursor the desktop shows now (that of the thread under the pointer).
HCURSOR CurrentCursor() {
    CURSORINFO info{};
    info.cbSize = sizeof info;
    return GetCursorInfo(&info) ? info.hCursor : nullptr;
}

// The cursor that stays while the pointer keeps moving at `target`.
HCURSOR SteadyCursorAt(POINT target) {
    HCURSOR cursor = nullptr;
    int same = 0;
    PointAt(target, [&] {
        HCURSOR now = CurrentCursor();
        same = now != nullptr && now == cursor ? same + 1 : 0;
        cursor = now;
        return same >= 3;
    });
    return cursor;
}

// The program started, its main window shown (else the case ends) and the pointer away from it.
struct Session : Started {
    Session() {
        MovePointer({2, 2});
        static_cast<Started&>(*this) = StartShown();
        WaitUntilPainted(main);
    }
    ~Session() { MovePointer({2, 2}); }
};

} // namespace

E2E_TEST(ImageButton, MainWindowButtonsShowIconAndCaption) {
    Session s;
    for (const ButtonTip& button : kMainButtonTips) {
        CheckDressed(Item(s.main, button.id), "button " + std::to_string(button.id));
        // Still the template's caption, and still a button to the dialog.
        CHECK_EQ(ClassNameOf(Item(s.main, button.id)), "Button");
    }
    CHECK_EQ(WindowText(Item(s.main, ids::kDial)), "开始拨号");
    // The hang-up button starts disabled: its icon and caption are embossed, so none of the
    // normal text colour is left in it.
    const Pixels hangUp = CaptureScreen(ScreenRect(Item(s.main, ids::kHangUp)));
    int textColour = 0;
    for (unsigned px : hangUp.data) {
        textColour += px == Sys(COLOR_BTNTEXT) ? 1 : 0;
    }
    CHECK_MSG(textColour == 0, std::to_string(textColour) + " pixels in the text colour");
    CHECK_MSG(ScreenshotTaken("image-buttons-main", s.main), "no screenshot");
}

E2E_TEST(ImageButton, PointerOverAButtonRaisesItsFrameAndLeavingFlattensIt) {
    Session s;
    for (int id : {ids::kDial, ids::kStatistics, ids::kHelp}) {
        HWND button = Item(s.main, id);
        const std::string where = "button " + std::to_string(id);
        CHECK_MSG(Flat(button), where + " before: " + DescribeEdges(button));
        CHECK_MSG(PointAt(CentreOf(button), [&] { return Raised(button); }),
                  where + " hovered: " + DescribeEdges(button));
        if (id == ids::kDial) {
            CHECK_MSG(ScreenshotTaken("image-buttons-main-hover", s.main), "no screenshot");
        }
        CHECK_MSG(PointAt(EmptySpotOf(s.main), [&] { return Flat(button); }),
                  where + " left: " + DescribeEdges(button));
    }
    // A disabled button neither lights up nor shows its cursor: over it the pointer keeps the
    // dialog's own.
    const HCURSOR arrow = SteadyCursorAt(EmptySpotOf(s.main));
    HWND hangUp = Item(s.main, ids::kHangUp);
    CHECK(SteadyCursorAt(CentreOf(hangUp)) == arrow);
    CHECK_MSG(Flat(hangUp), DescribeEdges(hangUp));
}

E2E_TEST(ImageButton, TooltipTextAnswersOverEachButton) {
    Session s;
    for (const ButtonTip& button : kMainButtonTips) {
        if (button.id == ids::kHangUp) {
            continue; // disabled: no mouse messages, no tooltip
        }
        CHECK(PointAt(EmptySpotOf(s.main), [&] { return ShownTooltip(s.app) == nullptr; }));
        HWND over = Item(s.main, button.id);
        CHECK(PointAt(CentreOf(over), [&] { return Raised(over); }));
        // Then the pointer rests there until the tooltip shows.
        HWND tip = WaitFor([&] { return ShownTooltip(s.app); });
        if (!CHECK_MSG(tip != nullptr, "no tooltip over button " + std::to_string(button.id))) {
            continue;
        }
        CHECK_EQ(WindowText(tip), button.tip);
        // Shown near the pointer, below the button's top.
        const RECT tipRect = ScreenRect(tip);
        const RECT buttonRect = ScreenRect(Item(s.main, button.id));
        CHECK(tipRect.top >= buttonRect.top);
        if (button.id == ids::kDial) {
            CHECK_MSG(ScreenshotTaken("image-buttons-tooltip"), "no screenshot");
        }
    }
}

E2E_TEST(ImageButton, CursorOverEachButtonIsTheButtonsOwn) {
    Session s;
    const HCURSOR arrow = SteadyCursorAt(EmptySpotOf(s.main));
    REQUIRE(arrow != nullptr);
    for (int id : {ids::kDial, ids::kStatistics, ids::kHelp}) {
        HWND button = Item(s.main, id);
        const std::string where = "button " + std::to_string(id);
        // Once the button has seen the pointer (it lights up), the cursor is its own, and it
        // stays while the pointer moves over the button.
        REQUIRE_MSG(PointAt(CentreOf(button), [&] { return Raised(button); }), where);
        const HCURSOR over = SteadyCursorAt(CentreOf(button));
        CHECK_MSG(over != nullptr && over != arrow, where + ": the dialog's own cursor");
        CHECK_MSG(
            PointAt(EmptySpotOf(s.main), [&] { return Flat(button) && CurrentCursor() == arrow; }),
            where + ": the dialog's cursor did not come back");
    }
}

E2E_TEST(ImageButton, PressShowsTheSunkenFrameAndTheClickOpensTheWindow) {
    Session s;
    HWND help = Item(s.main, ids::kHelp);
    REQUIRE(PointAt(CentreOf(help), [&] { return Raised(help); }));
    LeftButton(CentreOf(help), true);
    CHECK_MSG(WaitUntil([&] { return Sunken(help); }), "pressed: " + DescribeEdges(help));
    LeftButton(CentreOf(help), false);
    HWND window = s.app.WaitDialog(kHelpTitle, ids::kHelpEdit);
    REQUIRE_MSG(window != nullptr, "the click did not open the help window");
    CheckDressed(Item(window, ids::kReturn), "help window's back button");
    CHECK_MSG(ScreenshotTaken("image-buttons-help", window), "no screenshot");

    // Its own button takes the pointer and a click as well.
    HWND back = Item(window, ids::kReturn);
    CHECK_MSG(PointAt(CentreOf(back), [&] { return Raised(back); }), DescribeEdges(back));
    LeftButton(CentreOf(back), true);
    CHECK_MSG(WaitUntil([&] { return Sunken(back); }), "back pressed: " + DescribeEdges(back));
    LeftButton(CentreOf(back), false);
    CHECK_MSG(WaitGone(window), "the back button did not end the help window");
}

E2E_TEST(ImageButton, DraggingOffAButtonDropsTheFrameAndTheClick) {
    Session s;
    HWND help = Item(s.main, ids::kHelp);
    REQUIRE(PointAt(CentreOf(help), [&] { return Raised(help); }));
    LeftButton(CentreOf(help), true);
    REQUIRE(WaitUntil([&] { return Sunken(help); }));
    // Released only once the button itself has let go of the press, not just drawn so.
    CHECK_MSG(PointAt(EmptySpotOf(s.main),
                      [&] { return Flat(help) && (Ask(help, BM_GETSTATE) & BST_PUSHED) == 0; }),
              "dragged off: " + DescribeEdges(help));
    LeftButton(EmptySpotOf(s.main), false);
    // Released away from the button: the pointer is free again (another button lights up),
    // and by then a click would have opened the help window.
    HWND dial = Item(s.main, ids::kDial);
    CHECK(PointAt(CentreOf(dial), [&] { return Raised(dial); }));
    CHECK_MSG(!s.app.Dialog([&](HWND w) { return w != s.main; }),
              "a window opened after a release away from the button");
}

E2E_TEST(ImageButton, StatisticsWindowButtonsAreDressed) {
    Session s;
    HWND window = RequireStats(s);
    WaitUntilPainted(window);
    for (int id : {ids::kReturn, ids::kTotal, ids::kReset}) {
        CheckDressed(Item(window, id), "statistics window's button " + std::to_string(id));
    }
    HWND total = Item(window, ids::kTotal);
    CHECK_MSG(PointAt(CentreOf(total), [&] { return Raised(total); }), DescribeEdges(total));
    CHECK_MSG(ScreenshotTaken("image-buttons-stats", window), "no screenshot");
    CHECK(CloseByBackButton(window));
}
