// The help window: its fixed text, built afresh at every opening from the main window's
// "使用帮助" button.

#include "probes/AppProcess.h"
#include "probes/DialogProbe.h"
#include "probes/MainWindowView.h"
#include "probes/Screenshot.h"
#include "probes/WindowProbe.h"
#include "steps/Steps.h"
#include "TestRunner.h"
#include "Text.h"

#include <windows.h>

namespace {

using namespace e2e;

const DialogLayout kLayout{
    kHelpTemplate,
    284,
    189,
    {{ids::kHelpEdit, "Edit", nullptr, {7, 7, 275, 153}, TabStop::No},
     {ids::kReturn, "Button", "返回主界面", {194, 157, 274, 181}, TabStop::Yes}},
    ids::kReturn};

void CheckHelpText(HWND help, const std::string& context) {
    const std::string shown = WindowText(Item(help, ids::kHelpEdit));
    if (shown == texts::kHelp) {
        return;
    }
    size_t first = 0;
    while (first < shown.size() && first < texts::kHelp.size() &&
           shown[first] == texts::kHelp[first]) {
        ++first;
    }
    CHECK_MSG(false, context + ": text differs from byte " + std::to_string(first) + " of " +
                         std::to_string(texts::kHelp.size()) + "; shown " +
                         std::to_string(shown.size()) +
                         " bytes from there: " + Describe(shown.substr(first, 40)));
}

} // namespace

E2E_TEST(Help, OpensAsAModalDialogOfItsTemplate) {
    Started s = StartShown();
    HWND help = OpenAwayFromTheCorner(s.main, [&] { return OpenHelp(s.app, s.main); });
    CHECK_MSG(ScreenshotTaken("help-window", help), "no screenshot of the help window");
    CheckModalLayout(help, s.main, kLayout);

    HWND edit = Item(help, ids::kHelpEdit);
    const LONG editStyle = StyleOf(edit);
    CHECK_MSG(editStyle & ES_MULTILINE, "single-line edit");
    // The edit control turns a WS_BORDER of its template into a sunken client edge.
    CHECK_MSG((editStyle & WS_BORDER) || (ExStyleOf(edit) & WS_EX_CLIENTEDGE),
              "edit without a border");
    CHECK_MSG(editStyle & WS_VSCROLL, "edit without a vertical scroll bar");
    CHECK_MSG(!(editStyle & ES_READONLY), "read-only edit");
    CHECK_MSG(!(editStyle & ES_AUTOHSCROLL), "edit scrolls sideways instead of wrapping");
    CHECK_MSG(!(editStyle & ES_AUTOVSCROLL), "edit has ES_AUTOVSCROLL");
    // The default button of the template (its style may later change to owner-drawn).
    const LRESULT defId = Ask(help, DM_GETDEFID);
    CHECK_EQ(HIWORD(defId), DC_HASDEFID);
    CHECK_EQ(LOWORD(defId), ids::kReturn);

    REQUIRE(CloseByBackButton(help));
    CHECK(IsEnabled(s.main));
}

E2E_TEST(Help, ShowsTheTextByteForByteScrolledToItsEnd) {
    Started s = StartShown();
    HWND help = OpenHelp(s.app, s.main);
    REQUIRE(help != nullptr);
    CheckHelpText(help, "first opening");

    // The last character is in view, and the text is longer than the control shows at once.
    HWND edit = Item(help, ids::kHelpEdit);
    // Character positions count characters, not ANSI bytes: ask for the length in UTF-16.
    DWORD_PTR length = 0;
    SendMessageTimeoutW(edit, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, ScaledMs(5000), &length);
    const LRESULT lastPos = Ask(edit, EM_POSFROMCHAR, static_cast<WPARAM>(length - 1));
    RECT client{};
    GetClientRect(edit, &client);
    const int y = static_cast<short>(HIWORD(lastPos));
    CHECK_MSG(lastPos != -1 && y >= 0 && y < client.bottom,
              "last character at y " + std::to_string(y) + ", client height " +
                  std::to_string(client.bottom));
    CHECK_MSG(Ask(edit, EM_GETFIRSTVISIBLELINE) > 0, "the view was not scrolled");
    CHECK(CloseByBackButton(help));
}

E2E_TEST(Help, TypedTextIsGoneAndTheSameTextShownAtTheNextOpening) {
    Started s = StartShown();
    HWND help = OpenHelp(s.app, s.main);
    REQUIRE(help != nullptr);

    // The text can be changed: it is no read-only control.
    HWND edit = Item(help, ids::kHelpEdit);
    ClickControl(edit);
    TypeText(edit, "用户输入");
    CHECK_MSG(WaitUntil([&] { return WindowText(edit).find("用户输入") != std::string::npos; }),
              "typing did not change the text");
    REQUIRE(CloseByBackButton(help));

    for (const char* opening : {"second opening", "third opening"}) {
        help = OpenHelp(s.app, s.main);
        REQUIRE(help != nullptr);
        CheckHelpText(help, opening);
        REQUIRE(CloseByBackButton(help));
    }
}

E2E_TEST(Help, EndsByItsButtonEnterEscAndTheCloseBox) {
    Started s = StartShown();
    // Enter presses the default button.
    CheckEachWayEnds([&] { return OpenHelp(s.app, s.main); },
                     {ByBackButton(), ByKey("Enter", ids::kReturn, VK_RETURN),
                      ByKey("Esc", ids::kReturn, VK_ESCAPE), ByCloseBox()},
                     s.main);
    CHECK(s.app.Running());
}
